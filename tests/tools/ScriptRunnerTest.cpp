#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "ScriptRunner.h"
#include "TempConfigDir.h"
#include "TouchPackets.h"

namespace {

using namespace std::chrono_literals;

// A device whose clock moves only when the runner waits, recording what is sent when.
class CFakeSimDevice final : public ISimDevice {
public:
    struct Sent {
        long long nMs;
        std::vector<unsigned char> vecBytes;
    };

    Clock::time_point Now() override { return m_now; }
    bool SleepUntil(Clock::time_point when) override {
        if (when > m_now) {
            m_now = when + m_oversleep;
        }
        return !m_bStopped;
    }
    bool Write(const std::vector<unsigned char>& vecBytes) override {
        m_vecSent.push_back(
            {std::chrono::duration_cast<std::chrono::milliseconds>(m_now - Clock::time_point{})
                 .count(),
             vecBytes});
        return !m_bStopped;
    }
    void Echo(const std::string& strText) override { m_vecEchoes.push_back(strText); }
    bool Hangup(std::string&) override { return ++m_nHangups, true; }
    bool Reopen(std::string& strError) override {
        strError = "no more pseudo-terminals";
        return false;
    }

    Clock::time_point m_now{};
    Clock::duration m_oversleep{};  // a busy machine wakes late
    bool m_bStopped = false;
    int m_nHangups = 0;
    std::vector<Sent> m_vecSent;
    std::vector<std::string> m_vecEchoes;
};

class ScriptRunner : public ::testing::Test {
protected:
    CScriptRunner::Result Run(const std::string& strLine) {
        SimCommand command;
        m_strError.clear();
        if (!ParseScriptLine(strLine, command, m_strError)) {
            ADD_FAILURE() << strLine << ": " << m_strError;
            return CScriptRunner::Result::Failed;
        }
        return m_runner.Execute(command, m_strError);
    }

    // The packets sent, as (ms, bytes) pairs, for comparing with expectations.
    std::vector<std::pair<long long, std::vector<unsigned char>>> Sent() const {
        std::vector<std::pair<long long, std::vector<unsigned char>>> vecSent;
        for (const auto& sent : m_device.m_vecSent) {
            vecSent.emplace_back(sent.nMs, sent.vecBytes);
        }
        return vecSent;
    }

    CFakeSimDevice m_device;
    CScriptRunner m_runner{m_device};
    std::string m_strError;
};

using Packets = std::vector<std::pair<long long, std::vector<unsigned char>>>;

const char* const g_szCalibration =
    "Front;DISPLAY1;COM3;9600;1;0;1920;0;1080;1.920000;1005.000000;5.000000;1.464407;"
    "868.000000;131.000000;505.000000;500.000000;105.000000;905.000000;1000.000000;"
    "205.000000;795.000000;737.500000;0;0;";

}  // namespace

TEST_F(ScriptRunner, TapIsADownPacketsAtTheRateAndAnUp) {
    ASSERT_EQ(Run("tap 100 200"), CScriptRunner::Result::Ok);
    const auto touch = TouchPacketBytes(true, 100, 200);
    EXPECT_EQ(Sent(), (Packets{{0, touch},
                               {10, touch},
                               {20, touch},
                               {30, touch},
                               {40, touch},
                               {50, touch},
                               {60, TouchPacketBytes(false, 100, 200)}}));
    EXPECT_FALSE(m_runner.Touching());
}

TEST_F(ScriptRunner, HoldFollowsTheRateAndLastsItsTime) {
    Run("rate 50");
    Run("down 7 8");
    ASSERT_EQ(Run("hold 100"), CScriptRunner::Result::Ok);
    EXPECT_EQ(m_device.m_vecSent.size(), 1u + 5u);
    EXPECT_EQ(m_device.m_vecSent.back().nMs, 100);
    // A move right after the hold keeps the pace, an up after a pause goes out at once.
    Run("move 9 9");
    EXPECT_EQ(m_device.m_vecSent.back().nMs, 120);
    Run("wait 500");
    Run("up");
    EXPECT_EQ(Sent().back(), (std::pair<long long, std::vector<unsigned char>>{
                                 620, TouchPacketBytes(false, 9, 9)}));
}

TEST_F(ScriptRunner, HoldWithoutATouchIsAnError) {
    EXPECT_EQ(Run("hold 100"), CScriptRunner::Result::Failed);
    EXPECT_NE(m_strError.find("no touch is down"), std::string::npos);
    EXPECT_TRUE(m_device.m_vecSent.empty());
}

TEST_F(ScriptRunner, DragEndsOnItsEndPoint) {
    ASSERT_EQ(Run("drag 0 0 100 50 50"), CScriptRunner::Result::Ok);
    EXPECT_EQ(Sent(), (Packets{{0, TouchPacketBytes(true, 0, 0)},
                               {10, TouchPacketBytes(true, 20, 10)},
                               {20, TouchPacketBytes(true, 40, 20)},
                               {30, TouchPacketBytes(true, 60, 30)},
                               {40, TouchPacketBytes(true, 80, 40)},
                               {50, TouchPacketBytes(true, 100, 50)},
                               {60, TouchPacketBytes(false, 100, 50)}}));
}

TEST_F(ScriptRunner, ScreenPointsNeedACalibration) {
    EXPECT_EQ(Run("tappoint 960 540"), CScriptRunner::Result::Failed);
    EXPECT_NE(m_strError.find("tappoint: no calibration"), std::string::npos) << m_strError;
    ASSERT_EQ(Run(std::string("calibration ") + g_szCalibration), CScriptRunner::Result::Ok);
    ASSERT_EQ(Run("downpoint 960 540"), CScriptRunner::Result::Ok);
    // The centre of the monitor is the calibrated centre, 505 / 500 raw.
    EXPECT_EQ(m_device.m_vecSent.back().vecBytes, TouchPacketBytes(true, 505, 500));
}

TEST_F(ScriptRunner, CalibrationFileTakesTheActiveOrTheNamedDevice) {
    CTempConfigDir folder;
    const std::string strPath = folder.Path() + "/Settings.dat";
    std::string strOther = g_szCalibration;
    strOther.replace(0, 5, "Other");
    strOther.replace(strOther.find(";COM3;9600;1;"), 13, ";COM3;9600;0;");
    strOther.replace(strOther.size() - 2, 2, "1;");  // not active, X/Y swapped
    std::ofstream(strPath) << strOther << "\r\n" << g_szCalibration << "\r\n";

    ASSERT_EQ(Run("calibration-file " + strPath), CScriptRunner::Result::Ok) << m_strError;
    Run("point 960 540");
    EXPECT_EQ(m_device.m_vecSent.back().vecBytes, TouchPacketBytes(true, 505, 500));

    ASSERT_EQ(Run("calibration-file " + strPath + " Other"), CScriptRunner::Result::Ok);
    Run("point 960 540");
    EXPECT_EQ(m_device.m_vecSent.back().vecBytes, TouchPacketBytes(true, 500, 505));

    EXPECT_EQ(Run("calibration-file " + strPath + " Nobody"), CScriptRunner::Result::Failed);
    EXPECT_NE(m_strError.find("no device named 'Nobody'"), std::string::npos);
    EXPECT_EQ(Run("calibration-file " + folder.Path() + "/missing"), CScriptRunner::Result::Failed);
}

TEST_F(ScriptRunner, RawBytesGoOutAsTheyAre) {
    CTempConfigDir folder;
    const std::string strPath = folder.Path() + "/recording.bin";
    std::ofstream(strPath, std::ios::binary) << std::string("\x05\x7F\xC5\x12\x34", 5);
    ASSERT_EQ(Run("file " + strPath), CScriptRunner::Result::Ok);
    ASSERT_EQ(Run("bytes 80 00"), CScriptRunner::Result::Ok);
    EXPECT_EQ(Sent(), (Packets{{0, {0x05, 0x7F, 0xC5, 0x12, 0x34}}, {0, {0x80, 0x00}}}));
    EXPECT_EQ(Run("file " + folder.Path() + "/none.bin"), CScriptRunner::Result::Failed);
    EXPECT_NE(m_strError.find("cannot read"), std::string::npos);
}

TEST_F(ScriptRunner, GarbageIsRepeatableAndStrayIsADataByte) {
    Run("seed 7");
    Run("garbage 32");
    Run("seed 7");
    Run("garbage 32");
    ASSERT_EQ(m_device.m_vecSent.size(), 2u);
    EXPECT_EQ(m_device.m_vecSent[0].vecBytes, m_device.m_vecSent[1].vecBytes);
    for (int i = 0; i < 50; ++i) {
        Run("stray");
        ASSERT_EQ(m_device.m_vecSent.back().vecBytes.size(), 1u);
        ASSERT_LT(m_device.m_vecSent.back().vecBytes[0], 0x80);
    }
}

TEST_F(ScriptRunner, StopEndsAHoldAtOnceAndDeviceErrorsAreReported) {
    Run("echo first");
    EXPECT_EQ(m_device.m_vecEchoes, std::vector<std::string>{"first"});
    Run("down 1 1");
    m_device.m_bStopped = true;
    EXPECT_EQ(Run("hold 10000"), CScriptRunner::Result::Stopped);
    EXPECT_LE(m_device.m_vecSent.size(), 2u);
    m_device.m_bStopped = false;

    EXPECT_EQ(Run("hangup"), CScriptRunner::Result::Ok);
    EXPECT_EQ(m_device.m_nHangups, 1);
    EXPECT_EQ(Run("reopen"), CScriptRunner::Result::Failed);
    EXPECT_EQ(m_strError, "no more pseudo-terminals");
    EXPECT_EQ(Run("quit"), CScriptRunner::Result::Quit);
}

TEST_F(ScriptRunner, NoiseKeepsItsPaceAndRepeats) {
    Run("seed 3");
    ASSERT_EQ(Run("noise 1000 50"), CScriptRunner::Result::Ok);
    ASSERT_EQ(m_device.m_vecSent.size(), 50u);
    std::vector<unsigned char> vecFirst;
    for (std::size_t i = 0; i < 50; ++i) {
        ASSERT_EQ(m_device.m_vecSent[i].nMs, static_cast<long long>(i));
        vecFirst.push_back(m_device.m_vecSent[i].vecBytes.at(0));
    }
    EXPECT_EQ(m_device.Now() - ISimDevice::Clock::time_point{}, 50ms);
    EXPECT_TRUE(std::any_of(vecFirst.begin(), vecFirst.end(), [](int n) { return n >= 0x80; }));

    // Woken late, it sends what is due in one go: the same bytes, the same count.
    m_device.m_vecSent.clear();
    m_device.m_oversleep = 7ms;
    Run("seed 3");
    ASSERT_EQ(Run("noise 1000 50"), CScriptRunner::Result::Ok);
    std::vector<unsigned char> vecSecond;
    for (const auto& sent : m_device.m_vecSent) {
        vecSecond.insert(vecSecond.end(), sent.vecBytes.begin(), sent.vecBytes.end());
    }
    EXPECT_EQ(vecSecond, vecFirst);
    EXPECT_LT(m_device.m_vecSent.size(), 50u);
}

TEST_F(ScriptRunner, StraysFallAmongPacketsAtTheirTimes) {
    Run("strays 20");
    ASSERT_EQ(Run("tap 100 200"), CScriptRunner::Result::Ok);
    std::vector<long long> vecStrayMs;
    for (const auto& sent : m_device.m_vecSent) {
        if (sent.vecBytes.size() == 1) {
            vecStrayMs.push_back(sent.nMs);
        } else {
            EXPECT_EQ(sent.vecBytes.size(), 3u);
        }
    }
    EXPECT_EQ(vecStrayMs, (std::vector<long long>{20, 40, 60}));
    EXPECT_EQ(m_device.m_vecSent.size(), 7u + 3u);
}

TEST_F(ScriptRunner, StraysPlayWhileIdleAndCanSplitAWrite) {
    EXPECT_FALSE(m_runner.NextDue());
    Run("strays 100");
    m_device.m_now += 250ms;
    ASSERT_EQ(m_runner.NextDue(), ISimDevice::Clock::time_point{} + 100ms);
    ASSERT_EQ(m_runner.Idle(), CScriptRunner::Result::Ok);
    // The strays missed while nobody ran are not owed: one, then the pace from now.
    EXPECT_EQ(m_device.m_vecSent.size(), 1u);
    EXPECT_EQ(m_runner.NextDue(), ISimDevice::Clock::time_point{} + 350ms);

    m_device.m_oversleep = 60ms;
    Run("wait 80");  // wakes at 390, past the stray due at 350
    m_device.m_oversleep = {};
    Run("bytes C5 12 34");
    const std::vector<unsigned char>& vecMixed = m_device.m_vecSent.back().vecBytes;
    ASSERT_EQ(vecMixed.size(), 4u);
    const std::vector<unsigned char> vecPacket = {0xC5, 0x12, 0x34};
    bool bPacketAround = false;
    for (std::size_t i = 0; i < vecMixed.size(); ++i) {
        std::vector<unsigned char> vecWithout = vecMixed;
        vecWithout.erase(vecWithout.begin() + static_cast<std::ptrdiff_t>(i));
        bPacketAround = bPacketAround || vecWithout == vecPacket;
    }
    EXPECT_TRUE(bPacketAround);
    Run("strays 0");
    EXPECT_FALSE(m_runner.NextDue());
}
