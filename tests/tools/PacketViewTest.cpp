#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include "PipedProcess.h"
#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "TouchPackets.h"

namespace {

std::string Line(bool bTouch, int nX, int nY) {
    return std::string("touch=") + (bTouch ? "1" : "0") + " x=" + std::to_string(nX) +
           " y=" + std::to_string(nY) + " bits=" + TouchPacketText(bTouch, nX, nY);
}

}  // namespace

TEST(PacketViewProgram, PrintsPacketsCountsCutsAndFollowsTheDevice) {
    CTempConfigDir config;
    CSimulatorProcess sim(7);
    ASSERT_FALSE(sim.SlavePath().empty()) << sim.ErrorLog();
    CPipedProcess view({CPipedProcess::ToolPath("tactilo-packets"), "COM7", "9600"});
    std::string strLine;
    ASSERT_TRUE(view.ReadLine(strLine)) << view.ErrorLog();
    EXPECT_EQ(strLine, "COM7: open at 9600 baud, 8 data bits, no parity, one stop bit (" +
                           config.Path() + "/Brenhold/ports/COM7)");

    sim.Send("down 100 200\nup\nbytes C0 01 C3 02 03\n");
    EXPECT_TRUE(view.WaitForLine(Line(true, 100, 200)));
    EXPECT_TRUE(view.ReadLine(strLine));
    EXPECT_EQ(strLine, Line(false, 100, 200));
    EXPECT_TRUE(view.ReadLine(strLine));
    EXPECT_EQ(strLine, "cut short: 1");
    EXPECT_TRUE(view.ReadLine(strLine));
    EXPECT_EQ(strLine, Line(true, 2, 387));

    sim.Send("hangup\n");
    EXPECT_TRUE(view.WaitForLine("COM7: device gone")) << view.ErrorLog();
    sim.Send("reopen\n");
    EXPECT_TRUE(view.WaitForLine("COM7: back")) << view.ErrorLog();
    sim.Send("down 5 6\n");
    EXPECT_TRUE(view.WaitForLine(Line(true, 5, 6)));

    view.Signal(SIGINT);
    EXPECT_TRUE(view.WaitForLine("packets: 4 whole, 1 cut short"));
    const int nStatus = view.Wait();
    ASSERT_TRUE(WIFEXITED(nStatus)) << nStatus;
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
}

TEST(PacketViewProgram, MissingPortShowsThePortErrorText) {
    CTempConfigDir config;
    config.LinkPort(9, config.Path() + "/no-such-device");
    CPipedProcess view({CPipedProcess::ToolPath("tactilo-packets"), "COM9"});
    const int nStatus = view.Wait();
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 1);
    EXPECT_EQ(view.ErrorLog(), "tactilo-packets: COM9: Can't open port.\n ERROR #2\n");
}
