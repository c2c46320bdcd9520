#pragma once

#include <vector>

#include "monitors/MonitorSource.h"

// The monitors as the toolkit reports its screens: the list for a session without an X
// server (Wayland), where RandR cannot be asked. The names are the outputs' own ("DP-1",
// "HDMI-A-1"), as the compositor and the X server both take them from the kernel, so a device
// set up under one session finds its monitor under the other. A rectangle starts at the
// screen's place in the desktop and has its size in device pixels (the scale undone), as
// the X server's lists give it.
//
// User-interface thread only: the toolkit's screens live there.
class CQtScreenMonitorSource final : public IMonitorSource {
public:
    std::vector<MonitorInfo> EnumMonitors() override;
};
