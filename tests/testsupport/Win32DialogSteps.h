#pragma once

// Include after the program's headers, like <windows.h> itself.
#include <windows.h>

#include <functional>

// A modal dialog runs its own message loop, so a test's steps must run inside it: fnRunModal
// opens the dialog titled szTitle on this thread, fnSteps runs from a timer once the dialog
// is up (given its window), and the dialog is then cancelled.
inline void RunWhileDialogOpen(const wchar_t* szTitle, const std::function<void()>& fnRunModal,
                               const std::function<void(HWND)>& fnSteps) {
    struct Pending {
        const wchar_t* szTitle;
        const std::function<void(HWND)>* pfnSteps;
    };
    static thread_local Pending* s_pPending = nullptr;
    Pending pending{szTitle, &fnSteps};
    s_pPending = &pending;
    const UINT_PTR nTimer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR nTimer, DWORD) {
        HWND hDlg = s_pPending ? FindWindowW(L"#32770", s_pPending->szTitle) : nullptr;
        if (!hDlg || GetWindowThreadProcessId(hDlg, nullptr) != GetCurrentThreadId()) {
            return;  // not up yet
        }
        KillTimer(nullptr, nTimer);
        (*s_pPending->pfnSteps)(hDlg);
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    });
    fnRunModal();
    KillTimer(nullptr, nTimer);
    s_pPending = nullptr;
}
