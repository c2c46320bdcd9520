#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LineStreams.h"
#include "serial/LineGuard.h"

namespace {

// A tap as the simulator makes it: six touch packets 10 ms apart, then the release.
std::vector<TimedByte> Tap(int nX, int nY, double dStartMs) {
    return ControllerDrag(9600, 6, nX, nY, 0, dStartMs);
}

// Taps every 500 ms for dSeconds, each at a point of its own.
std::vector<TimedByte> Taps(double dSeconds, double dStartMs = 0.0) {
    std::vector<TimedByte> vecBytes;
    for (int i = 0; i * 500.0 < dSeconds * 1000.0; ++i) {
        vecBytes = Joined(vecBytes,
                          Tap(100 + (i * 137) % 800, 100 + (i * 71) % 800, dStartMs + i * 500.0));
    }
    return vecBytes;
}

// vecBytes with nByte put before the byte at nIndex, at that byte's time.
std::vector<TimedByte> WithStray(std::vector<TimedByte> vecBytes, std::size_t nIndex,
                                 unsigned char nByte) {
    vecBytes.insert(vecBytes.begin() + static_cast<long>(nIndex),
                    {vecBytes[nIndex].dTimeMs - 0.01, nByte});
    return vecBytes;
}

int RawX(const std::string& strPacket) {
    int nX = 0;
    int nY = 0;
    CLineGuard::DecodeRaw(strPacket, nX, nY);
    return nX;
}

}  // namespace

TEST(LineGuardTest, ACleanStreamActsPacketByPacket) {
    // A drag that crosses the screen faster than any finger still acts whole: nothing on a
    // clean line is judged.
    const auto vecDrag = ControllerDrag(9600, 20, 10, 10, 40);
    const GuardedRun drag = RunGuarded(vecDrag);
    EXPECT_EQ(drag.vecActed.size(), 21u);
    EXPECT_EQ(drag.nPresses, 1);
    EXPECT_EQ(drag.nClicks, 1);

    // One touch packet and one release still click.
    const GuardedRun tap = RunGuarded(ControllerDrag(9600, 1, 500, 500));
    EXPECT_EQ(tap.vecActed, (std::vector<std::string>{TouchPacketText(true, 500, 500),
                                                      TouchPacketText(false, 500, 500)}));
    EXPECT_EQ(tap.nNotices, 0);
}

struct StrayCase {
    const char* pszName;
    std::size_t nIndex;  // into a tap at 300 ms (21 bytes) after one at 0 ms: 21 + k
    unsigned char nByte;
};

class LineGuardStrayTest : public ::testing::TestWithParam<StrayCase> {};

// One stray byte anywhere in a tap loses no tap, presses nowhere else and tells nothing.
TEST_P(LineGuardStrayTest, OneStrayByteKeepsTheTaps) {
    const auto vecTaps = Joined(Tap(200, 200, 0), Tap(700, 600, 300));
    const GuardedRun run = RunGuarded(WithStray(vecTaps, GetParam().nIndex, GetParam().nByte));
    EXPECT_EQ(run.nPresses, 2);
    EXPECT_EQ(run.nClicks, 2);
    EXPECT_EQ(run.nNotices, 0);
    EXPECT_EQ(run.endState, CLineGuard::State::Trusted);
    for (const std::string& strPacket : run.vecActed) {
        const int nX = RawX(strPacket);
        EXPECT_TRUE((nX >= 200 && nX <= 200 + 127) || (nX >= 700 && nX <= 700 + 127)) << strPacket;
    }
}

INSTANTIATE_TEST_SUITE_P(Strays, LineGuardStrayTest,
                         ::testing::Values(StrayCase{"DataInSilence", 21, 0x35},
                                           StrayCase{"LeadInSilence", 21, 0xD5},
                                           StrayCase{"NulInSilence", 21, 0x00},
                                           StrayCase{"LeadAfterTheTouchDownsLead", 22, 0xED},
                                           StrayCase{"LeadAfterTwoBytes", 23, 0xF7},
                                           StrayCase{"DataInsideADragPacket", 29, 0x11},
                                           StrayCase{"LeadAfterADragPacketsLead", 28, 0xC1},
                                           StrayCase{"LeadInsideTheRelease", 40, 0x9A}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(LineGuardTest, AStrayByteEveryTwoSecondsLosesNoTap) {
    std::vector<TimedByte> vecBytes = Taps(30.0);
    std::mt19937 generator(7);
    for (double dMs = 1000.0; dMs < 30000.0; dMs += 2000.0) {
        const auto it = std::lower_bound(
            vecBytes.begin(), vecBytes.end(), dMs,
            [](const TimedByte& byte, double dTime) { return byte.dTimeMs < dTime; });
        vecBytes.insert(it, {dMs, static_cast<unsigned char>(generator())});
    }
    const GuardedRun run = RunGuarded(vecBytes);
    EXPECT_EQ(run.nPresses, 60);
    EXPECT_EQ(run.nClicks, 60);
    EXPECT_EQ(run.nNotices, 0);
}

// Random bytes at 960 bytes/s for 60 s: once the line is suspect (within its first second)
// nothing acts, and the user is told once.
TEST(LineGuardTest, RandomBytesNeverActOnceSuspect) {
    for (unsigned nSeed = 1; nSeed <= 20; ++nSeed) {
        SCOPED_TRACE(nSeed);
        const GuardedRun run =
            RunGuarded(Joined(Tap(500, 500, 0), RandomBytes(nSeed, 960, 60, 500)));
        EXPECT_LT(run.dLastActMs, 1500.0);
        EXPECT_LE(run.vecActed.size(), 7u + 6u);  // the tap, and a handful at the onset
        EXPECT_EQ(run.nClicks, run.nPresses);     // nothing is left held
        EXPECT_EQ(run.nNotices, 1);
        EXPECT_EQ(run.endState, CLineGuard::State::Suspect);
    }
}

// Before the second anomaly the onset of noise looks like a genuine touch: its first packet
// frames clean one time in eight and touches one time in two. Presses there stay near that
// floor of 1 in 16, and are let go of when the line turns suspect.
TEST(LineGuardTest, TheOnsetOfNoiseRarelyPresses) {
    int nOnsetPresses = 0;
    int nFreshPresses = 0;
    for (unsigned nSeed = 1; nSeed <= 1000; ++nSeed) {
        const GuardedRun run =
            RunGuarded(Joined(Tap(500, 500, 0), RandomBytes(nSeed, 960, 1, 500)));
        nOnsetPresses += run.nPresses - 1;
        ASSERT_EQ(run.nClicks, run.nPresses) << nSeed;
        nFreshPresses += RunGuarded(RandomBytes(nSeed, 960, 1)).nPresses;
    }
    EXPECT_LE(nOnsetPresses, 90);   // 76 measured
    EXPECT_LE(nFreshPresses, 100);  // 85 measured, on a port opened into noise
}

TEST(LineGuardTest, ATapAfterTheNoiseEndsActs) {
    for (unsigned nSeed = 1; nSeed <= 20; ++nSeed) {
        SCOPED_TRACE(nSeed);
        const GuardedRun run = RunGuarded(Joined(RandomBytes(nSeed, 960, 5), Tap(400, 400, 5100)));
        ASSERT_FALSE(run.vecActed.empty());
        EXPECT_EQ(run.vecActed.back(), TouchPacketText(false, 400, 400));
        EXPECT_EQ(run.nClicks, run.nPresses);
        EXPECT_EQ(run.endState, CLineGuard::State::Trusted);
    }
}

struct BaudCase {
    unsigned nSent;
    unsigned nRead;
};

class LineGuardBaudTest : public ::testing::TestWithParam<BaudCase> {};

// A healthy controller read at the wrong rate: sixty touches, resting or dragging, give no
// press; read at its own rate (the UART model's check) every packet acts.
TEST_P(LineGuardBaudTest, AWrongBaudRateNeverPresses) {
    std::vector<TimedByte> vecSent;
    for (int i = 0; i < 60; ++i) {
        const double dStartMs = vecSent.empty() ? 0.0 : vecSent.back().dTimeMs + 100.0;
        vecSent = Joined(vecSent, ControllerDrag(GetParam().nSent, 40, 50 + i * 13 % 600,
                                                 80 + i * 29 % 600, i % 5, dStartMs));
    }
    const GuardedRun run = RunGuarded(UartReceive(vecSent, GetParam().nSent, GetParam().nRead));
    if (GetParam().nSent == GetParam().nRead) {
        EXPECT_EQ(run.nPresses, 60);
        EXPECT_EQ(run.vecActed.size(), 60u * 41u);
        return;
    }
    // Read at half its rate, a resting finger can repeat one clean false packet from the very
    // first touch on a fresh connection, which must act at once like any clean touch-down: the
    // same onset as noise's, once, before the line is told noisy. Never again after that.
    const bool bHalfRate = GetParam().nSent == 2 * GetParam().nRead;
    EXPECT_LE(run.nPresses, bHalfRate ? 1 : 0);
    EXPECT_LE(run.vecActed.size(), bHalfRate ? 20u : 6u);
    EXPECT_GE(run.nNotices, 1);
}

INSTANTIATE_TEST_SUITE_P(Rates, LineGuardBaudTest,
                         ::testing::Values(BaudCase{9600, 9600}, BaudCase{9600, 2400},
                                           BaudCase{2400, 9600}, BaudCase{9600, 4800},
                                           BaudCase{4800, 9600}, BaudCase{2400, 1200},
                                           BaudCase{1200, 9600}, BaudCase{1200, 2400}),
                         [](const auto& info) {
                             return std::to_string(info.param.nSent) + "ReadAt" +
                                    std::to_string(info.param.nRead);
                         });
