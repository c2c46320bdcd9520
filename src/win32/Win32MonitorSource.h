#pragma once

#include "monitors/MonitorSource.h"

// The display monitors as EnumDisplayMonitors lists them, in the system's order: device
// names such as "\\.\DISPLAY1" (CMonitors' users strip the backslashes and dots), full
// monitor rectangles (not the work area) in virtual-screen pixels, so a monitor left of the
// primary one has a negative left edge.
class CWin32MonitorSource final : public IMonitorSource {
public:
    std::vector<MonitorInfo> EnumMonitors() override;
};
