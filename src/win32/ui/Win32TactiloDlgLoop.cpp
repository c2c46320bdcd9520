// The main window's message loop and its queue of calls from other threads.

#include "win32/ui/Win32TactiloDlg.h"

// The main window is a modeless dialog: its keys (Tab, Enter, ESC) need IsDialogMessage.
int CWin32TactiloDlg::RunMessageLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsWindow(m_hWnd) && IsDialogMessageW(m_hWnd, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!m_bEndRequested) {
        // WM_QUIT from outside: the window's own or the thread's (a modal box that took it
        // posts it again for this loop). It ends the program as the terminate message does;
        // the quit that ends asks for is already taken.
        m_pHub->OnTerminate();
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        return 0;
    }
    return static_cast<int>(msg.wParam);
}

void CWin32TactiloDlg::EndProgram() {
    m_bEndRequested = true;
    PostQuitMessage(0);
}

void CWin32TactiloDlg::Post(std::function<void()> fnCall) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_hPostTarget) {
        return;
    }
    // One wake-up per call, not one per empty queue: a call that runs a modal loop (a
    // message box, the calibration page) leaves the calls behind it queued, and only a fresh
    // message reaches that loop. A wake-up that finds the queue empty does nothing.
    m_posted.push_back(std::move(fnCall));
    PostMessageW(m_hPostTarget, WM_RUN_POSTED, 0, 0);
}

void CWin32TactiloDlg::RunPosted() {
    for (;;) {
        std::function<void()> fnCall;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_posted.empty()) {
                return;
            }
            fnCall = std::move(m_posted.front());
            m_posted.pop_front();
        }
        fnCall();
    }
}
