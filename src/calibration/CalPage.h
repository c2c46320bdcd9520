#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "calibration/CalPageLook.h"
#include "calibration/CalibrationCapture.h"
#include "calibration/CalibrationGuide.h"
#include "calibration/CalibrationNumbers.h"

// What the calibration page does with its timers and the window, as its state model needs it.
// The Qt page is CCal; tests use a fake.
class ICalPageView {
public:
    virtual ~ICalPageView() = default;
    // Timer 5, the active target's time-out, armed anew; and stopped.
    virtual void StartTargetTimer() = 0;
    virtual void StopTargetTimer() = 0;
    // Timer 3, from the last lift to the end.
    virtual void StartFinishTimer() = 0;
    // What to draw changed.
    virtual void Repaint() = 0;
    // The page ends: the view stops the capture and its timers, then calls End.
    virtual void Close(bool bAccepted) = 0;
};

// The calibration page's states, whatever draws it: which timers run, when the page ends, and
// how. The page forwards the capture's reports, its timers and the keys here.
//
//   report / event                  | state change                   | asks the view
//   --------------------------------+--------------------------------+-------------------------
//   Counting/AwaitingLift, target i | i becomes the timed target     | timer 5 anew (new i only)
//   Finished                        | numbers kept                   | stop 5, start 3 (once)
//   Failed                          |                                | stop 5, start 3 (once)
//   TimedOut, or timer 5            | result CAL_ERR_TIMEOUT         | close, rejected
//   timer 3, or Enter               |                                | close, accepted when the
//                                   |                                | numbers exist
//   anything after End             | ignored                        | nothing
//
// End is the one way out: its first call decides, and Accepted only ever holds with numbers.
// User-interface thread only.
class CCalPage {
public:
    CCalPage(ICalPageView& view, std::chrono::milliseconds targetTimeout);

    void OnCaptureChanged(const CaptureSnapshot& snapshot);
    void OnFinishTimer();
    void OnTargetTimer();
    // Enter: the view has told the capture first.
    void OnEnter();
    // The page is ending (bAccepted as asked). False when it had ended already.
    bool End(bool bAccepted);

    bool Ended() const { return m_bEnded; }
    bool Accepted() const { return m_bAccepted; }
    std::uint32_t Result() const { return m_nResult; }
    // Valid when Accepted().
    const CalibrationNumbers& Numbers() const { return m_numbers; }
    const CaptureSnapshot& Shown() const { return m_shown; }
    const CalGuide& Guide() const { return m_guide; }
    // What to draw now on a page nWidth by nHeight pixels at dScale pixels per look unit.
    CalPageLook Look(int nWidth, int nHeight, double dScale, const std::string& strLabel) const {
        return LookOfCalPage(nWidth, nHeight, dScale, m_shown.targets, m_guide, strLabel);
    }
    CalOutcome Outcome() const;

private:
    ICalPageView& m_view;
    std::chrono::milliseconds m_targetTimeout;
    bool m_bEnded = false;  // End ran: later reports and timers change nothing
    bool m_bComputed = false;
    bool m_bFinishing = false;  // timer 3 started
    bool m_bAccepted = false;
    std::uint32_t m_nResult = 0;
    int m_nTarget = -1;  // the target whose time-out timer 5 measures
    CalibrationNumbers m_numbers;
    CaptureSnapshot m_shown;  // what the page draws
    CalGuide m_guide;         // the guidance drawn beside the active target
};
