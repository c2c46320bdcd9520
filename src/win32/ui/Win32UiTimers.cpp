#include "win32/ui/Win32UiTimers.h"

#undef SetTimer
#undef KillTimer

void CWin32UiTimer::Start(int nDelayMs) {
    m_bActive = ::SetTimer(m_hWnd, m_nTimerId, static_cast<UINT>(nDelayMs), nullptr) != 0;
}

void CWin32UiTimer::Stop() {
    ::KillTimer(m_hWnd, m_nTimerId);
    m_bActive = false;
}

bool CWin32UiTimer::OnTimerMessage(UINT_PTR nTimerId) {
    if (nTimerId != m_nTimerId) {
        return false;
    }
    ::KillTimer(m_hWnd, m_nTimerId);  // single shot
    if (m_bActive) {
        m_bActive = false;
        m_onExpiry();
    }
    return true;
}

unsigned CWin32HoldTimer::SetTimer(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) {
    m_dispatcher.Post([this, nId, nElapseMs, nTouch] {
        if (::SetTimer(m_hWnd, BASE + nId, nElapseMs, nullptr) != 0) {
            m_mapArmed[nId] = nTouch;
        }
    });
    return nId;
}

void CWin32HoldTimer::KillTimer(unsigned nId) {
    m_dispatcher.Post([this, nId] {
        ::KillTimer(m_hWnd, BASE + nId);
        m_mapArmed.erase(nId);
    });
}

bool CWin32HoldTimer::OnTimerMessage(UINT_PTR nTimerId) {
    if (nTimerId < BASE || nTimerId >= BASE + 0x100) {
        return false;
    }
    const unsigned nId = static_cast<unsigned>(nTimerId - BASE);
    ::KillTimer(m_hWnd, nTimerId);
    const auto it = m_mapArmed.find(nId);
    if (it != m_mapArmed.end()) {
        const std::uint64_t nTouch = it->second;
        m_mapArmed.erase(it);
        m_onExpiry(nId, nTouch);
    }
    return true;
}
