#include "calibration/CalibrationCapture.h"

#include <algorithm>
#include <cstdio>

#include "app/TraceSink.h"
#include "calibration/CalibrationCheck.h"

// Capturing the five targets. The capture thread polls the touch state every 10 ms; a target
// is read when the finger has rested on it for 30 polls in a row (about 300 ms of steady
// touch), the average of those 30 raw points being its reading. Requiring the lift before the
// next target becomes active keeps one long press from being read as two targets. Every
// target must be touched, held and lifted within the time-out from its activation; the
// deadline is not moved by the capture, so a finger left on a captured target still times
// out. A poll with the flag set but the release marker in a raw value is a lift: the release
// packet's raw values are out and its clear flag is on its way.
//
//   state          event           action                                 next state
//   Idle           Start           activate target 0, deadline = now+5s   Counting
//   Counting       TouchPoll       add the point; on the 30th: average,   Counting or
//                                  trace "Mouseposition ...", green       AwaitingLift
//   Counting       LiftPoll        forget the points counted so far       Counting
//   AwaitingLift   TouchPoll       (the finger still rests)               AwaitingLift
//   AwaitingLift   LiftPoll        targets 0..3: activate the next        Counting
//                                  target 4, readings of one panel:
//                                  compute the numbers                    Finished/Failed
//                                  target 4, a target misplaced: name     Counting
//                                  it, all grey, activate target 0
//                                  target 4, axes exchanged               Failed
//   Counting,
//   AwaitingLift   TargetTimeout   -                                      TimedOut
//   Idle, Counting,
//   AwaitingLift   Cancel, Enter   nothing is computed or kept            Cancelled
//   Finished       Cancel          the user said no at the last moment    Cancelled
//   Finished       Enter           (the normal end, a little early)       Finished
//   Failed, TimedOut,
//   Cancelled      Cancel, Enter   (a key that raced the end)             unchanged
//
// Any other pair (a poll before the start or after the end, a second start) is a bug in the
// caller: it is traced and changes nothing.
//
// The misclick check comes before the arithmetic because a misplaced reading still gives
// numbers, just wrong ones, and the user would find out only by using the screen. A new round
// keeps every rule of the first: the count, the lift, each target's own time-out.

namespace {

bool IsTouched(const CalTouchSample& sample) {
    return sample.m_bTouchDown && sample.m_nCalRawX != CAL_RELEASED_RAW &&
           sample.m_nCalRawY != CAL_RELEASED_RAW;
}

}  // namespace

const char* CaptureStateName(CaptureState state) {
    switch (state) {
        case CaptureState::Idle:
            return "Idle";
        case CaptureState::Counting:
            return "Counting";
        case CaptureState::AwaitingLift:
            return "AwaitingLift";
        case CaptureState::Finished:
            return "Finished";
        case CaptureState::Failed:
            return "Failed";
        case CaptureState::TimedOut:
            return "TimedOut";
        case CaptureState::Cancelled:
            return "Cancelled";
    }
    return "?";
}

const char* CaptureEventName(CaptureEvent event) {
    switch (event) {
        case CaptureEvent::Start:
            return "Start";
        case CaptureEvent::TouchPoll:
            return "TouchPoll";
        case CaptureEvent::LiftPoll:
            return "LiftPoll";
        case CaptureEvent::TargetTimeout:
            return "TargetTimeout";
        case CaptureEvent::Cancel:
            return "Cancel";
        case CaptureEvent::Enter:
            return "Enter";
    }
    return "?";
}

CCalibrationCapture::CCalibrationCapture(int nWidth, int nHeight, ITraceSink* pTrace,
                                         std::chrono::milliseconds targetTimeout)
    : m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_pTrace(pTrace ? pTrace : &CNullTraceSink::Instance()),
      m_targetTimeout(targetTimeout) {
    m_snapshot.targets.fill(CalTargetState::Hidden);
}

bool CCalibrationCapture::IsEnded() const {
    const CaptureState state = m_snapshot.state;
    return state != CaptureState::Idle && state != CaptureState::Counting &&
           state != CaptureState::AwaitingLift;
}

void CCalibrationCapture::Start(std::chrono::milliseconds now) {
    HandleEvent(CaptureEvent::Start, {}, now);
}

void CCalibrationCapture::Poll(const CalTouchSample& sample, std::chrono::milliseconds now) {
    const bool bWaiting = m_snapshot.state == CaptureState::Counting ||
                          m_snapshot.state == CaptureState::AwaitingLift;
    if (bWaiting) {
        SetTimeLeft(std::max(m_deadline - now, std::chrono::milliseconds{0}));
    }
    CaptureEvent event = IsTouched(sample) ? CaptureEvent::TouchPoll : CaptureEvent::LiftPoll;
    if (bWaiting && now >= m_deadline) {
        event = CaptureEvent::TargetTimeout;
    }
    HandleEvent(event, sample, now);
}

void CCalibrationCapture::Cancel() {
    HandleEvent(CaptureEvent::Cancel, {}, std::chrono::milliseconds{0});
}

void CCalibrationCapture::Enter() {
    HandleEvent(CaptureEvent::Enter, {}, std::chrono::milliseconds{0});
}

void CCalibrationCapture::HandleEvent(CaptureEvent event, const CalTouchSample& sample,
                                      std::chrono::milliseconds now) {
    switch (m_snapshot.state) {
        case CaptureState::Idle:
            HandleIdle(event, now);
            break;
        case CaptureState::Counting:
            HandleCounting(event, sample);
            break;
        case CaptureState::AwaitingLift:
            HandleAwaitingLift(event, now);
            break;
        case CaptureState::Finished:
            HandleFinished(event);
            break;
        case CaptureState::Failed:
        case CaptureState::TimedOut:
        case CaptureState::Cancelled:
            HandleEnded(event);
            break;
    }
}

void CCalibrationCapture::HandleIdle(CaptureEvent event, std::chrono::milliseconds now) {
    switch (event) {
        case CaptureEvent::Start:
            for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
                SetTarget(i, CalTargetState::Inactive);
            }
            Activate(0, now);
            break;
        case CaptureEvent::Cancel:
        case CaptureEvent::Enter:
            SetState(CaptureState::Cancelled);
            break;
        default:
            LogBug(event);
            break;
    }
}

void CCalibrationCapture::HandleCounting(CaptureEvent event, const CalTouchSample& sample) {
    switch (event) {
        case CaptureEvent::TouchPoll:
            m_nSumX += sample.m_nCalRawX;
            m_nSumY += sample.m_nCalRawY;
            SetHeldPolls(m_snapshot.nHeldPolls + 1);
            if (m_snapshot.nHeldPolls == SAMPLES_PER_TARGET) {
                CaptureActiveTarget();
            }
            break;
        case CaptureEvent::LiftPoll:
            ResetSums();
            break;
        case CaptureEvent::TargetTimeout:
            SetState(CaptureState::TimedOut);
            break;
        case CaptureEvent::Cancel:
        case CaptureEvent::Enter:
            SetState(CaptureState::Cancelled);
            break;
        default:
            LogBug(event);
            break;
    }
}

void CCalibrationCapture::HandleAwaitingLift(CaptureEvent event, std::chrono::milliseconds now) {
    switch (event) {
        case CaptureEvent::TouchPoll:
            break;
        case CaptureEvent::LiftPoll:
            if (m_snapshot.nActiveTarget + 1 < CAL_TARGET_COUNT) {
                Activate(m_snapshot.nActiveTarget + 1, now);
            } else {
                CheckAndCompute(now);
            }
            break;
        case CaptureEvent::TargetTimeout:
            SetState(CaptureState::TimedOut);
            break;
        case CaptureEvent::Cancel:
        case CaptureEvent::Enter:
            SetState(CaptureState::Cancelled);
            break;
        default:
            LogBug(event);
            break;
    }
}

void CCalibrationCapture::HandleFinished(CaptureEvent event) {
    switch (event) {
        case CaptureEvent::Cancel:
            SetState(CaptureState::Cancelled);
            break;
        case CaptureEvent::Enter:
            break;
        default:
            LogBug(event);
            break;
    }
}

void CCalibrationCapture::HandleEnded(CaptureEvent event) {
    switch (event) {
        case CaptureEvent::Cancel:
        case CaptureEvent::Enter:
            break;
        default:
            LogBug(event);
            break;
    }
}

void CCalibrationCapture::Activate(int nTarget, std::chrono::milliseconds now) {
    m_snapshot.nActiveTarget = nTarget;
    SetTarget(nTarget, CalTargetState::Active);
    m_deadline = now + m_targetTimeout;
    SetTimeLeft(m_targetTimeout);
    ResetSums();
    SetState(CaptureState::Counting);
}

void CCalibrationCapture::CaptureActiveTarget() {
    const int nTarget = m_snapshot.nActiveTarget;
    // Integer division: the reading is truncated toward zero.
    CalPoint& reading = m_readings[nTarget];
    reading.x = static_cast<int>(m_nSumX / SAMPLES_PER_TARGET);
    reading.y = static_cast<int>(m_nSumY / SAMPLES_PER_TARGET);
    ResetSums();

    char szLine[96];
    std::snprintf(szLine, sizeof szLine, "Mouseposition %s: x=%d y=%d\n", CalTargetLabel(nTarget),
                  reading.x, reading.y);
    m_pTrace->Trace(szLine);

    if (nTarget == 0) {
        m_snapshot.nMisplacedTarget = -1;  // the new round is under way
    }
    SetTarget(nTarget, CalTargetState::Captured);
    SetState(CaptureState::AwaitingLift);
}

void CCalibrationCapture::CheckAndCompute(std::chrono::milliseconds now) {
    const CalCheckResult check = CheckCalibrationReadings(m_readings);
    switch (check.verdict) {
        case CalCheckVerdict::Consistent:
            Compute();
            break;
        case CalCheckVerdict::Misplaced: {
            char szLine[96];
            std::snprintf(szLine, sizeof szLine, "Calibration: target %s looks misplaced\n",
                          CalTargetLabel(check.nTarget));
            m_pTrace->Trace(szLine);
            m_snapshot.nMisplacedTarget = check.nTarget;
            ++m_snapshot.nRound;
            for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
                SetTarget(i, CalTargetState::Inactive);
            }
            Activate(0, now);
            break;
        }
        case CalCheckVerdict::AxesSwapped:
            m_pTrace->Trace("Calibration: the readings fit exchanged axes\n");
            m_snapshot.nActiveTarget = -1;
            m_snapshot.bAxesSwapped = true;
            SetState(CaptureState::Failed);
            break;
    }
}

void CCalibrationCapture::Compute() {
    m_snapshot.nActiveTarget = -1;
    m_snapshot.numbers =
        ComputeCalibration(CalReadings::FromTargets(m_readings), m_nWidth, m_nHeight);
    SetState(m_snapshot.numbers ? CaptureState::Finished : CaptureState::Failed);
}

void CCalibrationCapture::SetState(CaptureState state) {
    if (state == CaptureState::Cancelled || state == CaptureState::TimedOut) {
        // Numbers that an ended capture computed must not outlive a cancel.
        m_snapshot.numbers.reset();
        m_snapshot.nActiveTarget = -1;
    }
    m_snapshot.state = state;
    ++m_snapshot.nGeneration;
}

void CCalibrationCapture::SetTarget(int nTarget, CalTargetState state) {
    m_snapshot.targets[nTarget] = state;
    ++m_snapshot.nGeneration;
}

void CCalibrationCapture::SetHeldPolls(int nPolls) {
    if (nPolls != m_snapshot.nHeldPolls) {
        m_snapshot.nHeldPolls = nPolls;
        ++m_snapshot.nGeneration;
    }
}

void CCalibrationCapture::SetTimeLeft(std::chrono::milliseconds timeLeft) {
    // A change of a tenth of a second is what the page can show; finer ones would only wake it.
    const bool bShown = timeLeft / 100 != m_snapshot.timeLeft / 100;
    m_snapshot.timeLeft = timeLeft;
    if (bShown) {
        ++m_snapshot.nGeneration;
    }
}

void CCalibrationCapture::ResetSums() {
    SetHeldPolls(0);
    m_nSumX = 0;
    m_nSumY = 0;
}

void CCalibrationCapture::LogBug(CaptureEvent event) {
    char szLine[128];
    std::snprintf(szLine, sizeof szLine, "BUG: calibration capture: event %s in state %s\n",
                  CaptureEventName(event), CaptureStateName(m_snapshot.state));
    m_pTrace->Trace(szLine);
}
