#include "monitors/ScreenSpace.h"

#include <cmath>

namespace {

int Scaled(int nValue, double dFactor) {
    return static_cast<int>(std::lround(nValue * dFactor));
}

bool Holds(const ScreenRect& rc, int x, int y) {
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

}  // namespace

double MonitorUnitsPerToolkitUnit(const ToolkitScreen& screen, ScreenSpace space) {
    if (space == ScreenSpace::CompositorLayout || !(screen.dDevicePixelRatio > 0.0)) {
        return 1.0;
    }
    return screen.dDevicePixelRatio;
}

MonitorInfo MonitorOfScreen(const ToolkitScreen& screen, ScreenSpace space) {
    const double dUnits = MonitorUnitsPerToolkitUnit(screen, space);
    MonitorInfo info;
    info.strDeviceName = screen.strName;
    info.rcMonitor = {screen.nLeft, screen.nTop, screen.nLeft + Scaled(screen.nWidth, dUnits),
                      screen.nTop + Scaled(screen.nHeight, dUnits)};
    return info;
}

ScreenRect ToolkitRectOfMonitor(const std::vector<ToolkitScreen>& vecScreens,
                                const ScreenRect& rcMonitor, ScreenSpace space) {
    for (const ToolkitScreen& screen : vecScreens) {
        const ScreenRect rcScreen = MonitorOfScreen(screen, space).rcMonitor;
        if (!Holds(rcScreen, rcMonitor.left, rcMonitor.top)) {
            continue;
        }
        const double dUnits = MonitorUnitsPerToolkitUnit(screen, space);
        const int nLeft = screen.nLeft + Scaled(rcMonitor.left - screen.nLeft, 1.0 / dUnits);
        const int nTop = screen.nTop + Scaled(rcMonitor.top - screen.nTop, 1.0 / dUnits);
        return {nLeft, nTop, nLeft + Scaled(rcMonitor.right - rcMonitor.left, 1.0 / dUnits),
                nTop + Scaled(rcMonitor.bottom - rcMonitor.top, 1.0 / dUnits)};
    }
    return rcMonitor;
}
