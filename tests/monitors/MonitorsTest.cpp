#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "FakeMonitorSource.h"
#include "monitors/Monitors.h"

namespace {

struct NameRow {
    const char* szDeviceName;
    const char* szMonitorName;
};

class MonitorNames : public ::testing::TestWithParam<NameRow> {};

std::string DeviceNameOf(const CMonitor& monitor) {
    std::string strName = "left over";
    monitor.GetDeviceName(strName);
    return strName;
}

ScreenRect RectOf(const CMonitor& monitor) {
    ScreenRect rc = {-7, -7, -7, -7};
    monitor.GetMonitorRect(&rc);
    return rc;
}

}  // namespace

TEST_P(MonitorNames, LoseEveryBackslashAndDot) {
    EXPECT_EQ(MonitorName(GetParam().szDeviceName), GetParam().szMonitorName);
}

INSTANTIATE_TEST_SUITE_P(Table, MonitorNames,
                         ::testing::Values(NameRow{R"(\\.\DISPLAY2)", "DISPLAY2"},
                                           NameRow{R"(\\.\DISP.LAY\3.)", "DISPLAY3"},
                                           NameRow{"screen", "screen"}, NameRow{"DP-1", "DP-1"},
                                           NameRow{"HDMI-A-0", "HDMI-A-0"}, NameRow{R"(.\.\)", ""},
                                           NameRow{"", ""}));

TEST(MonitorName, ComparisonIsCaseSensitive) {
    EXPECT_NE(MonitorName("display1"), MonitorName(R"(\\.\DISPLAY1)"));
    EXPECT_EQ(MonitorName("DISPLAY1"), MonitorName(R"(\\.\DISPLAY1)"));
}

TEST(Monitors, ListsTheSourceInItsOrder) {
    // A secondary monitor left of the primary one has a negative left edge.
    CFakeMonitorSource source(
        {{R"(\\.\DISPLAY1)", {0, 0, 1920, 1080}}, {R"(\\.\DISPLAY2)", {-1280, -200, 0, 824}}});
    const CMonitors monitors(source);

    ASSERT_EQ(monitors.GetCount(), 2);
    EXPECT_EQ(DeviceNameOf(monitors.GetMonitor(0)), R"(\\.\DISPLAY1)");
    EXPECT_EQ(RectOf(monitors.GetMonitor(0)), (ScreenRect{0, 0, 1920, 1080}));
    EXPECT_EQ(MonitorName(DeviceNameOf(monitors.GetMonitor(1))), "DISPLAY2");
    EXPECT_EQ(RectOf(monitors.GetMonitor(1)), (ScreenRect{-1280, -200, 0, 824}));
}

TEST(Monitors, IndexOutsideTheListIsAnInvalidArgument) {
    CFakeMonitorSource source({{"A", {0, 0, 10, 10}}, {"B", {10, 0, 20, 10}}});
    const CMonitors monitors(source);

    EXPECT_THROW(monitors.GetMonitor(2), std::invalid_argument);
    EXPECT_THROW(monitors.GetMonitor(-1), std::invalid_argument);
    EXPECT_NO_THROW(monitors.GetMonitor(1));

    CFakeMonitorSource none;
    const CMonitors empty(none);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_THROW(empty.GetMonitor(0), std::invalid_argument);
}

TEST(Monitors, ListKeepsTheMonitorsOfItsConstruction) {
    CFakeMonitorSource source({{"A", {0, 0, 10, 10}}});
    const CMonitors before(source);
    source.SetMonitors({{"B", {0, 0, 20, 20}}, {"C", {20, 0, 40, 20}}});

    EXPECT_EQ(before.GetCount(), 1);
    EXPECT_EQ(DeviceNameOf(before.GetMonitor(0)), "A");
    const CMonitors after(source);
    EXPECT_EQ(after.GetCount(), 2);
    EXPECT_EQ(DeviceNameOf(after.GetMonitor(0)), "B");
}

TEST(Monitor, DefaultOneHasNoNameAndAnEmptyRectangle) {
    const CMonitor monitor;
    EXPECT_EQ(DeviceNameOf(monitor), "");
    EXPECT_EQ(RectOf(monitor), ScreenRect{});
}
