#include "linux/XRandrQuery.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// XRRGetMonitors came with RandR 1.5.
bool HasRandrMonitors(Display* pDisplay) {
    int nEventBase = 0;
    int nErrorBase = 0;
    if (!XRRQueryExtension(pDisplay, &nEventBase, &nErrorBase)) {
        return false;
    }
    int nMajor = 0;
    int nMinor = 0;
    if (!XRRQueryVersion(pDisplay, &nMajor, &nMinor)) {
        return false;
    }
    return nMajor > 1 || (nMajor == 1 && nMinor >= 5);
}

std::string AtomName(Display* pDisplay, Atom atom) {
    char* szName = XGetAtomName(pDisplay, atom);
    if (!szName) {
        return {};
    }
    std::string strName = szName;
    XFree(szName);
    return strName;
}

}  // namespace

_XDisplay* OpenXDisplay(const std::string& strDisplayName) {
    static const bool s_bThreads = XInitThreads() != 0;
    (void)s_bThreads;
    return XOpenDisplay(strDisplayName.empty() ? nullptr : strDisplayName.c_str());
}

std::vector<RandrMonitor> QueryRandrMonitors(_XDisplay* pDisplay, bool bWithNames) {
    std::vector<RandrMonitor> vecMonitors;
    if (!pDisplay) {
        return vecMonitors;
    }
    const int nScreen = DefaultScreen(pDisplay);
    if (!HasRandrMonitors(pDisplay)) {
        RandrMonitor screen;
        screen.info.strDeviceName = "screen";
        screen.info.rcMonitor = {0, 0, DisplayWidth(pDisplay, nScreen),
                                 DisplayHeight(pDisplay, nScreen)};
        screen.bPrimary = true;
        vecMonitors.push_back(screen);
        return vecMonitors;
    }

    int nCount = 0;
    // Active monitors only: one whose outputs are all switched off shows nothing to touch.
    XRRMonitorInfo* pInfos = XRRGetMonitors(pDisplay, RootWindow(pDisplay, nScreen), True, &nCount);
    if (!pInfos) {
        return vecMonitors;
    }
    vecMonitors.reserve(static_cast<std::size_t>(nCount));
    for (int i = 0; i < nCount; ++i) {
        const XRRMonitorInfo& xm = pInfos[i];
        RandrMonitor monitor;
        if (bWithNames) {
            monitor.info.strDeviceName = AtomName(pDisplay, xm.name);
        }
        monitor.info.rcMonitor = {xm.x, xm.y, xm.x + xm.width, xm.y + xm.height};
        monitor.bPrimary = xm.primary != 0;
        vecMonitors.push_back(std::move(monitor));
    }
    XRRFreeMonitors(pInfos);
    return vecMonitors;
}
