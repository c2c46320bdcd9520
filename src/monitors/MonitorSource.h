#pragma once

#include <string>
#include <vector>

#include "devices/TouchDevice.h"

// One display monitor as the system reports it: its device name (for an X server the RandR
// monitor's name, e.g. "screen", "DP-1" or "DISPLAY2") and its rectangle in root-window
// pixels (native pixels, never scaled ones).
struct MonitorInfo {
    std::string strDeviceName;
    ScreenRect rcMonitor;
};

// Where the monitor list comes from: XRandR on the desktop, a fixed list in tests.
class IMonitorSource {
public:
    virtual ~IMonitorSource() = default;
    // All monitors, in the system's order. Empty when there are none or the query failed.
    virtual std::vector<MonitorInfo> EnumMonitors() = 0;
};
