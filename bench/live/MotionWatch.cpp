#include "MotionWatch.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>

CMotionWatch::CMotionWatch(const std::string& strDisplay) {
    Display* pDisplay = XOpenDisplay(strDisplay.empty() ? nullptr : strDisplay.c_str());
    if (!pDisplay) {
        return;
    }
    int nEvent = 0;
    int nError = 0;
    int nMajor = 2;
    int nMinor = 0;
    if (!XQueryExtension(pDisplay, "XInputExtension", &m_nOpcode, &nEvent, &nError) ||
        XIQueryVersion(pDisplay, &nMajor, &nMinor) != Success) {
        XCloseDisplay(pDisplay);
        return;
    }
    unsigned char aMask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(aMask, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof aMask), aMask};
    XISelectEvents(pDisplay, DefaultRootWindow(pDisplay), &mask, 1);
    XSync(pDisplay, False);
    m_pDisplay = pDisplay;
}

CMotionWatch::~CMotionWatch() {
    if (m_pDisplay) {
        XCloseDisplay(m_pDisplay);
    }
}

void CMotionWatch::Read(int nTimeoutMs) {
    if (!m_pDisplay) {
        return;
    }
    // Events read along with an earlier batch are already queued in Xlib and were stamped
    // then; only wait for the socket when nothing is pending.
    if (XEventsQueued(m_pDisplay, QueuedAlready) == 0) {
        pollfd fd = {ConnectionNumber(m_pDisplay), POLLIN, 0};
        const int nReady = poll(&fd, 1, nTimeoutMs);
        if (nReady <= 0) {
            return;
        }
    }
    const Clock::time_point tpSeen = Clock::now();
    int nQueued = XEventsQueued(m_pDisplay, QueuedAfterReading);
    while (nQueued-- > 0) {
        XEvent event;
        XNextEvent(m_pDisplay, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != m_nOpcode ||
            !XGetEventData(m_pDisplay, &cookie)) {
            continue;
        }
        if (cookie.evtype == XI_RawMotion) {
            const auto* pRaw = static_cast<const XIRawEvent*>(cookie.data);
            // An axis that did not change may be left out: it keeps its last value.
            int x = m_nLastX;
            int y = m_nLastY;
            const double* pValue = pRaw->raw_values;
            for (int nAxis = 0; nAxis < pRaw->valuators.mask_len * 8; ++nAxis) {
                if (!XIMaskIsSet(pRaw->valuators.mask, nAxis)) {
                    continue;
                }
                if (nAxis == 0) {
                    x = static_cast<int>(*pValue);
                } else if (nAxis == 1) {
                    y = static_cast<int>(*pValue);
                }
                ++pValue;
            }
            if (m_bQuery) {
                Window root = 0;
                Window child = 0;
                int nWinX = 0;
                int nWinY = 0;
                unsigned nMask = 0;
                XQueryPointer(m_pDisplay, DefaultRootWindow(m_pDisplay), &root, &child, &x, &y,
                              &nWinX, &nWinY, &nMask);
            }
            m_nLastX = x;
            m_nLastY = y;
            ++m_nCount;
            if (m_bKeep) {
                m_queue.push_back({x, y, tpSeen});
            }
        }
        XFreeEventData(m_pDisplay, &cookie);
    }
}

std::optional<CMotionWatch::Clock::time_point> CMotionWatch::WaitFor(int x, int y,
                                                                     Clock::time_point deadline) {
    for (;;) {
        while (!m_queue.empty()) {
            const Motion motion = m_queue.front();
            m_queue.pop_front();
            if (motion.x <= x && motion.x >= x - m_nSlack && motion.y <= y &&
                motion.y >= y - m_nSlack) {
                return motion.tpSeen;
            }
            ++m_nStrays;
        }
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() < 0) {
            return std::nullopt;
        }
        Read(static_cast<int>(std::min<long long>(remaining.count() + 1, 1000)));
    }
}

bool CMotionWatch::WaitForCount(unsigned long long nCount, Clock::time_point deadline) {
    while (m_nCount < nCount) {
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() < 0) {
            return false;
        }
        Read(static_cast<int>(std::min<long long>(remaining.count() + 1, 1000)));
    }
    return true;
}

void CMotionWatch::Forget(int nQuietMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(nQuietMs);
    while (Clock::now() < deadline) {
        Read(static_cast<int>(
                 std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                     .count()) +
             1);
    }
    m_queue.clear();
    m_nStrays = 0;
}
