#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "app/UiDispatcher.h"
#include "app/UiTimer.h"
#include "touch/HoldTimer.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

// The hub's timers as WM_TIMER timers of the main window. The window passes its WM_TIMER
// messages to OnTimerMessage of each; a timer ignores ids not its own.

// IUiTimer: one single-shot timer, id nTimerId of hWnd.
class CWin32UiTimer final : public IUiTimer {
public:
    CWin32UiTimer(UINT_PTR nTimerId, std::function<void()> onExpiry)
        : m_nTimerId(nTimerId), m_onExpiry(std::move(onExpiry)) {}
    void SetWindow(HWND hWnd) { m_hWnd = hWnd; }
    void Start(int nDelayMs) override;
    void Stop() override;
    bool IsActive() const override { return m_bActive; }
    bool OnTimerMessage(UINT_PTR nTimerId);

private:
    HWND m_hWnd = nullptr;
    UINT_PTR m_nTimerId;
    std::function<void()> m_onExpiry;
    bool m_bActive = false;
};

// IHoldTimer: the reader thread arms and kills it; the calls are posted through the
// dispatcher so they reach the window in the packets' order. The expiry calls onExpiry(nId,
// nTouch) on the user-interface thread.
class CWin32HoldTimer final : public IHoldTimer {
public:
    // Window timer ids are nId + BASE, clear of the window's own timers.
    static constexpr UINT_PTR BASE = 0x100;

    CWin32HoldTimer(IUiDispatcher& dispatcher,
                    std::function<void(unsigned nId, std::uint64_t nTouch)> onExpiry)
        : m_dispatcher(dispatcher), m_onExpiry(std::move(onExpiry)) {}
    void SetWindow(HWND hWnd) { m_hWnd = hWnd; }
    unsigned SetTimer(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) override;
    void KillTimer(unsigned nId) override;
    bool OnTimerMessage(UINT_PTR nTimerId);

private:
    IUiDispatcher& m_dispatcher;
    std::function<void(unsigned, std::uint64_t)> m_onExpiry;
    HWND m_hWnd = nullptr;
    std::map<unsigned, std::uint64_t> m_mapArmed;  // user-interface thread only
};
