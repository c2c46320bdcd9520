#pragma once

#include <string>
#include <vector>

#include "devices/TouchDevice.h"
#include "monitors/MonitorSource.h"

// Where a toolkit screen stands in the space the pointer is sent in.
//
// The toolkit (Qt 6) gives each screen as a rectangle whose top-left corner is in the
// platform's own coordinates and whose size is divided by the toolkit's scale. What the
// monitors must be measured in depends on who turns the pointer's position into a pixel:
//
//   space             who maps the pointer        a screen's monitor rectangle
//   DevicePixels      the X server (root pixels)  origin as given, size x device-pixel ratio
//   CompositorLayout  a Wayland compositor        origin and size as given (the compositor's
//                                                 logical layout, from xdg-output)
//
// A Wayland compositor spreads an absolute pointer over its logical layout, where an output
// at scale 2 takes half its panel's pixels in each direction. Measured in device pixels, the
// same output would be twice as large as the compositor takes it: the device's span would be
// too wide, every touch right of a scaled output would drift, and two scaled outputs side by
// side would overlap. In the compositor's layout the rectangles tile as the compositor tiles
// them, whatever each output's scale (1, 1.5, 2) and wherever the layout starts (negative
// coordinates included).
enum class ScreenSpace { DevicePixels, CompositorLayout };

// One screen as the toolkit reports it.
struct ToolkitScreen {
    std::string strName;
    int nLeft = 0;
    int nTop = 0;
    int nWidth = 0;
    int nHeight = 0;
    double dDevicePixelRatio = 1.0;
};

// Monitor units per toolkit unit on this screen: 1 in the compositor's layout, the screen's
// device-pixel ratio in device pixels.
double MonitorUnitsPerToolkitUnit(const ToolkitScreen& screen, ScreenSpace space);

// The screen as a monitor: its name and its rectangle in the given space.
MonitorInfo MonitorOfScreen(const ToolkitScreen& screen, ScreenSpace space);

// The toolkit rectangle (left, top, right, bottom) that covers rcMonitor, a monitor
// rectangle in the given space: found through the screen whose monitor rectangle holds
// rcMonitor's top-left corner; rcMonitor unchanged when none does.
ScreenRect ToolkitRectOfMonitor(const std::vector<ToolkitScreen>& vecScreens,
                                const ScreenRect& rcMonitor, ScreenSpace space);
