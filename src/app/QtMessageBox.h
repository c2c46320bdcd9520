#pragma once

#include "app/MessageBox.h"

// Message boxes with the program's name as caption and an OK button.
class CQtMessageBox final : public IMessageBox {
public:
    void Show(const std::string& strText, MessageIcon icon) override;
};
