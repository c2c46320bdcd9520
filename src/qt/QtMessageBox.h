#pragma once

#include "app/MessageBox.h"

class QWidget;

// Message boxes with the program's name as caption and an OK button. They are modal to their
// owner, the main window, only: the tray icon stays usable while one is open, and Exit from
// the tray closes it.
class CQtMessageBox final : public IMessageBox {
public:
    void SetOwner(QWidget* pOwner) { m_pOwner = pOwner; }
    void Show(const std::string& strText, MessageIcon icon) override;

private:
    QWidget* m_pOwner = nullptr;
};
