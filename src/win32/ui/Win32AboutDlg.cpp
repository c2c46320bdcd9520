#include "win32/ui/Win32AboutDlg.h"

#include "resources/win32/resource.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
            *reinterpret_cast<HWND*>(lParam) = hWnd;
            // The template's text is a placeholder: the version is set here.
            SetDlgItemTextW(hWnd, IDC_VERSION, AboutVersionText());
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                *reinterpret_cast<HWND*>(GetWindowLongPtrW(hWnd, DWLP_USER)) = nullptr;
                EndDialog(hWnd, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

const wchar_t* AboutVersionText() {
    return L"Tactilo Version 2.5.0.0";
}

void RunAboutBox(HINSTANCE hInstance, HWND hOwner, HWND* phOpen) {
    DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_ABOUTBOX), hOwner, AboutProc,
                    reinterpret_cast<LPARAM>(phOpen));
    *phOpen = nullptr;
}
