#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "ChildProcess.h"  // WaitUntil
#include "FakeCalibrationInput.h"
#include "RecordingTraceSink.h"
#include "SteppableClock.h"
#include "calibration/CalibrationThread.h"

using namespace std::chrono_literals;

namespace {

CCalibrationThread::Options FastPolls(std::chrono::milliseconds pollPeriod = 1ms) {
    CCalibrationThread::Options options;
    options.pollPeriod = pollPeriod;
    return options;
}

}  // namespace

TEST(CalibrationThread, FiveTapsEndTheThreadWithTheNumbers) {
    CScriptedCalTouch touch;
    touch.Tap(100, 200).Tap(110, 790).Tap(505, 500).Tap(900, 210).Tap(910, 800);
    CRecordingTraceSink trace;
    std::atomic<int> nNotified{0};
    CCalibrationThread* pThread = nullptr;
    CCalibrationThread thread(
        touch, 1920, 1080, &trace,
        [&] {
            // Called without the lock held: reading back from here must not deadlock.
            (void)pThread->Snapshot();
            ++nNotified;
        },
        FastPolls());
    pThread = &thread;

    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
    const CaptureSnapshot snapshot = thread.Snapshot();
    EXPECT_EQ(snapshot.state, CaptureState::Finished);
    ASSERT_TRUE(snapshot.numbers.has_value());
    EXPECT_EQ(snapshot.numbers->m_dCenterY, 499);
    EXPECT_EQ(snapshot.numbers->m_dRawMaxY, 868);
    EXPECT_EQ(trace.Lines().size(), 5u);
    // Start, then per target: captured, and activated (the fifth lift computes instead).
    EXPECT_GE(nNotified.load(), 10);
}

TEST(CalibrationThread, AFingerLeftOnACapturedTargetTimesOutOnTheThreadsClock) {
    CScriptedCalTouch touch;
    touch.Hold(100, 200, 30);  // and the finger stays down
    CSteppableClock clock;
    auto options = FastPolls();
    options.clock = [&clock] { return clock.Now(); };
    CCalibrationThread thread(touch, 1920, 1080, nullptr, {}, options);

    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.Snapshot().state == CaptureState::AwaitingLift; }));
    clock.Advance(4999ms);
    const std::size_t nReads = touch.Reads();
    ASSERT_TRUE(WaitUntil([&] { return touch.Reads() > nReads + 2; }));
    EXPECT_EQ(thread.Snapshot().state, CaptureState::AwaitingLift);

    clock.Advance(1ms);
    ASSERT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(thread.Snapshot().state, CaptureState::TimedOut);
}

TEST(CalibrationThread, CancelEndsTheThreadByItself) {
    CScriptedCalTouch touch;
    CCalibrationThread thread(touch, 1920, 1080, nullptr, {}, FastPolls(1h));
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return touch.Reads() >= 1; }));
    thread.Cancel();  // wakes the hour-long wait between polls
    ASSERT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(thread.Snapshot().state, CaptureState::Cancelled);
    EXPECT_EQ(touch.Reads(), 1u);
}

TEST(CalibrationThread, StopWakesTheWaitAndTheSourceIsNotReadAfterwards) {
    CScriptedCalTouch touch;
    CCalibrationThread thread(touch, 1920, 1080, nullptr, {}, FastPolls(1h));
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return touch.Reads() >= 1; }));
    thread.Stop();  // a stop that waited for the poll period would hang the test here
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(touch.Reads(), 1u);
    EXPECT_EQ(thread.Snapshot().state, CaptureState::Counting);
    thread.Stop();  // repeatable
}
