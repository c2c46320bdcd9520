// The X server dies while the real program is busy with a flood of touches: every X
// connection of the program (the toolkit's and the tray-host watch's on the user-interface
// thread, the pointer output's on the reader thread) breaks at once, and the program must
// end once, with a message and status 1, never with a crash.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "ChildProcess.h"
#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "XObserver.h"
#include "Xvfb.h"

namespace {

namespace fs = std::filesystem;

const char* const g_szSettings =
    "Front;screen;COM1;9600;1;0;1920;0;1080;2.258824;0;0;1.440000;0;0;517;500;180;860;0;200;"
    "800;0;0;0;\r\n";

constexpr int g_nRounds = 5;

}  // namespace

TEST(DisplayLoss, ServerDeathDuringAFloodEndsTheProgramOnceWithStatusOne) {
    CTempConfigDir config;
    const fs::path appDir = fs::path(config.Path()) / "portable copy";
    fs::create_directories(appDir);
    fs::copy_file(TACTILO_PROGRAM, appDir / "Tactilo");
    std::ofstream(appDir / "Settings.dat", std::ios::binary) << g_szSettings;

    for (int nRound = 0; nRound < g_nRounds; ++nRound) {
        SCOPED_TRACE("round " + std::to_string(nRound));
        CXvfb xvfb("1920x1080x24");
        ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
        CSimulatorProcess sim(1, {"--keep-open"});
        ASSERT_FALSE(sim.SlavePath().empty()) << sim.ErrorLog();
        CChildProcess tactilo({(appDir / "Tactilo").string()}, {{"DISPLAY", xvfb.Display()},
                                                                {"QT_QPA_PLATFORM", "xcb"},
                                                                {"DBUS_SESSION_BUS_ADDRESS", ""}});
        // A finger that moves without end, at the fastest rate a controller sends.
        ASSERT_TRUE(sim.Send("rate 2000\ndrag 100 100 900 900 60000\n"));
        {
            // The flood reaches the server; the observer goes before the server does.
            CXObserver observer(xvfb.Display());
            ASSERT_TRUE(observer.WaitForEvents([](const std::vector<PointerEvent>& vecEvents) {
                return vecEvents.size() > 50;
            })) << tactilo.Log();
        }
        ASSERT_TRUE(xvfb.Signal(SIGKILL));

        const int nStatus = tactilo.Wait(std::chrono::seconds(10));
        ASSERT_NE(nStatus, -1) << "the program did not end";
        EXPECT_FALSE(WIFSIGNALED(nStatus)) << "killed by signal " << WTERMSIG(nStatus) << "\n"
                                           << tactilo.Log();
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 1) << tactilo.Log();
        const std::string strLog = tactilo.Log();
        EXPECT_NE(strLog.find("Tactilo: the connection to the X display"), std::string::npos)
            << strLog;
        // Once: a single message, however many connections broke.
        EXPECT_EQ(strLog.find("Tactilo: the connection to the X display"),
                  strLog.rfind("Tactilo: the connection to the X display"))
            << strLog;
    }
}
