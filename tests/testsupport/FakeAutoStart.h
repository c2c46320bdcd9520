#pragma once

#include <optional>
#include <string>

#include "app/AutoStart.h"

// Remembers the entry instead of writing a desktop file.
class CFakeAutoStart final : public IAutoStart {
public:
    struct Entry {
        std::string strProgram;
        std::string strArguments;
    };

    bool Write(const std::string& strProgram, const std::string& strArguments) override {
        ++m_nWrites;
        if (!m_strFailure.empty()) {
            return false;
        }
        m_entry = Entry{strProgram, strArguments};
        return true;
    }
    bool Remove() override {
        ++m_nRemoves;
        if (!m_strFailure.empty()) {
            return false;
        }
        m_entry.reset();
        return true;
    }
    std::string Problem() const override { return m_strFailure; }

    // When set, every Write and Remove fails with this problem and changes nothing.
    std::string m_strFailure;

    std::optional<Entry> m_entry;
    int m_nWrites = 0;
    int m_nRemoves = 0;
};
