#include "win32/Win32MonitorSource.h"

#include <windows.h>

#include "win32/Win32Text.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR hMonitor, HDC, LPRECT, LPARAM lParam) {
    auto& vecMonitors = *reinterpret_cast<std::vector<MonitorInfo>*>(lParam);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    MonitorInfo monitor;
    // A monitor that went away between the enumeration and this query keeps an empty name
    // and rectangle rather than dropping out, so indices stay those of the enumeration.
    if (GetMonitorInfoW(hMonitor, &info)) {
        monitor.strDeviceName = WideToUtf8(info.szDevice);
        monitor.rcMonitor = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                             info.rcMonitor.bottom};
    }
    vecMonitors.push_back(std::move(monitor));
    return TRUE;
}

}  // namespace

std::vector<MonitorInfo> CWin32MonitorSource::EnumMonitors() {
    std::vector<MonitorInfo> vecMonitors;
    if (!EnumDisplayMonitors(nullptr, nullptr, AddMonitor,
                             reinterpret_cast<LPARAM>(&vecMonitors))) {
        return {};
    }
    return vecMonitors;
}
