#include "win32/ui/Win32Cal.h"

#include <string>

#include "calibration/CalTouchSource.h"
#include "resources/win32/resource.h"
#include "win32/Win32Text.h"
#include "win32/ui/Win32CalPaint.h"

namespace {

// The page's timers, by their old numbers.
constexpr UINT_PTR TIMER_START = 2;   // from showing to the first target (100 ms)
constexpr UINT_PTR TIMER_FINISH = 3;  // from the last lift to the end (100 ms)
constexpr UINT_PTR TIMER_TARGET = 5;  // the active target's time-out
constexpr UINT START_MS = 100;
constexpr UINT FINISH_MS = 100;
// The capture thread's news waits for this window's thread.
constexpr UINT WM_CAPTURE_CHANGED = WM_APP + 3;

}  // namespace

CWin32Cal::CWin32Cal(ICalTouchSource& touch, ITraceSink* pTrace)
    : m_touch(touch), m_pTrace(pTrace), m_page(*this, CCalibrationCapture::TARGET_TIMEOUT) {}

CWin32Cal::~CWin32Cal() {
    StopCapture();
}

bool CWin32Cal::RunModal(HINSTANCE hInstance, HWND hOwner) {
    const INT_PTR nResult = DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_CAL), hOwner, DlgProc,
                                            reinterpret_cast<LPARAM>(this));
    return nResult == IDOK && m_page.Accepted();
}

INT_PTR CALLBACK CWin32Cal::DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_INITDIALOG) {
        auto* pThis = reinterpret_cast<CWin32Cal*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        pThis->m_hWnd = hWnd;
        pThis->OnInitDialog();
        return TRUE;
    }
    auto* pThis = reinterpret_cast<CWin32Cal*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    return pThis ? pThis->OnMessage(nMsg, wParam, lParam) : FALSE;
}

void CWin32Cal::OnInitDialog() {
    // Over the whole monitor and above everything, the taskbar included.
    SetWindowPos(m_hWnd, HWND_TOPMOST, m_rcMonitor.left, m_rcMonitor.top,
                 m_rcMonitor.right - m_rcMonitor.left, m_rcMonitor.bottom - m_rcMonitor.top,
                 SWP_SHOWWINDOW);
    // The label is painted with the page, over no fill of its own; the control keeps the
    // text for tools that look for it.
    SetDlgItemTextW(m_hWnd, IDC_CAL_LABEL, Utf8ToWide(CalPageLabel(m_strDevice)).c_str());
    ShowWindow(GetDlgItem(m_hWnd, IDC_CAL_LABEL), SW_HIDE);
    SetForegroundWindow(m_hWnd);
    SetTimer(m_hWnd, TIMER_START, START_MS, nullptr);
}

void CWin32Cal::OnStartTimer() {
    KillTimer(m_hWnd, TIMER_START);
    HWND hWnd = m_hWnd;
    m_pThread = std::make_unique<CCalibrationThread>(
        m_touch, m_rcMonitor.right - m_rcMonitor.left, m_rcMonitor.bottom - m_rcMonitor.top,
        m_pTrace, [hWnd] { PostMessageW(hWnd, WM_CAPTURE_CHANGED, 0, 0); });
    m_pThread->Start();
    OnCaptureChanged();
}

void CWin32Cal::OnCaptureChanged() {
    if (m_pThread && !m_page.Ended()) {
        m_page.OnCaptureChanged(m_pThread->Snapshot());
    }
}

INT_PTR CWin32Cal::OnMessage(UINT nMsg, WPARAM wParam, LPARAM) {
    switch (nMsg) {
        case WM_TIMER:
            if (wParam == TIMER_START) {
                OnStartTimer();
            } else if (wParam == TIMER_FINISH) {
                KillTimer(m_hWnd, TIMER_FINISH);
                m_page.OnFinishTimer();
            } else if (wParam == TIMER_TARGET) {
                KillTimer(m_hWnd, TIMER_TARGET);
                m_page.OnTargetTimer();
            }
            return TRUE;
        case WM_CAPTURE_CHANGED:
            OnCaptureChanged();
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {  // Enter
                if (m_pThread) {
                    m_pThread->Enter();
                }
                m_page.OnEnter();
            } else if (LOWORD(wParam) == IDCANCEL) {  // ESC
                if (m_pThread) {
                    m_pThread->Cancel();
                }
                Finish(false);
            }
            return TRUE;
        case WM_SETCURSOR:
            SetCursor(nullptr);  // no pointer over the targets
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_ERASEBKGND:
            return TRUE;  // painted whole in WM_PAINT
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC hDC = BeginPaint(m_hWnd, &paint);
            Paint(hDC);
            EndPaint(m_hWnd, &paint);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void CWin32Cal::Paint(HDC hDC) {
    // The window covers the monitor: its client area is the monitor's size.
    const int nWidth = m_rcMonitor.right - m_rcMonitor.left;
    const int nHeight = m_rcMonitor.bottom - m_rcMonitor.top;
    PaintCalPageLook(hDC, nWidth, nHeight,
                     m_page.Look(nWidth, nHeight, 1.0, CalPageLabel(m_strDevice)));
}

void CWin32Cal::StartTargetTimer() {
    SetTimer(m_hWnd, TIMER_TARGET, static_cast<UINT>(CCalibrationCapture::TARGET_TIMEOUT.count()),
             nullptr);
}

void CWin32Cal::StopTargetTimer() {
    KillTimer(m_hWnd, TIMER_TARGET);
}

void CWin32Cal::StartFinishTimer() {
    SetTimer(m_hWnd, TIMER_FINISH, FINISH_MS, nullptr);
}

void CWin32Cal::Repaint() {
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CWin32Cal::Close(bool bAccepted) {
    Finish(bAccepted);
}

// Every way out comes here: the thread is stopped and joined before the window goes.
void CWin32Cal::Finish(bool bAccepted) {
    if (!m_page.End(bAccepted)) {
        return;
    }
    StopCapture();
    for (UINT_PTR nTimer : {TIMER_START, TIMER_FINISH, TIMER_TARGET}) {
        KillTimer(m_hWnd, nTimer);
    }
    if (m_page.Accepted()) {
        m_numbers = m_page.Numbers();
    }
    EndDialog(m_hWnd, m_page.Accepted() ? IDOK : IDCANCEL);
}

void CWin32Cal::StopCapture() {
    if (m_pThread) {
        m_pThread->Stop();
    }
}
