#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "calibration/CalPage.h"
#include "calibration/CalibrationNumbers.h"
#include "calibration/CalibrationThread.h"
#include "devices/TouchDevice.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

class ICalTouchSource;
class ITraceSink;

// The calibration page on Windows (template 130): a borderless popup over exactly one
// monitor, topmost, the cursor hidden over it, the label 1018 and five crosshair targets
// painted with GDI from the capture's states. CCalPage in the core decides its states and
// its end, as for the Qt page (CCal); this window runs the timers and the capture thread,
// paints, and forwards ESC and Enter.
//
//   how it ended                             RunModal  GetResult()      m_numbers
//   five targets captured, timer 3 (Enter)   true      0                computed
//   ESC, or Enter before the numbers         false     0                untouched
//   a target not captured in time            false     CAL_ERR_TIMEOUT  untouched
class CWin32Cal final : private ICalPageView {
public:
    CWin32Cal(ICalTouchSource& touch, ITraceSink* pTrace);
    ~CWin32Cal() override;
    CWin32Cal(const CWin32Cal&) = delete;
    CWin32Cal& operator=(const CWin32Cal&) = delete;

    ScreenRect m_rcMonitor;  // virtual-screen pixels
    std::string m_strDevice;
    CalibrationNumbers m_numbers;  // set when RunModal returned true

    bool RunModal(HINSTANCE hInstance, HWND hOwner);
    std::uint32_t GetResult() const { return m_page.Result(); }
    CalOutcome Outcome() const { return m_page.Outcome(); }

private:
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnStartTimer();
    void OnCaptureChanged();
    void Paint(HDC hDC);
    void Finish(bool bAccepted);
    void StopCapture();

    // ICalPageView
    void StartTargetTimer() override;
    void StopTargetTimer() override;
    void StartFinishTimer() override;
    void Repaint() override;
    void Close(bool bAccepted) override;

    ICalTouchSource& m_touch;
    ITraceSink* m_pTrace;
    HWND m_hWnd = nullptr;
    std::unique_ptr<CCalibrationThread> m_pThread;
    CCalPage m_page;
};
