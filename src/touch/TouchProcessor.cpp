#include "touch/TouchProcessor.h"

#include <cmath>
#include <utility>

#include "app/TraceSink.h"
#include "touch/AxisMapping.h"
#include "touch/BitString.h"
#include "touch/HoldTimer.h"

// Click states, (m_bTouchDown, m_bHoldElapsed):
//
//   state          meaning                     touch packet              release packet
//   Idle           (0,0) no touch              left down, arm the hold   move only
//                                              timer, -> Pressed
//   Pressed        (1,0) left button down      move only (drag)          left up, -> Idle
//   Elapsed        (0,1) hold time over,       within 10 px of the       left up, -> Idle
//                  left button still down      press: left up, right
//                                              click, -> Right-clicked;
//                                              farther: -> Pressed
//   Right-clicked  (1,1) right click made      move only                 nothing, -> Idle
//
// The hold timer takes Pressed to Elapsed and sends nothing itself: the right click waits
// for the next packet, which tells whether the finger is still where it pressed. An expiry
// only counts for the touch it was armed for; one that arrives after its touch was lifted
// (the lift's kill and the expiry can cross between threads) is dropped, or the next tap
// would turn into a right click.
//
// A touch that begins while the tray's right click is armed is a right click at once
// (right down, right up) and goes straight to Right-clicked: its lift sends nothing.
//
// Leaving calibration mode with a finger still on the glass (the last packet was a touch)
// enters a fifth state, Lift-awaited: every packet only moves the pointer until a release
// packet arrives, which goes to Idle. Otherwise the resting finger, held through the
// capture's time-out or an ESC, would become a fresh press and, after the delay, a right
// click where nobody meant one.
//
// The left button is held exactly in Pressed and Elapsed, which is why a lift in Elapsed
// must release it: a controller that reports only changes never sends another touch packet
// there, and a button left down turns the next touch into a drag from the old point.

namespace {

std::string Slice(const std::string& strText, std::size_t nPos, std::size_t nCount) {
    return nPos < strText.size() ? strText.substr(nPos, nCount) : std::string();
}

constexpr double g_dRightClickSlop = 10.0;  // pixels, fixed: not the double-click precision

}  // namespace

CTouchProcessor::CTouchProcessor(Dependencies dependencies)
    : m_deps(std::move(dependencies)), m_pActiveDevice(std::make_shared<TouchDevice>()) {}

void CTouchProcessor::SetActiveDevice(const TouchDevice& device) {
    auto pDevice = std::make_shared<const TouchDevice>(device);
    std::lock_guard lock(m_deviceMutex);
    m_pActiveDevice = std::move(pDevice);
}

std::shared_ptr<const TouchDevice> CTouchProcessor::ActiveDevice() const {
    std::lock_guard lock(m_deviceMutex);
    return m_pActiveDevice;
}

void CTouchProcessor::ProcessPacket(std::string strPacket) {
    const std::shared_ptr<const TouchDevice> pDevice = ActiveDevice();
    const TouchDevice& device = *pDevice;
    const ScreenRect& rc = device.m_rcMonitor;

    const bool bTouch = strPacket.size() > 1 && strPacket[1] == '1';
    int nRawX = BitsToInt(Slice(strPacket, 2, 3) + Slice(strPacket, 9, 7));
    int nRawY = BitsToInt(Slice(strPacket, 5, 3) + Slice(strPacket, 17, 7));
    if (device.m_bSwapXY != 0) {
        std::swap(nRawX, nRawY);
    }

    std::lock_guard lock(m_stateMutex);
    m_nMonitorWidth = rc.right - rc.left;
    m_nMonitorHeight = rc.bottom - rc.top;

    if (m_bCalibrating) {
        // The capture polls from another thread: publish the values before the flag, so it
        // never sees the flag of a touch with the values of a release.
        if (bTouch) {
            m_deps.trace.Trace("MousePressed\n");
            m_nCalRawX = nRawX;
            m_nCalRawY = nRawY;
            m_bTouchDown = true;
        } else {
            m_deps.trace.Trace("Released\n");
            m_bTouchDown = false;
            m_nCalRawX = CAL_RELEASED_RAW;
            m_nCalRawY = CAL_RELEASED_RAW;
        }
        return;
    }

    double X = MapXAxis(XAxisOf(device), nRawX, m_deps.trace);
    double Y = MapYAxis(YAxisOf(device), nRawY, m_deps.trace);
    // A calibration with a zero span gives infinite or undefined points: move nowhere, but
    // still run the buttons so that no button is left down.
    const bool bFinite = std::isfinite(X) && std::isfinite(Y);
    if (bFinite) {
        // Keep the point on the monitor. Right and bottom are exclusive: bottom itself is the
        // first row of the monitor below.
        if (X < rc.left) {
            X = rc.left + 2;
        }
        if (X > rc.right) {
            X = rc.right - 2;
        }
        if (Y < rc.top) {
            Y = rc.top;
        }
        if (Y >= rc.bottom) {
            Y = rc.bottom - 1;
        }
        if (bTouch && !m_bTouchDown && !m_bAwaitLift) {
            SnapToLastClick(X, Y);
        }
        MoveMouse(static_cast<int>(X), static_cast<int>(Y));
    }
    if (m_bAwaitLift) {
        m_bAwaitLift = bTouch;
        return;
    }
    Buttons(bTouch, X, Y);
}

// A touch that begins within the precision of where the last unsnapped touch began lands
// exactly there, so two taps make a clean double click.
void CTouchProcessor::SnapToLastClick(double& X, double& Y) {
    const double P = m_nPrecision;
    if (X < m_dLastClickX - P || X > m_dLastClickX + P || Y < m_dLastClickY - P ||
        Y > m_dLastClickY + P || m_dLastClickX == -1.0 || m_dLastClickY == -1.0) {
        m_dLastClickX = X;
        m_dLastClickY = Y;
    } else {
        X = m_dLastClickX;
        Y = m_dLastClickY;
    }
}

void CTouchProcessor::Buttons(bool bTouch, double X, double Y) {
    if (bTouch && !m_bTouchDown) {
        if (m_bTrayRightClick && !m_bCalibrating) {
            m_deps.trace.Trace("RightClick from Tray");
            if (m_bHoldElapsed) {
                LeftUp();  // the left button of an elapsed hold is still down
            }
            m_deps.timer.KillTimer(m_nRightClickTimer);
            RightDown();
            RightUp();
            m_bTrayRightClick = false;
            m_bHoldElapsed = true;
            m_bTouchDown = true;
            if (m_deps.setTrayIcon) {
                m_deps.setTrayIcon(139);
            }
            return;
        }
        if (m_bHoldElapsed) {
            m_deps.timer.KillTimer(m_nRightClickTimer);
            if (std::fabs(X - m_dPressX) <= g_dRightClickSlop &&
                std::fabs(Y - m_dPressY) <= g_dRightClickSlop) {
                m_deps.trace.Trace("RightClick from Timer ");
                LeftUp();
                RightDown();
                RightUp();
            } else {
                m_bHoldElapsed = false;
            }
            m_bTouchDown = true;
            return;
        }
        LeftDown();
        m_bTouchDown = true;
        m_bHoldElapsed = false;
        ++m_nTouch;
        if (m_nRightClickTime > 0) {
            m_nRightClickTimer = m_deps.timer.SetTimer(HOLD_TIMER_ID, m_nRightClickTime, m_nTouch);
        }
        if (std::isfinite(X) && std::isfinite(Y)) {
            m_dPressX = X;
            m_dPressY = Y;
        }
        return;
    }
    if (!bTouch && (m_bTouchDown || m_bHoldElapsed)) {
        m_deps.timer.KillTimer(m_nRightClickTimer);
        if (LeftButtonHeld()) {
            LeftUp();
        }
        m_bHoldElapsed = false;
        m_bTouchDown = false;
    }
    // A drag, or a release with nothing held: the move was all.
}

void CTouchProcessor::OnTimer(unsigned nId, std::uint64_t nTouch) {
    std::lock_guard lock(m_stateMutex);
    const bool bOwnTouchStillPressed = nId != 0 && nId == m_nRightClickTimer &&
                                       nTouch == m_nTouch && m_bTouchDown && !m_bHoldElapsed &&
                                       !m_bCalibrating;
    if (!bOwnTouchStillPressed) {
        return;
    }
    m_bHoldElapsed = true;
    m_bTouchDown = false;
    m_bTrayRightClick = false;
    m_deps.timer.KillTimer(m_nRightClickTimer);
}

void CTouchProcessor::ReleaseHeldButtons(IPointerOutput* pOutput) {
    std::lock_guard lock(m_stateMutex);
    if (m_bCalibrating) {
        m_bTouchDown = false;
        return;
    }
    m_deps.timer.KillTimer(m_nRightClickTimer);
    if (LeftButtonHeld()) {
        Send(MOUSEEVENTF_LEFTUP, pOutput);
    }
    m_bTouchDown = false;
    m_bHoldElapsed = false;
}

void CTouchProcessor::SetCalibrating(bool bCalibrating) {
    std::lock_guard lock(m_stateMutex);
    if (bCalibrating && !m_bCalibrating) {
        m_deps.timer.KillTimer(m_nRightClickTimer);
        if (LeftButtonHeld()) {
            Send(MOUSEEVENTF_LEFTUP, m_deps.pUiOutput);
        }
        m_bHoldElapsed = false;
        m_nCalRawX = CAL_RELEASED_RAW;
        m_nCalRawY = CAL_RELEASED_RAW;
    }
    // Either way the touch flag starts clear: in calibration mode it mirrors the packets,
    // and a finger still on the glass when calibration ends must not count as a press, not
    // even once its next packet finds the flag clear: that finger has to lift first.
    if (!bCalibrating && m_bCalibrating) {
        m_bAwaitLift = m_bTouchDown.load();
    }
    m_bTouchDown = false;
    m_bCalibrating = bCalibrating;
}

CalTouchSample CTouchProcessor::ReadTouch() const {
    CalTouchSample sample;
    sample.m_bTouchDown = m_bTouchDown;
    sample.m_nCalRawX = m_nCalRawX;
    sample.m_nCalRawY = m_nCalRawY;
    return sample;
}

void CTouchProcessor::MoveMouse(int x, int y) {
    const ScreenSize size = m_deps.output.PrimaryScreenSize();
    MouseInput input;
    input.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.dx = size.cx > 1 ? static_cast<int>(x * (65535.0 / (size.cx - 1))) : 0;
    input.dy = size.cy > 1 ? static_cast<int>(y * (65535.0 / (size.cy - 1))) : 0;
    input.nPixelX = x;
    input.nPixelY = y;
    m_deps.output.SendInput(input);
}

void CTouchProcessor::Send(unsigned dwFlags, IPointerOutput* pOutput) {
    MouseInput input;
    input.dwFlags = dwFlags;
    if (pOutput == nullptr) {
        pOutput = &m_deps.output;
    }
    pOutput->SendInput(input);
}
