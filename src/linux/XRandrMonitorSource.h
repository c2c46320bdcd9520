#pragma once

#include <string>
#include <vector>

#include "monitors/MonitorSource.h"

struct _XDisplay;

// The X server's monitors as RandR 1.5 lists them: names such as "DP-1", "HDMI-A-0" or, on a
// plain Xvfb, "screen"; rectangles in root-window pixels, in the server's order.
//
// Each EnumMonitors opens a connection of its own and closes it again (the list is made
// rarely, for one command), unless a connection was handed in, which is then used on the
// caller's thread and never closed. Either way the caller's thread may be the Qt user-
// interface thread: this connection is not Qt's.
class CXRandrMonitorSource final : public IMonitorSource {
public:
    // strDisplayName: e.g. ":5"; empty means $DISPLAY.
    explicit CXRandrMonitorSource(std::string strDisplayName = {});
    explicit CXRandrMonitorSource(_XDisplay* pDisplay);

    std::vector<MonitorInfo> EnumMonitors() override;

private:
    std::string m_strDisplayName;
    _XDisplay* m_pDisplay = nullptr;
};
