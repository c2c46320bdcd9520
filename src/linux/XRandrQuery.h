#pragma once

#include <string>
#include <vector>

#include "monitors/MonitorSource.h"

// Xlib's display type, declared here so that users of this header need no X11 include.
struct _XDisplay;

// A RandR monitor as the pointer output and the monitor source need it.
struct RandrMonitor {
    MonitorInfo info;
    bool bPrimary = false;
};

// Opens a display connection: the given name, or $DISPLAY when it is empty. Null on failure.
// Xlib is made thread-aware first, since the reader thread and the user-interface thread each
// hold a connection of their own.
_XDisplay* OpenXDisplay(const std::string& strDisplayName);

// The active RandR monitors of the default screen, in the server's order (the server lists
// the primary monitor first), rectangles in root-window pixels. bWithNames asks for the
// monitor names too, one round trip each. A server without RandR 1.5 monitors reports one
// monitor, "screen", covering the root window.
std::vector<RandrMonitor> QueryRandrMonitors(_XDisplay* pDisplay, bool bWithNames);
