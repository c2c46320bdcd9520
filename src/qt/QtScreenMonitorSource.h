#pragma once

#include <vector>

#include "monitors/MonitorSource.h"
#include "monitors/ScreenSpace.h"

// The monitors as the toolkit reports its screens: the list for a session without an X
// server (Wayland), where RandR cannot be asked. The names are the outputs' own ("DP-1",
// "HDMI-A-1"), as the compositor and the X server both take them from the kernel, so a device
// set up under one session finds its monitor under the other.
//
// The rectangles are in the space the pointer is mapped in (see ScreenSpace.h): on Wayland
// the compositor's logical layout, which is where it puts an absolute pointer; elsewhere
// (a console platform, offscreen) device pixels, as the X server's lists give them. Qt's own
// scale (QT_SCALE_FACTOR) is taken as 1 on Wayland, where the compositor's scale is the one
// that counts.
//
// User-interface thread only: the toolkit's screens live there.
class CQtScreenMonitorSource final : public IMonitorSource {
public:
    std::vector<MonitorInfo> EnumMonitors() override;

    // The toolkit's screens now, in its order.
    static std::vector<ToolkitScreen> Screens();
    // The space of this session's platform: CompositorLayout on Wayland.
    static ScreenSpace Space();
};
