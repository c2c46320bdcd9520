#include "linux/XTestPointerOutput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <iostream>
#include <utility>

#include "linux/XRandrQuery.h"

namespace {

constexpr unsigned kLeftButton = 1;
constexpr unsigned kRightButton = 3;

void WarnToStderr(const std::string& strText) {
    std::cerr << "Tactilo: " << strText << '\n';
}

}  // namespace

CXTestPointerOutput::CXTestPointerOutput(std::string strDisplayName, WarningFn warn,
                                         std::chrono::milliseconds nMaxSizeAge)
    : m_strDisplayName(std::move(strDisplayName)),
      m_warn(warn ? std::move(warn) : WarningFn(WarnToStderr)),
      m_nMaxSizeAge(nMaxSizeAge) {}

CXTestPointerOutput::~CXTestPointerOutput() {
    if (m_pDisplay) {
        XCloseDisplay(m_pDisplay);
    }
}

bool CXTestPointerOutput::EnsureDisplay() {
    if (m_pDisplay || m_bTriedOpen) {
        return m_pDisplay != nullptr;
    }
    // One attempt only: a display that is missing now is missing for this run, and a
    // warning per packet would flood the log.
    m_bTriedOpen = true;
    const std::string strName =
        m_strDisplayName.empty() ? std::string(XDisplayName(nullptr)) : m_strDisplayName;
    Display* pDisplay = OpenXDisplay(m_strDisplayName);
    if (!pDisplay) {
        m_warn("cannot open X display \"" + strName + "\"; touch input is not passed on");
        return false;
    }
    int nEventBase = 0;
    int nErrorBase = 0;
    int nMajor = 0;
    int nMinor = 0;
    if (!XTestQueryExtension(pDisplay, &nEventBase, &nErrorBase, &nMajor, &nMinor)) {
        m_warn("X display \"" + strName + "\" has no XTest extension; touch input is not " +
               "passed on");
        XCloseDisplay(pDisplay);
        return false;
    }
    m_pDisplay = pDisplay;

    int nRandrErrorBase = 0;
    m_bHasRandr = XRRQueryExtension(m_pDisplay, &m_nRandrEventBase, &nRandrErrorBase) != 0;
    if (m_bHasRandr) {
        XRRSelectInput(
            m_pDisplay, DefaultRootWindow(m_pDisplay),
            RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
        XFlush(m_pDisplay);
    }
    return true;
}

// Reads whatever events have arrived, without waiting; true when one of them says that the
// monitors may have changed. Only RandR events are selected on this connection.
bool CXTestPointerOutput::TakeRandrChanges() {
    // Reading the connection costs a system call that almost always finds nothing, and this
    // runs for every packet: look at the connection only every kEventCheckPeriod, and in
    // between take only what Xlib has read already.
    const auto tpNow = std::chrono::steady_clock::now();
    int nMode = QueuedAlready;
    if (tpNow - m_tpEventsChecked >= kEventCheckPeriod) {
        m_tpEventsChecked = tpNow;
        nMode = QueuedAfterReading;
    }
    bool bChanged = false;
    while (XEventsQueued(m_pDisplay, nMode) > 0) {
        XEvent event;
        XNextEvent(m_pDisplay, &event);
        if (m_bHasRandr) {
            // Keeps Xlib's idea of the screen size (DisplayWidth/Height) current.
            XRRUpdateConfiguration(&event);
            const int nType = event.type - m_nRandrEventBase;
            bChanged = bChanged || nType == RRScreenChangeNotify || nType == RRNotify;
        }
    }
    return bChanged;
}

void CXTestPointerOutput::ReadPrimarySize() {
    const std::vector<RandrMonitor> vecMonitors = QueryRandrMonitors(m_pDisplay, false);
    const auto itPrimary = std::find_if(vecMonitors.begin(), vecMonitors.end(),
                                        [](const RandrMonitor& m) { return m.bPrimary; });
    if (!vecMonitors.empty()) {
        const RandrMonitor& monitor = itPrimary != vecMonitors.end() ? *itPrimary : vecMonitors[0];
        const ScreenRect& rc = monitor.info.rcMonitor;
        m_sizePrimary = {rc.right - rc.left, rc.bottom - rc.top};
    } else {
        const int nScreen = DefaultScreen(m_pDisplay);
        m_sizePrimary = {DisplayWidth(m_pDisplay, nScreen), DisplayHeight(m_pDisplay, nScreen)};
    }
    m_bSizeKnown = true;
    m_tpSizeRead = std::chrono::steady_clock::now();
}

ScreenSize CXTestPointerOutput::PrimaryScreenSize() {
    if (!EnsureDisplay()) {
        return {};
    }
    const bool bChanged = TakeRandrChanges();
    if (!m_bSizeKnown || bChanged ||
        std::chrono::steady_clock::now() - m_tpSizeRead >= m_nMaxSizeAge) {
        ReadPrimarySize();
    }
    return m_sizePrimary;
}

void CXTestPointerOutput::SendInput(const MouseInput& input) {
    if (!EnsureDisplay()) {
        return;
    }
    if (input.dwFlags & MOUSEEVENTF_MOVE) {
        if (input.dwFlags & MOUSEEVENTF_ABSOLUTE) {
            // Screen -1: the screen the pointer is on, whose root the pixel is relative to.
            XTestFakeMotionEvent(m_pDisplay, -1, input.nPixelX, input.nPixelY, CurrentTime);
        } else {
            XTestFakeRelativeMotionEvent(m_pDisplay, input.dx, input.dy, CurrentTime);
        }
    }
    const struct {
        unsigned nFlag;
        unsigned nButton;
        Bool bPress;
    } buttons[] = {
        {MOUSEEVENTF_LEFTDOWN, kLeftButton, True},
        {MOUSEEVENTF_LEFTUP, kLeftButton, False},
        {MOUSEEVENTF_RIGHTDOWN, kRightButton, True},
        {MOUSEEVENTF_RIGHTUP, kRightButton, False},
    };
    for (const auto& button : buttons) {
        if (input.dwFlags & button.nFlag) {
            XTestFakeButtonEvent(m_pDisplay, button.nButton, button.bPress, CurrentTime);
        }
    }
    XFlush(m_pDisplay);
}
