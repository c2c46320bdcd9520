#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <memory>

#include "PipedProcess.h"
#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "TouchPackets.h"

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

bool IsPacketLine(const std::string& strLine) {
    return strLine.rfind("touch=", 0) == 0;
}

bool IsCutShortLine(const std::string& strLine) {
    return strLine.rfind("cut short: ", 0) == 0;
}

std::string CleanLine(bool bTouch, int nX, int nY) {
    return std::string("touch=") + (bTouch ? "1" : "0") + " x=" + std::to_string(nX) +
           " y=" + std::to_string(nY) + " bits=" + TouchPacketText(bTouch, nX, nY);
}

std::unique_ptr<CPipedProcess> StartView(int nPort, int nBaud) {
    const std::string strPort = "COM" + std::to_string(nPort);
    auto pView = std::make_unique<CPipedProcess>(std::vector<std::string>{
        CPipedProcess::ToolPath("tactilo-packets"), strPort, std::to_string(nBaud)});
    std::string strLine;
    EXPECT_TRUE(pView->ReadLine(strLine)) << pView->ErrorLog();
    EXPECT_EQ(strLine.rfind(strPort + ": open at " + std::to_string(nBaud), 0), 0u) << strLine;
    return pView;
}

}  // namespace

// Noise at a 9600-baud line's pace reaches the packet view no faster than asked, all of it.
TEST(BadLine, NoiseFlowsAtTheRateAsked) {
    constexpr int nRate = 960;
    constexpr int nMs = 1500;
    constexpr int nBytes = nRate * nMs / 1000;
    const milliseconds timeout = 10s + 4 * milliseconds(nMs);  // a busy machine is slower
    CTempConfigDir config;
    CSimulatorProcess sim(8, {"--seed", "11"});
    ASSERT_FALSE(sim.SlavePath().empty()) << sim.ErrorLog();
    auto pView = StartView(8, 9600);

    const auto start = steady_clock::now();
    sim.Send("noise " + std::to_string(nRate) + " " + std::to_string(nMs) +
             "\nwait 20\ndown 1000 1000\nwait 20\ndown 1000 1000\n");
    // Every packet line took three bytes, every cut a byte at least; the simulator never
    // sends a byte before its time, so by any moment no more than rate x time have come.
    long long nWhole = 0;
    long long nCut = 0;
    std::string strLine;
    while (strLine != CleanLine(true, 1000, 1000)) {
        ASSERT_TRUE(pView->ReadLine(strLine, timeout)) << pView->ErrorLog() << sim.ErrorLog();
        nWhole += IsPacketLine(strLine);
        nCut += IsCutShortLine(strLine);
        const double dSeconds = duration<double>(steady_clock::now() - start).count();
        ASSERT_LE(3 * nWhole + nCut, nRate * dSeconds + 1) << "after " << dSeconds << " s";
    }
    EXPECT_GE(steady_clock::now() - start, milliseconds(nMs));
    // About half of random bytes are lead bytes, and each one starts a packet.
    EXPECT_GE(nWhole + nCut, nBytes / 4);
}

// A controller at 9600 read at 2400 gives no clean packet; the same reader opening the port
// again at 9600 reads every packet clean from the next burst on.
TEST(BadLine, AMisclockedReaderReadsGarbleUntilItMatchesTheRate) {
    constexpr int nPackets = 20;
    CTempConfigDir config;
    CSimulatorProcess sim(9, {"--controller-baud", "9600"});
    ASSERT_FALSE(sim.SlavePath().empty()) << sim.ErrorLog();
    std::string strScript;
    for (int i = 0; i < nPackets; ++i) {
        strScript += "down 100 200\n";
    }
    {
        auto pSlow = StartView(9, 2400);
        sim.Send(strScript + "echo slow done\n");
        ASSERT_TRUE(sim.WaitForEcho("slow done")) << sim.ErrorLog();
        pSlow->Signal(SIGINT);
        std::string strLine;
        while (pSlow->ReadLine(strLine)) {
        }
        for (const std::string& strSeen : pSlow->Lines()) {
            EXPECT_NE(strSeen, CleanLine(true, 100, 200));
        }
    }
    auto pMatched = StartView(9, 9600);
    sim.Send(strScript);
    for (int i = 0; i < nPackets; ++i) {
        ASSERT_TRUE(pMatched->WaitForLine(CleanLine(true, 100, 200))) << i << pMatched->ErrorLog();
    }
    EXPECT_NE(sim.ErrorLog().find("the port reads at 2400 baud, the controller sends at 9600"),
              std::string::npos);
}

// The packet view finds a controller's rate through a real pseudo-terminal: at every rate it
// tries, the simulator delivers what a receiver at that rate reads from a controller at its
// own, and only the controller's rate frames cleanly. The finger moves the whole time; 30
// packets a second fit the slowest line.
class BaudDetection : public ::testing::TestWithParam<int> {};

TEST_P(BaudDetection, FindsTheControllersRate) {
    const int nBaud = GetParam();
    CTempConfigDir config;
    CSimulatorProcess sim(6, {"--controller-baud", std::to_string(nBaud)});
    ASSERT_FALSE(sim.SlavePath().empty()) << sim.ErrorLog();
    std::string strScript = "rate 30\n";
    for (int i = 0; i < 12; ++i) {  // 12 s: all four rates are tried within it
        strScript += "drag 200 300 800 " + std::to_string(400 + 20 * i) + " 1000\n";
    }
    ASSERT_TRUE(sim.Send(strScript));
    CPipedProcess detect(
        {CPipedProcess::ToolPath("tactilo-packets"), "--detect", "COM6"});
    std::string strLine;
    ASSERT_TRUE(detect.ReadLine(strLine, 30s)) << detect.ErrorLog() << sim.ErrorLog();
    EXPECT_EQ(strLine, std::to_string(nBaud)) << detect.ErrorLog();
}

INSTANTIATE_TEST_SUITE_P(Rates, BaudDetection, ::testing::Values(9600, 4800, 2400, 1200),
                         [](const auto& info) { return std::to_string(info.param); });
