#pragma once

#include "app/MessageBox.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

// IMessageBox as MessageBoxW over the main window, titled with the program's name.
class CWin32MessageBox final : public IMessageBox {
public:
    void SetOwner(HWND hOwner) { m_hOwner = hOwner; }
    void Show(const std::string& strText, MessageIcon icon) override;

private:
    HWND m_hOwner = nullptr;
};
