#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "RecordingTraceSink.h"
#include "calibration/CalibrationCapture.h"
#include "calibration/CalibrationGuide.h"

using namespace std::chrono_literals;

namespace {

// Drives a capture of a 1920 x 1080 monitor poll by poll, 10 ms apart.
class CalibrationCaptureTest : public ::testing::Test {
protected:
    CRecordingTraceSink m_trace;
    CCalibrationCapture m_capture{1920, 1080, &m_trace};
    std::chrono::milliseconds m_now{5000};

    void Start() { m_capture.Start(m_now); }
    void Poll(CalTouchSample sample, int nPolls) {
        for (int i = 0; i < nPolls; ++i) {
            m_now += 10ms;
            m_capture.Poll(sample, m_now);
        }
    }
    void Hold(int nRawX, int nRawY, int nPolls) { Poll({true, nRawX, nRawY}, nPolls); }
    void Lift(int nPolls = 1) { Poll({false, CAL_RELEASED_RAW, CAL_RELEASED_RAW}, nPolls); }
    void Tap(CalPoint raw) {
        Hold(raw.x, raw.y, 30);
        Lift();
    }
    CalTargetState Target(int n) const { return m_capture.Snapshot().targets[n]; }
};

// Worked example readings by target index: top left, bottom left, centre, top right,
// bottom right.
const CalPoint g_worked[CAL_TARGET_COUNT] = {
    {100, 200}, {110, 790}, {505, 500}, {900, 210}, {910, 800}};

}  // namespace

TEST_F(CalibrationCaptureTest, StartShowsAllTargetsGreyAndTheFirstBlack) {
    EXPECT_EQ(Target(0), CalTargetState::Hidden);
    Start();
    EXPECT_EQ(m_capture.State(), CaptureState::Counting);
    EXPECT_EQ(m_capture.Snapshot().nActiveTarget, 0);
    EXPECT_EQ(Target(0), CalTargetState::Active);
    for (int i = 1; i < CAL_TARGET_COUNT; ++i) {
        EXPECT_EQ(Target(i), CalTargetState::Inactive);
    }
}

TEST_F(CalibrationCaptureTest, ALiftBeforeThirtyPollsStartsTheCountAgain) {
    Start();
    Hold(300, 300, 29);
    Lift();
    Hold(300, 300, 29);  // 58 touched polls, never 30 in a row
    EXPECT_EQ(Target(0), CalTargetState::Active);
    EXPECT_TRUE(m_trace.Lines().empty());

    Hold(300, 300, 1);
    EXPECT_EQ(Target(0), CalTargetState::Captured);
    EXPECT_EQ(m_capture.State(), CaptureState::AwaitingLift);
}

TEST_F(CalibrationCaptureTest, AFlagWithTheReleaseMarkerIsALift) {
    Start();
    Hold(300, 300, 29);
    Poll({true, CAL_RELEASED_RAW, CAL_RELEASED_RAW}, 1);
    Hold(300, 300, 29);
    EXPECT_EQ(Target(0), CalTargetState::Active);
}

TEST_F(CalibrationCaptureTest, TheReadingIsTheTruncatedAverage) {
    Start();
    for (int i = 0; i < 15; ++i) {
        Hold(100, 200, 1);
        Hold(101, 203, 1);
    }
    // 100.5 and 201.5, truncated.
    EXPECT_EQ(m_capture.Readings()[0], (CalPoint{100, 201}));
    EXPECT_EQ(m_trace.Lines(), std::vector<std::string>{"Mouseposition 1010: x=100 y=201\n"});
}

TEST_F(CalibrationCaptureTest, TheNextTargetWaitsForTheLift) {
    Start();
    Hold(100, 200, 30);
    Hold(400, 400, 200);  // resting on the captured target, even sliding away
    EXPECT_EQ(m_capture.State(), CaptureState::AwaitingLift);
    EXPECT_EQ(Target(1), CalTargetState::Inactive);
    EXPECT_EQ(m_capture.Readings()[0], (CalPoint{100, 200}));

    Lift();
    EXPECT_EQ(Target(0), CalTargetState::Captured);
    EXPECT_EQ(Target(1), CalTargetState::Active);
    EXPECT_EQ(m_capture.Snapshot().nActiveTarget, 1);
}

TEST_F(CalibrationCaptureTest, HoldingACapturedTargetUntilItsDeadlineTimesOut) {
    Start();
    const auto activated = m_now;
    Hold(100, 200, 30);
    while (m_now + 10ms < activated + 5000ms) {
        Hold(100, 200, 1);
    }
    EXPECT_EQ(m_capture.State(), CaptureState::AwaitingLift);  // 4990 ms after activation
    Hold(100, 200, 1);
    EXPECT_EQ(m_capture.State(), CaptureState::TimedOut);
    EXPECT_FALSE(m_capture.Snapshot().numbers.has_value());
}

TEST_F(CalibrationCaptureTest, EachActivationGetsItsOwnFiveSeconds) {
    Start();
    Lift(300);  // 3 s of nothing on target 0
    Tap(g_worked[0]);
    const auto activated = m_now;
    EXPECT_EQ(m_capture.Snapshot().nActiveTarget, 1);
    Lift(499);  // 4990 ms after target 1 became active, 8 s after the start
    EXPECT_EQ(m_capture.State(), CaptureState::Counting);
    ASSERT_EQ(m_now, activated + 4990ms);
    Lift(1);
    EXPECT_EQ(m_capture.State(), CaptureState::TimedOut);
}

TEST_F(CalibrationCaptureTest, FiveTapsComputeTheNumbersAndTraceEachReading) {
    Start();
    for (const CalPoint& raw : g_worked) {
        Tap(raw);
    }
    EXPECT_EQ(m_capture.State(), CaptureState::Finished);
    const auto numbers = m_capture.Snapshot().numbers;
    ASSERT_TRUE(numbers.has_value());
    EXPECT_EQ(*numbers,
              *ComputeCalibration({{100, 200}, {900, 210}, {910, 800}, {110, 790}, {505, 500}},
                                  1920, 1080));
    EXPECT_EQ(m_trace.Lines(), (std::vector<std::string>{
                                   "Mouseposition 1010: x=100 y=200\n",
                                   "Mouseposition 1090: x=110 y=790\n",
                                   "Mouseposition 5050: x=505 y=500\n",
                                   "Mouseposition 9010: x=900 y=210\n",
                                   "Mouseposition 9090: x=910 y=800\n",
                               }));
}

TEST_F(CalibrationCaptureTest, ReadingsWithoutASpanFail) {
    Start();
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        Tap({512, 512});
    }
    EXPECT_EQ(m_capture.State(), CaptureState::Failed);
    EXPECT_FALSE(m_capture.Snapshot().numbers.has_value());
}

namespace {

struct KeyRow {
    const char* szName;
    int nTargetsTapped;  // 5: all, and the numbers exist
    bool bEnter;         // else ESC
    CaptureState expected;
};

const KeyRow g_keyRows[] = {
    {"EscBeforeAnyTouch", 0, false, CaptureState::Cancelled},
    {"EscMidway", 2, false, CaptureState::Cancelled},
    {"EnterMidway", 2, true, CaptureState::Cancelled},
    {"EnterOnTheLastTarget", 4, true, CaptureState::Cancelled},
    {"EnterAfterTheNumbers", 5, true, CaptureState::Finished},
    {"EscAfterTheNumbers", 5, false, CaptureState::Cancelled},
};

class CalibrationCaptureKeyTest : public CalibrationCaptureTest,
                                  public ::testing::WithParamInterface<KeyRow> {};

}  // namespace

TEST_P(CalibrationCaptureKeyTest, KeysKeepNumbersOnlyOnceTheyExist) {
    const KeyRow& row = GetParam();
    Start();
    for (int i = 0; i < row.nTargetsTapped; ++i) {
        Tap(g_worked[i]);
    }
    if (row.bEnter) {
        m_capture.Enter();
    } else {
        m_capture.Cancel();
    }
    EXPECT_EQ(m_capture.State(), row.expected);
    EXPECT_TRUE(m_capture.IsEnded());
    EXPECT_EQ(m_capture.Snapshot().numbers.has_value(), row.expected == CaptureState::Finished);

    // A key after the end changes nothing and is no fault.
    m_capture.Cancel();
    m_capture.Enter();
    EXPECT_EQ(m_capture.State(),
              row.expected == CaptureState::Finished ? CaptureState::Cancelled : row.expected);
    for (const std::string& strLine : m_trace.Lines()) {
        EXPECT_EQ(strLine.find("BUG"), std::string::npos) << strLine;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CalibrationCaptureKeyTest, ::testing::ValuesIn(g_keyRows),
                         [](const auto& info) { return std::string(info.param.szName); });

TEST_F(CalibrationCaptureTest, ImpossibleEventsAreTracedAsBugsAndIgnored) {
    Hold(100, 200, 1);  // a poll before the start
    EXPECT_EQ(m_capture.State(), CaptureState::Idle);
    Start();
    Start();  // a second start
    EXPECT_EQ(m_capture.State(), CaptureState::Counting);
    m_capture.Cancel();
    Lift();  // a poll after the end
    EXPECT_EQ(m_capture.State(), CaptureState::Cancelled);
    EXPECT_EQ(m_trace.Lines(), (std::vector<std::string>{
                                   "BUG: calibration capture: event TouchPoll in state Idle\n",
                                   "BUG: calibration capture: event Start in state Counting\n",
                                   "BUG: calibration capture: event LiftPoll in state Cancelled\n",
                               }));
}

TEST_F(CalibrationCaptureTest, AMisclickStartsAgainNamingTheTargetAndKeepsNothing) {
    Start();
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        // The centre touched about 290 pixels right of its target.
        Tap(i == CAL_CENTRE ? CalPoint{655, 500} : g_worked[i]);
    }
    const CaptureSnapshot& shown = m_capture.Snapshot();
    EXPECT_EQ(m_capture.State(), CaptureState::Counting);
    EXPECT_FALSE(shown.numbers.has_value());
    EXPECT_EQ(shown.nMisplacedTarget, CAL_CENTRE);
    EXPECT_EQ(shown.nRound, 2);
    EXPECT_EQ(Target(0), CalTargetState::Active);
    for (int i = 1; i < CAL_TARGET_COUNT; ++i) {
        EXPECT_EQ(Target(i), CalTargetState::Inactive) << "target " << i;
    }
    const CalGuide guide = GuideFor(shown, CCalibrationCapture::TARGET_TIMEOUT);
    EXPECT_EQ(guide.strStep, "1 of 5");
    EXPECT_NE(guide.strNotice.find("centre target looked misplaced"), std::string::npos);

    // The new round's first target has its own five seconds.
    Hold(100, 200, 29);
    Lift();
    Hold(100, 200, 29);
    EXPECT_EQ(m_capture.State(), CaptureState::Counting);
    Hold(100, 200, 1);
    EXPECT_EQ(m_capture.Snapshot().nMisplacedTarget, -1);  // the notice goes with the round
    Lift();
    for (int i = 1; i < CAL_TARGET_COUNT; ++i) {
        Tap(g_worked[i]);
    }
    ASSERT_EQ(m_capture.State(), CaptureState::Finished);
    EXPECT_EQ(*m_capture.Snapshot().numbers,
              *ComputeCalibration(CalReadings::FromTargets(m_capture.Readings()), 1920, 1080));
}

TEST_F(CalibrationCaptureTest, ReadingsThatFitExchangedAxesFail) {
    Start();
    for (const CalPoint pt : g_worked) {
        Tap({pt.y, pt.x});
    }
    EXPECT_EQ(m_capture.State(), CaptureState::Failed);
    EXPECT_EQ(OutcomeOf(false, false, m_capture.Snapshot()), CalOutcome::AxesSwapped);
}

TEST_F(CalibrationCaptureTest, TheGuideCountsTheHoldAndTheTimeLeft) {
    Start();
    m_now += 1200ms;
    Hold(100, 200, 15);  // 1.35 s after the activation
    CalGuide guide = GuideFor(m_capture.Snapshot(), CCalibrationCapture::TARGET_TIMEOUT);
    EXPECT_EQ(guide.nTarget, 0);
    EXPECT_EQ(guide.strInstruction, "Touch and hold the target, then lift");
    EXPECT_DOUBLE_EQ(guide.dHold, 0.5);
    EXPECT_DOUBLE_EQ(guide.dTimeLeft, 3650.0 / 5000);
    EXPECT_EQ(guide.nSecondsLeft, 4);

    Hold(100, 200, 15);
    guide = GuideFor(m_capture.Snapshot(), CCalibrationCapture::TARGET_TIMEOUT);
    EXPECT_EQ(guide.strInstruction, "Now lift your finger");
    EXPECT_DOUBLE_EQ(guide.dHold, 1.0);
    Lift();
    guide = GuideFor(m_capture.Snapshot(), CCalibrationCapture::TARGET_TIMEOUT);
    EXPECT_EQ(guide.strStep, "2 of 5");
    EXPECT_DOUBLE_EQ(guide.dHold, 0.0);
    EXPECT_DOUBLE_EQ(guide.dTimeLeft, 1.0);
}
