#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "monitors/ScreenSpace.h"

namespace {

// A layout as Qt 6 reports it on each platform, and the monitors it must give. Qt's Wayland
// screens are the compositor's logical outputs (xdg-output) with the output's integer buffer
// scale as ratio (2 for a fractional 1.5); X11 ones have the root-window origin and the size
// divided by Qt's scale.
struct LayoutRow {
    const char* szCase;
    std::vector<ToolkitScreen> vecScreens;
    ScreenSpace space;
    std::vector<ScreenRect> vecMonitors;
};

class ScreenLayouts : public ::testing::TestWithParam<LayoutRow> {};

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST_P(ScreenLayouts, GiveMonitorsThatTileInTheirSpace) {
    const LayoutRow& row = GetParam();
    std::vector<ScreenRect> vecMonitors;
    for (const ToolkitScreen& screen : row.vecScreens) {
        vecMonitors.push_back(MonitorOfScreen(screen, row.space).rcMonitor);
        EXPECT_EQ(MonitorOfScreen(screen, row.space).strDeviceName, screen.strName);
    }
    EXPECT_EQ(vecMonitors, row.vecMonitors);
    for (size_t i = 0; i < vecMonitors.size(); ++i) {
        for (size_t j = i + 1; j < vecMonitors.size(); ++j) {
            EXPECT_FALSE(Overlap(vecMonitors[i], vecMonitors[j])) << i << " and " << j;
        }
    }
    // Back to the toolkit: each monitor is its own screen again, which is where the
    // calibration page is put.
    for (size_t i = 0; i < vecMonitors.size(); ++i) {
        const ToolkitScreen& screen = row.vecScreens[i];
        EXPECT_EQ(ToolkitRectOfMonitor(row.vecScreens, vecMonitors[i], row.space),
                  (ScreenRect{screen.nLeft, screen.nTop, screen.nLeft + screen.nWidth,
                              screen.nTop + screen.nHeight}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScreenLayouts,
    ::testing::Values(
        // sway: 1024x768 at scale 1, an 800x600 panel at scale 2 right of it, 168 lower.
        LayoutRow{"SwayScale2",
                  {{"Virtual-1", 0, 0, 1024, 768, 1.0}, {"Virtual-2", 1024, 168, 400, 300, 2.0}},
                  ScreenSpace::CompositorLayout,
                  {{0, 0, 1024, 768}, {1024, 168, 1424, 468}}},
        // Scales 1, 1.5 (Qt rounds the buffer scale up to 2) and 2, left of the origin too.
        LayoutRow{"MixedNegative",
                  {{"DP-1", 0, 0, 1920, 1080, 1.0},
                   {"DP-2", -1280, -120, 1280, 720, 2.0},
                   {"HDMI-A-1", 1920, 0, 1280, 720, 2.0}},
                  ScreenSpace::CompositorLayout,
                  {{0, 0, 1920, 1080}, {-1280, -120, 0, 600}, {1920, 0, 3200, 720}}},
        // Two outputs at scale 2 side by side: in device pixels they would overlap.
        LayoutRow{"TwoScaledSideBySide",
                  {{"DP-1", 0, 0, 960, 540, 2.0}, {"DP-2", 960, 0, 960, 540, 2.0}},
                  ScreenSpace::CompositorLayout,
                  {{0, 0, 960, 540}, {960, 0, 1920, 540}}},
        // X11 with QT_SCALE_FACTOR=2: origins are root pixels, sizes Qt's halves.
        LayoutRow{"X11QtScale2",
                  {{"DP-1", 0, 0, 960, 540, 2.0}, {"DP-2", 1920, 0, 640, 360, 2.0}},
                  ScreenSpace::DevicePixels,
                  {{0, 0, 1920, 1080}, {1920, 0, 3200, 720}}},
        LayoutRow{"X11Fractional",
                  {{"DP-1", 0, 0, 1280, 720, 1.5}},
                  ScreenSpace::DevicePixels,
                  {{0, 0, 1920, 1080}}}),
    [](const auto& info) { return std::string(info.param.szCase); });

TEST(ScreenSpace, MonitorOutsideEveryScreenStaysAsItIs) {
    const std::vector<ToolkitScreen> vecScreens = {{"DP-1", 0, 0, 800, 600, 2.0}};
    const ScreenRect rc = {5000, 0, 5100, 100};
    EXPECT_EQ(ToolkitRectOfMonitor(vecScreens, rc, ScreenSpace::DevicePixels), rc);
    EXPECT_EQ(ToolkitRectOfMonitor({}, rc, ScreenSpace::CompositorLayout), rc);
}
