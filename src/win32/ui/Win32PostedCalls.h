#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "app/UiDispatcher.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

// The user-interface dispatcher of one window: Post queues the call and posts WM_RUN_POSTED
// to the window, whose procedure calls RunPosted. Post is safe from any thread; calls posted
// while no window is attached, or still queued when it is detached, are dropped.
class CWin32PostedCalls final : public IUiDispatcher {
public:
    static constexpr UINT WM_RUN_POSTED = WM_APP + 3;

    ~CWin32PostedCalls() override { Detach(); }

    void Attach(HWND hWnd);
    void Detach();
    void Post(std::function<void()> fnCall) override;
    // On the window's thread, for WM_RUN_POSTED: runs what is queued, in order.
    void RunPosted();

private:
    std::mutex m_mutex;  // guards the queue and the window
    HWND m_hTarget = nullptr;
    std::deque<std::function<void()>> m_queue;
};
