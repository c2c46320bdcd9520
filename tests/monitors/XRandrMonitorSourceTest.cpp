#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "XObserver.h"
#include "Xvfb.h"
#include "linux/XRandrMonitorSource.h"
#include "monitors/Monitors.h"

namespace {

void ExpectMonitors(const std::vector<MonitorInfo>& vecActual,
                    const std::vector<MonitorInfo>& vecExpected) {
    ASSERT_EQ(vecActual.size(), vecExpected.size());
    for (std::size_t i = 0; i < vecExpected.size(); ++i) {
        SCOPED_TRACE("monitor " + std::to_string(i));
        EXPECT_EQ(vecActual[i].strDeviceName, vecExpected[i].strDeviceName);
        EXPECT_EQ(vecActual[i].rcMonitor, vecExpected[i].rcMonitor);
    }
}

}  // namespace

TEST(XRandrMonitorSource, PlainXvfbHasOneMonitorCalledScreen) {
    CXvfb xvfb("1600x900x24");
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();

    CXRandrMonitorSource source(xvfb.Display());
    ExpectMonitors(source.EnumMonitors(), {{"screen", {0, 0, 1600, 900}}});
}

TEST(XRandrMonitorSource, ListsMonitorsInTheServersOrder) {
    CXvfb xvfb("3840x1080x24");
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    // The server may place a monitor left of or above the root window's origin, as a
    // desktop whose primary monitor is not the top-left one reports it.
    ASSERT_TRUE(AddRandrMonitor(xvfb, "LEFT", {-1280, 0, 0, 1024}));
    ASSERT_TRUE(AddRandrMonitor(xvfb, "DP-1", {0, 0, 1920, 1080}, true));
    ASSERT_TRUE(AddRandrMonitor(xvfb, "HDMI-2", {1920, 0, 3840, 1080}));
    ASSERT_TRUE(AddRandrMonitor(xvfb, "TOP", {0, -600, 800, 0}));

    CXRandrMonitorSource source(xvfb.Display());
    // The server lists the primary monitor first, then the others as they were defined, then
    // the screen's own monitor, whose output no defined monitor claims.
    ExpectMonitors(source.EnumMonitors(), {{"DP-1", {0, 0, 1920, 1080}},
                                           {"LEFT", {-1280, 0, 0, 1024}},
                                           {"HDMI-2", {1920, 0, 3840, 1080}},
                                           {"TOP", {0, -600, 800, 0}},
                                           {"screen", {0, 0, 3840, 1080}}});

    // A list made later sees a monitor removed in between; the list before does not.
    const CMonitors before(source);
    ASSERT_TRUE(RemoveRandrMonitor(xvfb, "LEFT"));
    const CMonitors after(source);
    EXPECT_EQ(before.GetCount(), 5);
    ASSERT_EQ(after.GetCount(), 4);
    std::string strName;
    after.GetMonitor(1).GetDeviceName(strName);
    EXPECT_EQ(strName, "HDMI-2");
}

TEST(XRandrMonitorSource, UsesAConnectionHandedIn) {
    CXvfb xvfb("1024x768x24");
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    Display* pDisplay = XOpenDisplay(xvfb.Display().c_str());
    ASSERT_NE(pDisplay, nullptr);

    CXRandrMonitorSource source(pDisplay);
    ExpectMonitors(source.EnumMonitors(), {{"screen", {0, 0, 1024, 768}}});
    // Still open: the source does not close what it was given.
    ExpectMonitors(source.EnumMonitors(), {{"screen", {0, 0, 1024, 768}}});
    XCloseDisplay(pDisplay);
}

TEST(XRandrMonitorSource, NoDisplayGivesNoMonitors) {
    CXRandrMonitorSource source(":64999");
    EXPECT_TRUE(source.EnumMonitors().empty());
    const CMonitors monitors(source);
    EXPECT_EQ(monitors.GetCount(), 0);
}
