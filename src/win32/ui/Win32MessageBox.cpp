#include "win32/ui/Win32MessageBox.h"

#include "win32/Win32Text.h"

void CWin32MessageBox::Show(const std::string& strText, MessageIcon icon) {
    UINT nType = MB_OK;
    switch (icon) {
        case MessageIcon::Error:
            nType |= MB_ICONERROR;
            break;
        case MessageIcon::Exclamation:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MessageIcon::Information:
            nType |= MB_ICONINFORMATION;
            break;
        case MessageIcon::None:
            break;
    }
    // The owner may be hidden in the tray: the box must still come to the front.
    MessageBoxW(m_hOwner, Utf8ToWide(strText).c_str(), L"Tactilo", nType | MB_SETFOREGROUND);
}
