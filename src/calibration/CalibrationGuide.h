#pragma once

#include <chrono>
#include <string>

#include "calibration/CalibrationCapture.h"

// What the calibration page tells the user, decided from the capture's snapshot. The page
// only paints it: the words, the step, how full the hold ring is and how much time is left.
struct CalGuide {
    int nTarget = -1;  // the target the guidance stands beside; -1: none (not started, ended)
    std::string strInstruction;  // what to do now
    std::string strStep;         // "2 of 5"
    double dHold = 0.0;          // share of the hold counted, 0..1
    double dTimeLeft = 0.0;      // share of the target's time-out left, 0..1
    int nSecondsLeft = 0;        // whole seconds left, rounded up
    std::string strNotice;       // after a refused round: which target looked misplaced
};

CalGuide GuideFor(const CaptureSnapshot& snapshot, std::chrono::milliseconds targetTimeout);

// The name a user knows a target by ("the centre target").
std::string CalTargetName(int nTarget);

// How a calibration page ended, as the user is told afterwards.
enum class CalOutcome {
    Calibrated,   // numbers computed and taken
    TimedOut,     // a target was not touched, held and lifted in time
    Cancelled,    // ESC (or Enter before the end)
    NoSpan,       // two targets read alike: no scale
    AxesSwapped,  // the readings fit a panel with x and y exchanged
};

struct CalOutcomeText {
    std::string strTitle;
    std::string strText;
    bool operator==(const CalOutcomeText&) const = default;
};

// How a page ended: bAccepted, it returned Accepted; bTimedOut, a target's time-out ended it;
// last, the capture's last snapshot.
CalOutcome OutcomeOf(bool bAccepted, bool bTimedOut, const CaptureSnapshot& last);

// The tray notification for an outcome on the device named strDevice.
CalOutcomeText DescribeCalibrationOutcome(CalOutcome outcome, const std::string& strDevice);
