#include "linux/UinputEvents.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <climits>

namespace {

void Append(std::vector<InputEventRecord>& vecEvents, unsigned nType, unsigned nCode, int nValue) {
    vecEvents.push_back(
        {static_cast<unsigned short>(nType), static_cast<unsigned short>(nCode), nValue});
}

// A point outside every monitor (a calibration that overshoots the edge) goes to the nearest
// edge pixel, as a real mouse stops at the edge; the kernel would pass it on unclipped.
int Clamp(long long nValue, int nLow, int nHighExclusive) {
    return static_cast<int>(
        std::clamp<long long>(nValue, nLow, std::max(nLow, nHighExclusive - 1)));
}

}  // namespace

ScreenRect MonitorBounds(const std::vector<MonitorInfo>& vecMonitors) {
    if (vecMonitors.empty()) {
        return {};
    }
    ScreenRect rcBounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const MonitorInfo& monitor : vecMonitors) {
        const ScreenRect& rc = monitor.rcMonitor;
        rcBounds.left = std::min(rcBounds.left, rc.left);
        rcBounds.top = std::min(rcBounds.top, rc.top);
        rcBounds.right = std::max(rcBounds.right, rc.right);
        rcBounds.bottom = std::max(rcBounds.bottom, rc.bottom);
    }
    return rcBounds;
}

int UinputAxisValue(int nPixel, int nBoxStart) {
    return (nPixel - nBoxStart) * kUinputUnitsPerPixel + kUinputUnitsPerPixel / 2;
}

ScreenSize PrimaryMonitorSize(const std::vector<MonitorInfo>& vecMonitors) {
    if (vecMonitors.empty()) {
        return {};
    }
    const auto itOrigin =
        std::find_if(vecMonitors.begin(), vecMonitors.end(), [](const MonitorInfo& monitor) {
            return monitor.rcMonitor.left == 0 && monitor.rcMonitor.top == 0;
        });
    const ScreenRect& rc = (itOrigin != vecMonitors.end() ? *itOrigin : vecMonitors[0]).rcMonitor;
    return {rc.right - rc.left, rc.bottom - rc.top};
}

std::vector<InputEventRecord> CUinputEventStream::Events(const MouseInput& input) {
    std::vector<InputEventRecord> vecEvents;
    if (input.dwFlags & MOUSEEVENTF_MOVE) {
        // The device has no relative axes: a relative move is made absolute from the last
        // point, so both kinds of record land on the same pixel as with XTest.
        const bool bAbsolute = (input.dwFlags & MOUSEEVENTF_ABSOLUTE) != 0;
        const long long nX = bAbsolute ? input.nPixelX : static_cast<long long>(m_nX) + input.dx;
        const long long nY = bAbsolute ? input.nPixelY : static_cast<long long>(m_nY) + input.dy;
        m_nX = Clamp(nX, m_rcBounds.left, m_rcBounds.right);
        m_nY = Clamp(nY, m_rcBounds.top, m_rcBounds.bottom);
        Append(vecEvents, EV_ABS, ABS_X, UinputAxisValue(m_nX, m_rcBounds.left));
        Append(vecEvents, EV_ABS, ABS_Y, UinputAxisValue(m_nY, m_rcBounds.top));
    }
    const struct {
        unsigned nFlag;
        unsigned nCode;
        bool bPress;
        bool* pbDown;
    } buttons[] = {
        {MOUSEEVENTF_LEFTDOWN, BTN_LEFT, true, &m_bLeftDown},
        {MOUSEEVENTF_LEFTUP, BTN_LEFT, false, &m_bLeftDown},
        {MOUSEEVENTF_RIGHTDOWN, BTN_RIGHT, true, &m_bRightDown},
        {MOUSEEVENTF_RIGHTUP, BTN_RIGHT, false, &m_bRightDown},
    };
    for (const auto& button : buttons) {
        if (input.dwFlags & button.nFlag) {
            Append(vecEvents, EV_KEY, button.nCode, button.bPress ? 1 : 0);
            *button.pbDown = button.bPress;
        }
    }
    if (!vecEvents.empty()) {
        Append(vecEvents, EV_SYN, SYN_REPORT, 0);
    }
    return vecEvents;
}

std::vector<InputEventRecord> CUinputEventStream::ReleaseHeld() {
    MouseInput release;
    release.dwFlags =
        (m_bLeftDown ? MOUSEEVENTF_LEFTUP : 0u) | (m_bRightDown ? MOUSEEVENTF_RIGHTUP : 0u);
    return Events(release);
}
