#include "XObserver.h"

#include <X11/Xlib.h>

#include <algorithm>

#include "TestTime.h"
#include "Xvfb.h"

CXObserver::CXObserver(const std::string& strDisplay)
    : m_recording(strDisplay, [this](const PointerEvent& event) { OnEvent(event); }) {
    m_pQuery = XOpenDisplay(strDisplay.c_str());
}

CXObserver::~CXObserver() {
    if (m_pQuery) {
        XCloseDisplay(m_pQuery);
    }
}

void CXObserver::OnEvent(const PointerEvent& event) {
    std::lock_guard lock(m_mutex);
    m_vecEvents.push_back(event);
    m_cv.notify_all();
}

PointerState CXObserver::QueryPointer() const {
    PointerState state;
    if (!m_pQuery) {
        return state;
    }
    Window root = 0;
    Window child = 0;
    int nWinX = 0;
    int nWinY = 0;
    unsigned nMask = 0;
    XQueryPointer(m_pQuery, DefaultRootWindow(m_pQuery), &root, &child, &state.x, &state.y, &nWinX,
                  &nWinY, &nMask);
    state.bLeft = (nMask & Button1Mask) != 0;
    state.bRight = (nMask & Button3Mask) != 0;
    return state;
}

std::vector<PointerEvent> CXObserver::Events() const {
    std::lock_guard lock(m_mutex);
    return m_vecEvents;
}

std::vector<PointerEvent> CXObserver::ButtonEvents() const {
    std::vector<PointerEvent> vecButtons;
    for (const PointerEvent& event : Events()) {
        if (event.kind != PointerEvent::Kind::Motion) {
            vecButtons.push_back(event);
        }
    }
    return vecButtons;
}

void CXObserver::ClearEvents() {
    std::lock_guard lock(m_mutex);
    m_vecEvents.clear();
}

bool CXObserver::WaitForEvents(const std::function<bool(const std::vector<PointerEvent>&)>& bDone,
                               std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + Scaled(timeout);
    std::unique_lock lock(m_mutex);
    while (!bDone(m_vecEvents)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // The server holds recorded events back until it next sends anything to any client;
        // a round trip of our own makes it send them.
        lock.unlock();
        m_recording.Flush();
        lock.lock();
        m_cv.wait_for(lock, std::chrono::milliseconds(5), [&] { return bDone(m_vecEvents); });
    }
    return true;
}

bool CXObserver::WaitForButtonEvents(std::size_t nCount, std::chrono::milliseconds timeout) const {
    return WaitForEvents(
        [nCount](const std::vector<PointerEvent>& vecEvents) {
            return static_cast<std::size_t>(std::count_if(
                       vecEvents.begin(), vecEvents.end(), [](const PointerEvent& event) {
                           return event.kind != PointerEvent::Kind::Motion;
                       })) >= nCount;
        },
        timeout);
}

bool AddRandrMonitor(const CXvfb& xvfb, const std::string& strName, const ScreenRect& rcMonitor,
                     bool bPrimary) {
    const int nWidth = rcMonitor.right - rcMonitor.left;
    const int nHeight = rcMonitor.bottom - rcMonitor.top;
    // Physical size at 96 dots per inch; nothing here reads it.
    const int nWidthMm = nWidth * 254 / 960;
    const int nHeightMm = nHeight * 254 / 960;
    const std::string strGeometry = std::to_string(nWidth) + "/" + std::to_string(nWidthMm) + "x" +
                                    std::to_string(nHeight) + "/" + std::to_string(nHeightMm) +
                                    "+" + std::to_string(rcMonitor.left) + "+" +
                                    std::to_string(rcMonitor.top);
    return xvfb.Run("xrandr --setmonitor '" + std::string(bPrimary ? "*" : "") + strName + "' " +
                    strGeometry + " none") == 0;
}

bool RemoveRandrMonitor(const CXvfb& xvfb, const std::string& strName) {
    return xvfb.Run("xrandr --delmonitor '" + strName + "'") == 0;
}
