// SendInput under Wine reaches the X server; the runner reads the pointer as an X client.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "WineHost.h"
#include "win32/Win32PointerOutput.h"
// After our header: <windows.h> defines the MOUSEEVENTF_ names as macros.
#include <windows.h>

#include "monitors/Monitor.h"
#include "win32/Win32MonitorSource.h"

namespace {

// Waits until the X pointer stands at the pixel, or the deadline passes; returns where it
// was last seen.
std::string WaitForPointer(const std::string& strExpected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string strSeen;
    while (std::chrono::steady_clock::now() < deadline) {
        strSeen = AskWineHost("pointer");
        if (strSeen == strExpected) {
            break;
        }
        // Each question is a round trip to another process and the X server, so this paces
        // itself; the pointer moves when Wine's X driver has sent the move on.
    }
    return strSeen;
}

TEST(VirtualDeskCoordinate, ReachesEveryPixelOnTheFloorRule) {
    struct Row {
        int nPixel, nOrigin, nExtent, nExpected;
    };
    const Row rows[] = {
        {0, 0, 1280, 0},         {1, 0, 1280, 52},
        {639, 0, 1280, 32717},   {1279, 0, 1280, 65485},
        {1280, 0, 1280, 65485},                            // past the edge: the last pixel
        {-1, 0, 1280, 0},        {-1920, -1920, 3200, 0},  // a monitor left of the primary
        {0, -1920, 3200, 39322}, {5, 0, 0, 0},
    };
    for (const Row& row : rows) {
        const int d = VirtualDeskCoordinate(row.nPixel, row.nOrigin, row.nExtent);
        EXPECT_EQ(d, row.nExpected) << row.nPixel << " on " << row.nOrigin << "+" << row.nExtent;
        if (row.nExtent > 0 && row.nPixel >= row.nOrigin &&
            row.nPixel < row.nOrigin + row.nExtent) {
            // Maps back exactly: pixel = origin + floor(d * extent / 65536).
            EXPECT_EQ(row.nOrigin + static_cast<long long>(d) * row.nExtent / 65536, row.nPixel);
        }
    }
}

TEST(Win32PointerOutput, MovesLandOnThePixelTheXServerReports) {
    CWin32PointerOutput output;
    const ScreenSize size = output.PrimaryScreenSize();
    ASSERT_GT(size.cx, 0);
    const struct {
        int x, y;
    } points[] = {{17, 5}, {0, 0}, {size.cx / 2 - 1, size.cy / 3}, {size.cx - 1, size.cy - 1}};
    // Not (0, 0) first: Wine starts believing the pointer is there and sends no move to X
    // for a move that does not change its belief.
    for (const auto& point : points) {
        MouseInput move;
        move.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        move.nPixelX = point.x;
        move.nPixelY = point.y;
        output.SendInput(move);
        const std::string strExpected = std::to_string(point.x) + " " + std::to_string(point.y);
        EXPECT_EQ(WaitForPointer(strExpected), strExpected);
    }
}

// Wine has one monitor, the X screen; a second one (and a negative left edge) is tested
// through the monitor source interface in the core's tests.
TEST(Win32MonitorSource, ListsTheScreenAsDisplay1) {
    CWin32MonitorSource source;
    const std::vector<MonitorInfo> vecMonitors = source.EnumMonitors();
    ASSERT_EQ(vecMonitors.size(), 1u);
    EXPECT_EQ(vecMonitors[0].strDeviceName, "\\\\.\\DISPLAY1");
    EXPECT_EQ(MonitorName(vecMonitors[0].strDeviceName), "DISPLAY1");
    const ScreenRect rcExpected{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_EQ(vecMonitors[0].rcMonitor, rcExpected);
}

}  // namespace
