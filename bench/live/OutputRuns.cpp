// The pointer outputs side by side: Tactilo through uinput, Tactilo through XTest, and the
// uinput floor, each on a line of its own, their packets taking turns, each waiting for its
// own motion before the next packet is written.
#include <cstdlib>

#include "LiveCommon.h"
#include "LiveRuns.h"

using namespace live;

namespace {

struct Side {
    const char* szName;
    std::vector<double> vecUs;
    std::size_t nLost = 0;
};

// Starts Tactilo on COM<nPort> with its pointer output forced, in a work folder of its own.
bool StartTactilo(CLivePipeline& pipeline, CMotionWatch& watch, const char* szPointer) {
    setenv("TACTILO_POINTER", szPointer, 1);
    const bool bStarted = StartPipeline(pipeline, watch);
    unsetenv("TACTILO_POINTER");
    return bStarted;
}

LiveSetup TactiloSetup(const LiveOptions& options, int nPort, const char* szFolder) {
    LiveSetup setup = options.setup;
    setup.strKind = "tactilo";
    setup.nPort = nPort;
    setup.strWorkDir = options.setup.strWorkDir + "/" + szFolder;
    return setup;
}

}  // namespace

int RunOutputs(const LiveOptions& options) {
    CMotionWatch watch(options.strDisplay);
    // A kernel device's raw motion is in its own units: the pixel is the pointer's.
    watch.QueryPixel(true);
    watch.Slack(1);
    CLivePipeline uinput(TactiloSetup(options, options.setup.nPort, "uinput"));
    CLivePipeline xtest(TactiloSetup(options, options.setup.nPort + 1, "xtest"));
    Floor floor;
    if (!StartTactilo(uinput, watch, "uinput") || !StartTactilo(xtest, watch, "xtest") ||
        !floor.Start(options.strUinputFloorExe, watch)) {
        return 1;
    }

    Side aSides[3] = {{"uinput"}, {"xtest"}, {"floor"}};
    const auto period = std::chrono::microseconds(options.nPeriodUs);
    Clock::time_point next = Clock::now() + period;
    const int nRounds = options.nWarmup + options.nPackets;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        // Each Tactilo drags over lattice points of its own, so the pointer always moves.
        const auto rawUinput = LatticeRaw(static_cast<unsigned>(2 * nRound));
        const auto rawXTest = LatticeRaw(static_cast<unsigned>(2 * nRound + 1));
        for (int nTurn = 0; nTurn < 3; ++nTurn) {
            const int nSide = (nTurn + nRound) % 3;  // who goes first turns every round
            SleepUntil(next);
            next += period;
            std::pair<int, int> pixel;
            Clock::time_point tpWritten;
            bool bWritten = false;
            if (nSide < 2) {
                CLivePipeline& pipeline = nSide == 0 ? uinput : xtest;
                const auto [nRawX, nRawY] = nSide == 0 ? rawUinput : rawXTest;
                pixel = pipeline.Oracle().Feed(true, nRawX, nRawY);
                const auto aBytes = BenchPacketBytes(true, nRawX, nRawY);
                tpWritten = Clock::now();
                bWritten = pipeline.SendBytes(aBytes.data(), aBytes.size());
            } else {
                // About half a Tactilo pixel, as the XTest floor of the latency run goes.
                pixel = {rawUinput.first * 15 / 16 + 3, rawUinput.second / 2 + 3};
                tpWritten = Clock::now();
                bWritten = floor.Send(pixel.first, pixel.second);
            }
            if (!bWritten) {
                std::fprintf(stderr, "writing a packet for %s failed\n", aSides[nSide].szName);
                return 1;
            }
            const auto tpSeen =
                watch.WaitFor(pixel.first, pixel.second, tpWritten + std::chrono::seconds(1));
            if (nRound < options.nWarmup) {
                continue;
            }
            if (tpSeen) {
                aSides[nSide].vecUs.push_back(Micros(*tpSeen - tpWritten));
            } else {
                ++aSides[nSide].nLost;
            }
        }
    }
    uinput.Send(false, 512, 512);  // lift the fingers
    xtest.Send(false, 512, 512);

    std::printf(
        "Pointer outputs, last byte written on the pty -> motion seen by another X "
        "client\n(%d packets per side, interleaved, one every %d us, %d rounds of "
        "warm-up)\n",
        options.nPackets, options.nPeriodUs, options.nWarmup);
    Summary aSummaries[3];
    for (int i = 0; i < 3; ++i) {
        aSummaries[i] = Summarise(aSides[i].vecUs);
        PrintSummary(aSides[i].szName, aSummaries[i], aSides[i].nLost);
    }
    const auto Ratio = [&](int a, int b, const char* szWhat) {
        if (aSummaries[b].dMedian > 0 && aSummaries[b].dP99 > 0) {
            std::printf("  ratio      median %.3f  p99 %.3f  (%s)\n",
                        aSummaries[a].dMedian / aSummaries[b].dMedian,
                        aSummaries[a].dP99 / aSummaries[b].dP99, szWhat);
        }
    };
    Ratio(0, 2, "uinput / floor");
    Ratio(1, 2, "xtest / floor");
    Ratio(0, 1, "uinput / xtest");
    std::printf("  motions to unexpected pixels: %llu\n", watch.Strays());
    uinput.Stop();
    xtest.Stop();
    std::size_t nLost = 0;
    for (const Side& side : aSides) {
        nLost += side.nLost;
    }
    return nLost == 0 ? 0 : 1;
}
