#include "win32/ui/Win32PostedCalls.h"

void CWin32PostedCalls::Attach(HWND hWnd) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_hTarget = hWnd;
}

void CWin32PostedCalls::Detach() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_hTarget = nullptr;
    m_queue.clear();
}

void CWin32PostedCalls::Post(std::function<void()> fnCall) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_hTarget) {
        return;
    }
    // One wake-up per call: a call that runs a modal loop (a message box) leaves the calls
    // behind it queued, and only a fresh message reaches that loop. A wake-up that finds the
    // queue empty does nothing.
    m_queue.push_back(std::move(fnCall));
    PostMessageW(m_hTarget, WM_RUN_POSTED, 0, 0);
}

void CWin32PostedCalls::RunPosted() {
    for (;;) {
        std::function<void()> fnCall;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty()) {
                return;
            }
            fnCall = std::move(m_queue.front());
            m_queue.pop_front();
        }
        fnCall();
    }
}
