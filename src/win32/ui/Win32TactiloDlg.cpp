#include "win32/ui/Win32TactiloDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "app/Options.h"
#include "devices/AppDirectory.h"
#include "resources/win32/resource.h"
#include "win32/Win32SingleInstance.h"
#include "win32/Win32Text.h"
#include "win32/ui/Win32AboutDlg.h"
#include "win32/ui/Win32Cal.h"
#include "win32/ui/Win32SelectConnection.h"
#include "win32/ui/Win32TrayShell.h"

namespace {

constexpr UINT_PTR RECONNECT_TIMER_ID = 2;

}  // namespace

CWin32TactiloDlg::CWin32TactiloDlg(HINSTANCE hInstance, Services services,
                                   const CMyCommandLineInfo& switches, UINT nTerminateMessage)
    : m_hInstance(hInstance),
      m_monitors(services.monitors),
      m_messages(services.messages),
      m_trace(services.trace),
      m_nTerminateMessage(nTerminateMessage),
      m_holdTimer(*this,
                  [this](unsigned nId, std::uint64_t nTouch) { m_pHub->OnTimer(nId, nTouch); }),
      m_reconnectTimer(RECONNECT_TIMER_ID, [this] { m_pHub->OnReconnectTimer(); }),
      m_pHub(std::make_unique<CTactiloHub>(std::move(services),
                                           CTactiloHub::Seams{m_holdTimer, m_reconnectTimer, *this},
                                           *this, switches)) {
    m_listDevices.SetEventHandler(&m_pHub->DeviceList());
}

CWin32TactiloDlg::~CWin32TactiloDlg() {
    // The hub lets go of the port and the tray while the controls it shows them on exist.
    m_pHub->OnDestroy();
    m_listDevices.SetEventHandler(nullptr);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_hPostTarget = nullptr;
    }
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
    for (HICON hIcon : {m_hIcon, m_hSmallIcon}) {
        if (hIcon) {
            DestroyIcon(hIcon);
        }
    }
}

bool CWin32TactiloDlg::Create(const std::function<void(HWND)>& fnCreated) {
    if (!CreateDialogParamW(m_hInstance, MAKEINTRESOURCEW(IDD_TACTILO_DIALOG), nullptr, DlgProc,
                            reinterpret_cast<LPARAM>(this))) {
        return false;
    }
    if (fnCreated) {
        fnCreated(m_hWnd);
    }
    return m_pHub->OnInitDialog();
}

void CWin32TactiloDlg::OnInitControls() {
    m_holdTimer.SetWindow(m_hWnd);
    m_reconnectTimer.SetWindow(m_hWnd);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_hPostTarget = m_hWnd;
    }
    m_hIcon =
        static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_NOT_CONNECTED), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_hSmallIcon = static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_NOT_CONNECTED),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    if (HMENU hSystem = GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t szAbout[64] = {};
        if (LoadStringW(m_hInstance, IDS_ABOUTBOX, szAbout, 64) > 0) {
            AppendMenuW(hSystem, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(hSystem, MF_STRING, IDM_ABOUTBOX, szAbout);
        }
    }
    m_listDevices.Attach(GetDlgItem(m_hWnd, IDC_LIST_DEVICES));
    HWND hPrecision = GetDlgItem(m_hWnd, IDC_PRECISION);
    for (const char* szEntry : PRECISION_ENTRIES) {
        SendMessageW(hPrecision, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Utf8ToWide(szEntry).c_str()));
    }
}

INT_PTR CALLBACK CWin32TactiloDlg::DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_INITDIALOG) {
        auto* pThis = reinterpret_cast<CWin32TactiloDlg*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        pThis->m_hWnd = hWnd;
        pThis->OnInitControls();
        return TRUE;
    }
    auto* pThis = reinterpret_cast<CWin32TactiloDlg*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    return pThis ? pThis->OnMessage(nMsg, wParam, lParam) : FALSE;
}

INT_PTR CWin32TactiloDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    // WM_QUIT arrives here only when sent (the tray's window sends it on the terminate
    // message, other programs may); posted, it ends the loop instead (RunMessageLoop).
    if ((nMsg == m_nTerminateMessage && m_nTerminateMessage != 0) || nMsg == WM_QUIT) {
        m_pHub->OnTerminate();
        return TRUE;
    }
    switch (nMsg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
                ShowAbout();
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            // The close box and Alt+F4 end the window as Cancel does: the option edits go
            // and the window hides into the tray. The program keeps running with its device,
            // so it keeps the icon that brings the window back.
            m_pHub->OnCancelButton();
            return TRUE;
        case WM_NOTIFY:
            return m_listDevices.OnNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
        case WM_TIMER:
            if (!m_holdTimer.OnTimerMessage(wParam)) {
                m_reconnectTimer.OnTimerMessage(wParam);
            }
            return TRUE;
        case WM_RUN_POSTED:
            RunPosted();
            return TRUE;
        case WM_COPYDATA:
            if (const auto switches = CWin32SingleInstance::ReadHandOver(
                    *reinterpret_cast<const COPYDATASTRUCT*>(lParam))) {
                // Answered at once; the switches may calibrate, which the sender must not
                // wait for.
                Post([this, strSwitches = *switches] {
                    m_pHub->OnHandOver(CMyCommandLineInfo::FromArguments(strSwitches));
                });
                SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void CWin32TactiloDlg::OnCommand(UINT nId) {
    switch (nId) {
        case IDC_ADD:
            m_pHub->DeviceList().OnAdd();
            break;
        case IDC_MODIFY:
            m_pHub->DeviceList().OnModify();
            break;
        case IDC_REMOVE:
            m_pHub->DeviceList().OnRemove();
            break;
        case IDC_CALIBRATE:
            m_pHub->OnCalibrate();
            break;
        case IDOK:
            m_pHub->OnOkButton();
            break;
        case IDCANCEL:
            m_pHub->OnCancelButton();
            break;
        default:
            if (nId >= ID_TRAY_ABOUT && nId <= ID_TOGGLE_TRAY_RIGHT_CLICK) {
                m_pHub->OnCommand(nId);
            }
            break;
    }
}

void CWin32TactiloDlg::ShowModalWindow() {
    ShowWindow(m_hWnd, SW_SHOW);
    SetForegroundWindow(m_hWnd);
}

namespace {

// The system's setting for the minimise and restore animations.
bool AnimationsOn() {
    ANIMATIONINFO info = {};
    info.cbSize = sizeof(info);
    return SystemParametersInfoW(SPI_GETANIMATION, sizeof(info), &info, 0) && info.iMinAnimate;
}

}  // namespace

// The caption flies into the icon on hide and out of it on restore, as the minimise
// animation does, when the system animates windows and there is an icon to fly to: not at
// start-up (the window was never on screen), not on Exit or terminate (the icon is gone
// first), not without a tray host.
void CWin32TactiloDlg::HideWindow() {
    RECT rcTray = {};
    if (IsWindowVisible(m_hWnd) && !IsIconic(m_hWnd) && m_pTrayShell &&
        m_pTrayShell->AnimationRect(rcTray) && AnimationsOn()) {
        RECT rcWindow = {};
        GetWindowRect(m_hWnd, &rcWindow);
        DrawAnimatedRects(m_hWnd, IDANI_CAPTION, &rcWindow, &rcTray);
    }
    ShowWindow(m_hWnd, SW_HIDE);
}

void CWin32TactiloDlg::RestoreWindow() {
    RECT rcTray = {};
    if (!IsWindowVisible(m_hWnd) && !IsIconic(m_hWnd) && m_pTrayShell &&
        m_pTrayShell->AnimationRect(rcTray) && AnimationsOn()) {
        RECT rcWindow = {};  // a hidden window keeps its place
        GetWindowRect(m_hWnd, &rcWindow);
        DrawAnimatedRects(m_hWnd, IDANI_CAPTION, &rcTray, &rcWindow);
    }
    // A window minimised before it was hidden comes back as a window.
    ShowWindow(m_hWnd, IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_hWnd);
}

void CWin32TactiloDlg::EnableCalibrate(bool bEnable) {
    EnableWindow(GetDlgItem(m_hWnd, IDC_CALIBRATE), bEnable ? TRUE : FALSE);
}

void CWin32TactiloDlg::EnableModifyRemove(bool bEnable) {
    EnableWindow(GetDlgItem(m_hWnd, IDC_MODIFY), bEnable ? TRUE : FALSE);
    EnableWindow(GetDlgItem(m_hWnd, IDC_REMOVE), bEnable ? TRUE : FALSE);
}

namespace {

std::string ControlText(HWND hControl) {
    const int nLength = GetWindowTextLengthW(hControl);
    std::wstring strText(static_cast<size_t>(nLength) + 1, L'\0');
    GetWindowTextW(hControl, strText.data(), nLength + 1);
    strText.resize(static_cast<size_t>(nLength));
    return WideToUtf8(strText);
}

}  // namespace

OptionControls CWin32TactiloDlg::GetOptionControls() const {
    OptionControls controls;
    controls.strDelay = ControlText(GetDlgItem(m_hWnd, IDC_RIGHT_CLICK_DELAY));
    controls.strPrecision = ControlText(GetDlgItem(m_hWnd, IDC_PRECISION));
    controls.bAutoStart = IsDlgButtonChecked(m_hWnd, IDC_AUTOSTART) == BST_CHECKED;
    return controls;
}

void CWin32TactiloDlg::SetOptionControls(const OptionControls& controls) {
    SetDlgItemTextW(m_hWnd, IDC_RIGHT_CLICK_DELAY, Utf8ToWide(controls.strDelay).c_str());
    HWND hPrecision = GetDlgItem(m_hWnd, IDC_PRECISION);
    const LRESULT nIndex =
        SendMessageW(hPrecision, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(Utf8ToWide(controls.strPrecision).c_str()));
    if (nIndex != CB_ERR) {
        SendMessageW(hPrecision, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    }
    CheckDlgButton(m_hWnd, IDC_AUTOSTART, controls.bAutoStart ? BST_CHECKED : BST_UNCHECKED);
}

void CWin32TactiloDlg::FocusDelay() {
    HWND hDelay = GetDlgItem(m_hWnd, IDC_RIGHT_CLICK_DELAY);
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hDelay), TRUE);
    SendMessageW(hDelay, EM_SETSEL, 0, -1);
}

bool CWin32TactiloDlg::RunDeviceSettings(DeviceSettingsValues& values, bool bModify) {
    return CWin32SelectConnection::RunModal(m_hInstance, m_hWnd, values, bModify, m_monitors,
                                            m_messages);
}

void CWin32TactiloDlg::RunCalibration(CalibrationRun& run) {
    CWin32Cal cal(m_pHub->Touch(), &m_trace);
    cal.m_rcMonitor = run.rcMonitor;
    cal.m_strDevice = run.strDevice;
    run.bAccepted = cal.RunModal(m_hInstance, m_hWnd);
    if (run.bAccepted) {
        run.numbers = cal.m_numbers;
    }
    run.nResult = cal.GetResult();
    run.outcome = cal.Outcome();
}

void CWin32TactiloDlg::ShowAbout() {
    // One About box: asked again while it is open (the tray menu stays usable), it comes to
    // the front.
    if (m_hAbout) {
        SetForegroundWindow(m_hAbout);
        return;
    }
    RunAboutBox(m_hInstance, m_hWnd, &m_hAbout);
}

std::string CWin32TactiloDlg::OpenHelp() {
    const std::string strFile = HelpFilePath(GetAppDirectory());
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::path(Utf8ToWide(strFile)), error)) {
        return "The manual " + strFile + " is missing.";
    }
    const auto nResult = reinterpret_cast<INT_PTR>(ShellExecuteW(
        m_hWnd, L"open", Utf8ToWide(strFile).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (nResult <= 32) {
        return "No program could open the manual " + strFile + ".";
    }
    return {};
}

namespace {

BOOL CALLBACK CollectOwned(HWND hWnd, LPARAM lParam) {
    auto* pFound = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(lParam);
    for (HWND hOwner = GetWindow(hWnd, GW_OWNER); hOwner; hOwner = GetWindow(hOwner, GW_OWNER)) {
        if (hOwner == pFound->first) {
            pFound->second.push_back(hWnd);
            break;
        }
    }
    return TRUE;
}

}  // namespace

void CWin32TactiloDlg::EndOwnedDialogs() {
    // The thread's windows come in z-order, the newest dialog (a message box over the dialog
    // that showed it) first; each takes Cancel, the calibration page as ESC.
    std::pair<HWND, std::vector<HWND>> found{m_hWnd, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&found));
    for (HWND hDialog : found.second) {
        if (IsWindowVisible(hDialog)) {
            SendMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
}
