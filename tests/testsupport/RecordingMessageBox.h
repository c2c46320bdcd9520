#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/MessageBox.h"

// Keeps the messages that would have been shown, instead of blocking on a box.
class CRecordingMessageBox final : public IMessageBox {
public:
    void Show(const std::string& strText, MessageIcon icon) override {
        m_vecMessages.emplace_back(strText, icon);
    }
    const std::vector<std::pair<std::string, MessageIcon>>& Messages() const {
        return m_vecMessages;
    }
    void Clear() { m_vecMessages.clear(); }

private:
    std::vector<std::pair<std::string, MessageIcon>> m_vecMessages;
};
