#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "calibration/CalPage.h"
#include "calibration/CalibrationGuide.h"
#include "calibration/CalibrationNumbers.h"
#include "calibration/CalibrationThread.h"
#include "devices/TouchDevice.h"
#include "qt/ThreadCalls.h"

class QLabel;
class ICalTouchSource;
class ITraceSink;

// The calibration page: a borderless window over exactly one monitor, with the cursor hidden,
// a label and five crosshair targets that the user touches one after the other. A capture
// thread polls the touch state while the page shows which target to touch.
//
// The caller sets m_rcMonitor and m_strDevice, runs exec(), and reads m_numbers when exec()
// returned Accepted; GetResult() tells a time-out from the other ends:
//
//   how it ended                                   exec()     GetResult()      m_numbers
//   five targets captured, timer 3 (or Enter)      Accepted   0                computed
//   ESC, or Enter before the numbers existed       Rejected   0                untouched
//   a target not captured and lifted in time       Rejected   CAL_ERR_TIMEOUT  untouched
//   the readings give no span (two targets equal)  Rejected   0                untouched
//   the readings fit only exchanged axes           Rejected   0                untouched
//
// Readings that fail the misclick check are never computed: the page names the misplaced
// target and starts again from the first, so that case has no row. Outcome() tells the
// user-facing end.
//
// So Accepted always means numbers worth storing. The cursor is hidden for this window only
// (a widget cursor): nothing needs to be shown again afterwards.
class CCal : public QDialog, private ICalPageView {
    Q_OBJECT

public:
    // The page's times; tests shorten them.
    struct Timing {
        std::chrono::milliseconds start{100};   // timer 2: from showing to the first target
        std::chrono::milliseconds finish{100};  // timer 3: from the last lift to the end
        std::chrono::milliseconds target = CCalibrationCapture::TARGET_TIMEOUT;  // timer 5
        std::chrono::milliseconds poll = CCalibrationThread::POLL_PERIOD;
    };

    explicit CCal(ICalTouchSource& touch, ITraceSink* pTrace = nullptr, QWidget* pParent = nullptr);
    CCal(ICalTouchSource& touch, ITraceSink* pTrace, Timing timing, QWidget* pParent = nullptr);
    ~CCal() override;

    // Set by the caller before exec(): the monitor in root-window (native) pixels, and the
    // device's name for the label.
    ScreenRect m_rcMonitor;
    std::string m_strDevice;
    // Set when exec() returned Accepted.
    CalibrationNumbers m_numbers;

    std::uint32_t GetResult() const { return m_page.Result(); }
    // All five targets were captured but two of them read the same raw value, so no scale
    // can be computed: the caller keeps the old numbers and tells the user.
    bool NoSpan() const { return m_page.Shown().state == CaptureState::Failed; }
    // How the page ended, for the notification; meaningful once exec() returned.
    CalOutcome Outcome() const { return m_page.Outcome(); }
    // What the page tells the user now.
    const CalGuide& Guide() const { return m_page.Guide(); }

    // The label of the page for a device name.
    static QString LabelText(const std::string& strDevice);
    // Qt's device-independent geometry for a monitor rectangle (see ScreenSpace.h). In device
    // pixels Qt scales window geometry by each screen's device pixel ratio, keeping the
    // screen's origin; on Wayland the monitors are already in the compositor's layout, which
    // is Qt's geometry there.
    static QRect LogicalGeometry(const ScreenRect& rcNative);
    // How each target is drawn now, by target index.
    std::array<CalTargetState, CAL_TARGET_COUNT> TargetStates() const {
        return m_page.Shown().targets;
    }
    // The capture thread exists and is polling.
    bool IsCapturing() const { return m_pThread && m_pThread->IsRunning(); }

    void setVisible(bool bVisible) override;
    void done(int nResult) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void InitDialog();
    void OnStartTimer();
    void OnCaptureChanged();
    void StopCapture();

    // ICalPageView
    void StartTargetTimer() override;
    void StopTargetTimer() override;
    void StartFinishTimer() override;
    void Repaint() override;
    void Close(bool bAccepted) override;

    ICalTouchSource& m_touch;
    ITraceSink* m_pTrace;
    Timing m_timing;

    QLabel* m_pLabel;
    QTimer m_timerStart;   // timer 2: draw the targets and start the capture
    QTimer m_timerFinish;  // timer 3: end the page after the last target
    QTimer m_timerTarget;  // timer 5: the active target's time-out
    // Declared before the thread so that it outlives a capture thread still being stopped.
    CThreadCalls m_captureCalls;  // the capture thread's news
    std::unique_ptr<CCalibrationThread> m_pThread;
    CCalPage m_page;  // the states; this window paints them and runs the timers

    bool m_bInitialised = false;
};
