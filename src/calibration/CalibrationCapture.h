#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "calibration/CalTouchSource.h"
#include "calibration/CalibrationNumbers.h"
#include "calibration/CalibrationTargets.h"

class ITraceSink;

enum class CaptureState {
    Idle,          // not started
    Counting,      // the active target waits for 30 touched polls in a row
    AwaitingLift,  // the active target is captured; the finger must lift first
    Finished,      // all five captured, numbers computed
    Failed,        // all five captured, but they give no span, or fit only exchanged axes
    TimedOut,      // a target was not captured and lifted in time
    Cancelled,     // ESC, or Enter before the numbers existed
};

enum class CaptureEvent {
    Start,
    TouchPoll,      // a poll that found the finger down
    LiftPoll,       // a poll that found it up
    TargetTimeout,  // a poll came at or after the active target's deadline
    Cancel,         // ESC
    Enter,          // Enter
};

// How a target is drawn.
enum class CalTargetState {
    Hidden,    // before the capture starts: the page shows only its label
    Inactive,  // grey
    Active,    // black: touch this one now
    Captured,  // green
};

// What the page needs to draw and to end: copied out as a whole so that it is consistent.
struct CaptureSnapshot {
    CaptureState state = CaptureState::Idle;
    int nActiveTarget = -1;  // 0..4 while Counting or AwaitingLift
    std::array<CalTargetState, CAL_TARGET_COUNT> targets{};
    std::optional<CalibrationNumbers> numbers;  // set in Finished only
    // The hold and the time-out of the active target, for the page's ring.
    int nHeldPolls = 0;                    // touched polls in a row counted so far, 0..30
    std::chrono::milliseconds timeLeft{};  // before the time-out, as of the last poll
    int nRound = 1;                        // a misclick check that fails starts another
    int nMisplacedTarget = -1;      // the target the last round's check refused, until the first
                                    // target of the new round is captured
    bool bAxesSwapped = false;      // Failed: the readings fit a panel with x and y exchanged
    std::uint64_t nGeneration = 0;  // changes whenever anything above changes; the time left
                                    // only when it crosses a tenth of a second
};

// The capture of the five targets: a state machine driven by polls of the touch state, with
// the time of each event passed in. It reads no clock, starts no thread and draws nothing.
// One thread at a time (the capture thread guards it with a lock).
class CCalibrationCapture {
public:
    static constexpr int SAMPLES_PER_TARGET = 30;
    static constexpr std::chrono::milliseconds TARGET_TIMEOUT{5000};

    // nWidth, nHeight: the monitor's size in pixels, for the scales.
    CCalibrationCapture(int nWidth, int nHeight, ITraceSink* pTrace = nullptr,
                        std::chrono::milliseconds targetTimeout = TARGET_TIMEOUT);

    void Start(std::chrono::milliseconds now);
    void Poll(const CalTouchSample& sample, std::chrono::milliseconds now);
    void Cancel();
    void Enter();

    CaptureState State() const { return m_snapshot.state; }
    bool IsEnded() const;
    const CaptureSnapshot& Snapshot() const { return m_snapshot; }
    // The averaged raw readings by target index; valid for the captured targets.
    const std::array<CalPoint, CAL_TARGET_COUNT>& Readings() const { return m_readings; }

private:
    void HandleEvent(CaptureEvent event, const CalTouchSample& sample,
                     std::chrono::milliseconds now);
    void HandleIdle(CaptureEvent event, std::chrono::milliseconds now);
    void HandleCounting(CaptureEvent event, const CalTouchSample& sample);
    void HandleAwaitingLift(CaptureEvent event, std::chrono::milliseconds now);
    void HandleFinished(CaptureEvent event);
    void HandleEnded(CaptureEvent event);

    void Activate(int nTarget, std::chrono::milliseconds now);
    void CaptureActiveTarget();
    void CheckAndCompute(std::chrono::milliseconds now);
    void Compute();
    void SetHeldPolls(int nPolls);
    void SetTimeLeft(std::chrono::milliseconds timeLeft);
    void SetState(CaptureState state);
    void SetTarget(int nTarget, CalTargetState state);
    void ResetSums();
    void LogBug(CaptureEvent event);

    int m_nWidth;
    int m_nHeight;
    ITraceSink* m_pTrace;
    std::chrono::milliseconds m_targetTimeout;

    CaptureSnapshot m_snapshot;
    std::array<CalPoint, CAL_TARGET_COUNT> m_readings{};
    std::chrono::milliseconds m_deadline{0};
    std::int64_t m_nSumX = 0;
    std::int64_t m_nSumY = 0;
};

const char* CaptureStateName(CaptureState state);
const char* CaptureEventName(CaptureEvent event);
