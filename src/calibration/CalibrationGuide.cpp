#include "calibration/CalibrationGuide.h"

#include <algorithm>

// A first-time user sees a crosshair and a label about ESC; nothing there says that a touch
// must rest for a moment, that it must lift before the next target comes, or that a clock is
// running. So the page says what to do beside the active target, counts the steps, and fills
// a ring while the hold is counted, with a second ring running down the time-out.
//
//   capture state   instruction                              hold ring   time ring
//   Counting        "Touch and hold the target, then lift"   count/30    left/timeout
//   AwaitingLift    "Now lift your finger"                   full        left/timeout
//   other           (no guidance: not started, or ending)    -           -

std::string CalTargetName(int nTarget) {
    switch (nTarget) {
        case CAL_TOP_LEFT:
            return "top left";
        case CAL_BOTTOM_LEFT:
            return "bottom left";
        case CAL_CENTRE:
            return "centre";
        case CAL_TOP_RIGHT:
            return "top right";
        case CAL_BOTTOM_RIGHT:
            return "bottom right";
        default:
            return "?";
    }
}

CalGuide GuideFor(const CaptureSnapshot& snapshot, std::chrono::milliseconds targetTimeout) {
    CalGuide guide;
    const bool bCounting = snapshot.state == CaptureState::Counting;
    if (!bCounting && snapshot.state != CaptureState::AwaitingLift) {
        return guide;
    }
    guide.nTarget = snapshot.nActiveTarget;
    guide.strInstruction =
        bCounting ? "Touch and hold the target, then lift" : "Now lift your finger";
    guide.strStep =
        std::to_string(snapshot.nActiveTarget + 1) + " of " + std::to_string(CAL_TARGET_COUNT);
    guide.dHold = bCounting ? static_cast<double>(snapshot.nHeldPolls) /
                                  CCalibrationCapture::SAMPLES_PER_TARGET
                            : 1.0;
    const auto nLeftMs = std::max<long long>(snapshot.timeLeft.count(), 0);
    const auto nTimeoutMs = std::max<long long>(targetTimeout.count(), 1);
    guide.dTimeLeft = std::min(1.0, static_cast<double>(nLeftMs) / nTimeoutMs);
    guide.nSecondsLeft = static_cast<int>((nLeftMs + 999) / 1000);
    if (snapshot.nMisplacedTarget >= 0) {
        guide.strNotice = "The " + CalTargetName(snapshot.nMisplacedTarget) +
                          " target looked misplaced, so nothing was stored. "
                          "Please touch all five targets again.";
    }
    return guide;
}

CalOutcome OutcomeOf(bool bAccepted, bool bTimedOut, const CaptureSnapshot& last) {
    if (bAccepted) {
        return CalOutcome::Calibrated;
    }
    if (bTimedOut) {
        return CalOutcome::TimedOut;
    }
    if (last.state == CaptureState::Failed) {
        return last.bAxesSwapped ? CalOutcome::AxesSwapped : CalOutcome::NoSpan;
    }
    return CalOutcome::Cancelled;
}

CalOutcomeText DescribeCalibrationOutcome(CalOutcome outcome, const std::string& strDevice) {
    switch (outcome) {
        case CalOutcome::Calibrated:
            // The numbers are written by OK alone, and Exit or a logout would drop them.
            return {"Tactilo - calibrated",
                    strDevice +
                        " is calibrated. Press OK in the Device Manager to keep the "
                        "calibration."};
        case CalOutcome::TimedOut:
            return {"Tactilo - calibration timed out",
                    "A target of " + strDevice +
                        " was not touched in time. The old calibration is kept."};
        case CalOutcome::Cancelled:
            return {
                "Tactilo - calibration cancelled",
                "The calibration of " + strDevice + " was cancelled. The old calibration is kept."};
        case CalOutcome::NoSpan:
            return {"Tactilo - calibration failed",
                    "Two targets of " + strDevice +
                        " gave the same reading, so no scale can be computed. Check the "
                        "X/Y-Swap setting and calibrate again; the old calibration is kept."};
        case CalOutcome::AxesSwapped:
            return {"Tactilo - calibration failed",
                    strDevice +
                        " reports its axes the other way round. Change the X/Y-Swap setting "
                        "and calibrate again; the old calibration is kept."};
    }
    return {};
}
