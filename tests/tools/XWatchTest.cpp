// tactilo-xwatch for real: a private X server, pointer input made by xdotool (XTest, another
// client), and the lines the watch prints.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <string>

#include "PipedProcess.h"
#include "Xvfb.h"

namespace {

int ExitCode(int nStatus) {
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

// A line without its server time, which no test can know.
std::string Untimed(const std::string& strLine) {
    return strLine.substr(0, strLine.find(" time="));
}

// Reads lines until one reads strUntimed apart from its time.
bool WaitForEvent(CPipedProcess& watch, const std::string& strUntimed) {
    std::string strLine;
    while (watch.ReadLine(strLine, std::chrono::seconds(5))) {
        if (Untimed(strLine) == strUntimed) {
            return true;
        }
    }
    return false;
}

TEST(XWatchProgram, PrintsButtonsAndMotionWithRootPointsAndHeldButtons) {
    CXvfb xvfb;
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    CPipedProcess watch({CPipedProcess::ToolPath("tactilo-xwatch"), xvfb.Display()});
    ASSERT_TRUE(watch.WaitForLine("ready")) << watch.ErrorLog();

    ASSERT_EQ(xvfb.Run("xdotool mousemove 100 200"), 0);
    ASSERT_TRUE(WaitForEvent(watch, "motion 0 100 200 state=0x0")) << watch.ErrorLog();
    ASSERT_EQ(xvfb.Run("xdotool mousedown 1 mousemove 300 400 mouseup 1"), 0);
    std::string strLine;
    ASSERT_TRUE(watch.ReadLine(strLine));
    EXPECT_EQ(Untimed(strLine), "press 1 100 200 state=0x0");
    ASSERT_TRUE(watch.ReadLine(strLine));
    EXPECT_EQ(Untimed(strLine), "motion 0 300 400 state=0x100");
    ASSERT_TRUE(watch.ReadLine(strLine));
    EXPECT_EQ(Untimed(strLine), "release 1 300 400 state=0x100");

    ASSERT_EQ(xvfb.Run("xdotool click 3"), 0);
    ASSERT_TRUE(watch.ReadLine(strLine));
    EXPECT_EQ(Untimed(strLine), "press 3 300 400 state=0x0");
    ASSERT_TRUE(watch.ReadLine(strLine));
    EXPECT_EQ(Untimed(strLine), "release 3 300 400 state=0x400");

    watch.Signal(SIGTERM);
    EXPECT_EQ(ExitCode(watch.Wait()), 0);
}

TEST(XWatchProgram, EachEventOnceInTheServersOrder) {
    CXvfb xvfb;
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    CPipedProcess watch({CPipedProcess::ToolPath("tactilo-xwatch"), "--flush-ms", "5"},
                        {{"DISPLAY", xvfb.Display()}});
    ASSERT_TRUE(watch.WaitForLine("ready")) << watch.ErrorLog();
    ASSERT_EQ(xvfb.Run("xdotool mousemove 1 1 mousemove 2 2 click 1 mousemove 1919 1079"), 0);
    ASSERT_TRUE(WaitForEvent(watch, "motion 0 1919 1079 state=0x0")) << watch.ErrorLog();
    unsigned long nLastMs = 0;
    int nEvents = 0;
    for (const std::string& strLine : watch.Lines()) {
        const auto nPos = strLine.find(" time=");
        if (nPos == std::string::npos) {
            continue;
        }
        const unsigned long nTimeMs = std::stoul(strLine.substr(nPos + 6));
        EXPECT_GE(nTimeMs, nLastMs) << strLine;
        nLastMs = nTimeMs;
        ++nEvents;
    }
    EXPECT_EQ(nEvents, 5);
}

TEST(XWatchProgram, NoServerIsAnErrorAndBadArgumentsShowTheUsage) {
    CPipedProcess noServer({CPipedProcess::ToolPath("tactilo-xwatch"), ":999"});
    EXPECT_EQ(ExitCode(noServer.Wait()), 1);
    EXPECT_EQ(noServer.ErrorLog(), "tactilo-xwatch: :999: cannot open display ':999'\n");

    for (const std::vector<std::string>& vecArgs :
         {std::vector<std::string>{"--flush-ms", "0", ":1"},
          std::vector<std::string>{"--flush-ms", "x"}, std::vector<std::string>{"--flush-ms"},
          std::vector<std::string>{":1", ":2"}, std::vector<std::string>{"--bogus"}}) {
        std::vector<std::string> vecLine = {CPipedProcess::ToolPath("tactilo-xwatch")};
        vecLine.insert(vecLine.end(), vecArgs.begin(), vecArgs.end());
        CPipedProcess bad(vecLine);
        EXPECT_EQ(ExitCode(bad.Wait()), 2) << vecArgs.front();
        EXPECT_NE(bad.ErrorLog().find("usage: tactilo-xwatch"), std::string::npos);
    }

    CPipedProcess noDisplay({CPipedProcess::ToolPath("tactilo-xwatch")}, {{"DISPLAY", ""}});
    EXPECT_EQ(ExitCode(noDisplay.Wait()), 2);
}

}  // namespace
