#include "win32/ui/Win32SelectConnection.h"

#include <algorithm>
#include <string>

#include "resources/win32/resource.h"
#include "serial/SerialPortInfo.h"
#include "win32/Win32SerialLine.h"
#include "win32/Win32Text.h"

#include <commctrl.h>

namespace {

// The port system of the core's Linux port list; Windows lists its ports itself
// (Win32PortChoices), so nothing here is asked.
class CNoPortSystem final : public IPortSystem {
public:
    std::vector<SerialPortInfo> EnumeratePorts() override { return {}; }
    PortFacts Inspect(const std::string&) override { return {}; }
    int LinkPort(int, const std::string&) override { return 0; }
};

CNoPortSystem g_noPortSystem;

std::string ControlText(HWND hControl) {
    const int nLength = GetWindowTextLengthW(hControl);
    std::wstring strText(static_cast<size_t>(nLength) + 1, L'\0');
    GetWindowTextW(hControl, strText.data(), nLength + 1);
    strText.resize(static_cast<size_t>(nLength));
    return WideToUtf8(strText);
}

void AddEntry(HWND hCombo, const std::string& strText) {
    SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(strText).c_str()));
}

int Selected(HWND hCombo) {
    const LRESULT nRow = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    return nRow == CB_ERR ? -1 : static_cast<int>(nRow);
}

}  // namespace

namespace {

// Whether COMn answers a query-only open (no read or write access: the line is neither read
// nor set up): 0 when it is there and free, 5 when another program holds it, else the error.
DWORD ProbePort(const std::wstring& strName) {
    HANDLE hPort =
        CreateFileW((L"\\\\.\\" + strName).c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hPort == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    CloseHandle(hPort);
    return 0;
}

}  // namespace

std::vector<PortChoice> Win32PortChoices() {
    std::vector<PortChoice> vecChoices;
    for (int nPort = 1; nPort <= LAST_LISTED_PORT; ++nPort) {
        const std::wstring strName = L"COM" + std::to_wstring(nPort);
        wchar_t szTarget[512];
        const bool bKnown = QueryDosDeviceW(strName.c_str(), szTarget, 512) != 0;
        const DWORD nProbe = ProbePort(strName);
        if (!bKnown && nProbe != 0 && nProbe != ERROR_ACCESS_DENIED) {
            continue;
        }
        PortChoice choice;
        choice.nPort = nPort;
        choice.strText = "COM" + std::to_string(nPort);
        choice.bInUse = nProbe == ERROR_ACCESS_DENIED;
        if (choice.bInUse) {
            choice.strText += " \xE2\x80\x94 in use";
        }
        vecChoices.push_back(choice);
    }
    return vecChoices;
}

CWin32SelectConnection::CWin32SelectConnection(IMonitorSource& monitors, IMessageBox& messages,
                                               CDetectRun::LineFactory fnMakeDetectLine)
    : m_settings({monitors, g_noPortSystem, messages}),
      m_detectRun(m_settings, *this, m_calls,
                  fnMakeDetectLine ? std::move(fnMakeDetectLine)
                                   : CDetectRun::LineFactory([]() -> std::unique_ptr<ISerialLine> {
                                         return std::make_unique<CWin32SerialLine>();
                                     })) {
    m_settings.SetPortLister(Win32PortChoices);
}

bool CWin32SelectConnection::RunModal(HINSTANCE hInstance, HWND hOwner,
                                      DeviceSettingsValues& values, bool bModify,
                                      IMonitorSource& monitors, IMessageBox& messages,
                                      CDetectRun::LineFactory fnMakeDetectLine) {
    // The template's progress bar is a common control: its class must be registered first.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CWin32SelectConnection dlg(monitors, messages, std::move(fnMakeDetectLine));
    dlg.m_values = values;
    dlg.m_bModify = bModify;
    if (DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_SELECT_CONNECTION), hOwner, DlgProc,
                        reinterpret_cast<LPARAM>(&dlg)) != IDOK) {
        return false;
    }
    values = dlg.m_values;
    return true;
}

INT_PTR CALLBACK CWin32SelectConnection::DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam,
                                                 LPARAM lParam) {
    if (nMsg == WM_INITDIALOG) {
        auto* pThis = reinterpret_cast<CWin32SelectConnection*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        pThis->m_hWnd = hWnd;
        pThis->m_calls.Attach(hWnd);
        pThis->OnInitDialog();
        return FALSE;  // the focus is set
    }
    auto* pThis = reinterpret_cast<CWin32SelectConnection*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!pThis) {
        return FALSE;
    }
    if (nMsg == CWin32PostedCalls::WM_RUN_POSTED) {
        pThis->m_calls.RunPosted();
        return TRUE;
    }
    if (nMsg == WM_DESTROY) {
        pThis->m_detectRun.Stop();
        pThis->m_calls.Detach();
        return FALSE;
    }
    if (nMsg != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
        case IDOK:
            // Enter can reach Save while a search has it disabled: it waits for the answer.
            if (pThis->m_detectRun.Running()) {
                return TRUE;
            }
            if (pThis->OnSave()) {
                pThis->End(IDOK);
            }
            return TRUE;
        case IDCANCEL:
            pThis->End(IDCANCEL);
            return TRUE;
        case IDC_DETECT:
            if (HIWORD(wParam) == BN_CLICKED) {
                pThis->m_detectRun.Start(pThis->ReadControls());
            }
            return TRUE;
        case IDC_DEVICE_NAME:
            if (HIWORD(wParam) == EN_CHANGE) {
                pThis->OnNameChanged();
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void CWin32SelectConnection::OnInitDialog() {
    m_settings.Open(m_values, m_bModify);
    HWND hName = GetDlgItem(m_hWnd, IDC_DEVICE_NAME);
    const std::wstring strName = Utf8ToWide(m_settings.ShownName());
    // The limit follows the text (CDeviceSettings::NameLimit): set for the text shown here,
    // and again after every change (OnNameChanged).
    SendMessageW(hName, EM_SETLIMITTEXT,
                 static_cast<WPARAM>(CDeviceSettings::NameLimit(m_settings.ShownName())), 0);
    SetWindowTextW(hName, strName.c_str());
    CheckDlgButton(m_hWnd, IDC_CONNECT, m_settings.Values().m_bConnect ? BST_CHECKED : 0);
    CheckDlgButton(m_hWnd, IDC_SWAP_XY, m_settings.Values().m_bSwapXY ? BST_CHECKED : 0);
    HWND hMonitor = GetDlgItem(m_hWnd, IDC_MONITOR);
    for (const CDeviceSettings::MonitorEntry& entry : m_settings.Monitors()) {
        AddEntry(hMonitor, entry.strName);
    }
    HWND hPort = GetDlgItem(m_hWnd, IDC_COM_PORT);
    for (const PortChoice& choice : m_settings.Ports()) {
        AddEntry(hPort, choice.strText);
    }
    HWND hBaud = GetDlgItem(m_hWnd, IDC_BAUD_RATE);
    for (const char* szRate : CDeviceSettings::BAUD_RATES) {
        AddEntry(hBaud, szRate);
    }
    const CDeviceSettings::Choices& initial = m_settings.Initial();
    SendMessageW(hMonitor, CB_SETCURSEL, static_cast<WPARAM>(initial.nMonitor), 0);
    SendMessageW(hPort, CB_SETCURSEL, static_cast<WPARAM>(initial.nPort), 0);
    SendMessageW(hBaud, CB_SETCURSEL, static_cast<WPARAM>(initial.nBaudRate), 0);
    // What the caller gave is validated now: a name from the file that is too long is
    // reported at once.
    CDeviceSettings::Field refused = CDeviceSettings::Field::None;
    m_settings.ReadName(ReadControls(), refused);
    m_values = m_settings.Values();
    if (refused != CDeviceSettings::Field::None) {
        Focus(refused);
    } else {
        SetFocus(GetDlgItem(m_hWnd, IDC_CONNECT));
    }
}

void CWin32SelectConnection::OnNameChanged() {
    HWND hName = GetDlgItem(m_hWnd, IDC_DEVICE_NAME);
    SendMessageW(hName, EM_SETLIMITTEXT,
                 static_cast<WPARAM>(CDeviceSettings::NameLimit(ControlText(hName))), 0);
}

CDeviceSettings::Choices CWin32SelectConnection::ReadControls() const {
    CDeviceSettings::Choices choices;
    choices.strName = ControlText(GetDlgItem(m_hWnd, IDC_DEVICE_NAME));
    choices.bConnect = IsDlgButtonChecked(m_hWnd, IDC_CONNECT) == BST_CHECKED;
    choices.bSwapXY = IsDlgButtonChecked(m_hWnd, IDC_SWAP_XY) == BST_CHECKED;
    choices.nMonitor = Selected(GetDlgItem(m_hWnd, IDC_MONITOR));
    choices.nPort = Selected(GetDlgItem(m_hWnd, IDC_COM_PORT));
    choices.nBaudRate = Selected(GetDlgItem(m_hWnd, IDC_BAUD_RATE));
    return choices;
}

void CWin32SelectConnection::Focus(CDeviceSettings::Field field) {
    int nId = 0;
    switch (field) {
        case CDeviceSettings::Field::Name:
            nId = IDC_DEVICE_NAME;
            break;
        case CDeviceSettings::Field::Monitor:
            nId = IDC_MONITOR;
            break;
        case CDeviceSettings::Field::Port:
            nId = IDC_COM_PORT;
            break;
        case CDeviceSettings::Field::None:
            return;
    }
    HWND hControl = GetDlgItem(m_hWnd, nId);
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hControl), TRUE);
    if (nId == IDC_DEVICE_NAME) {
        SendMessageW(hControl, EM_SETSEL, 0, -1);
    }
}

bool CWin32SelectConnection::OnSave() {
    CDeviceSettings::Field refused = CDeviceSettings::Field::None;
    const bool bSaved = m_settings.Save(ReadControls(), refused);
    m_values = m_settings.Values();
    if (!bSaved) {
        Focus(refused);
    }
    return bSaved;
}

void CWin32SelectConnection::End(INT_PTR nResult) {
    m_detectRun.Stop();
    EndDialog(m_hWnd, nResult);
}

void CWin32SelectConnection::EnableForDetect(const Enabled& enabled) {
    EnableWindow(GetDlgItem(m_hWnd, IDC_DETECT), enabled.bDetect);
    EnableWindow(GetDlgItem(m_hWnd, IDOK), enabled.bSave);
    EnableWindow(GetDlgItem(m_hWnd, IDC_COM_PORT), enabled.bPort);
    EnableWindow(GetDlgItem(m_hWnd, IDC_BAUD_RATE), enabled.bBaudRate);
    ShowWindow(GetDlgItem(m_hWnd, IDC_DETECT_PROGRESS), enabled.bProgress ? SW_SHOW : SW_HIDE);
}

void CWin32SelectConnection::ShowDetectProgress(int nStep, int nSteps,
                                                const std::string& strStatus) {
    HWND hProgress = GetDlgItem(m_hWnd, IDC_DETECT_PROGRESS);
    SendMessageW(hProgress, PBM_SETRANGE32, 0, nSteps);
    SendMessageW(hProgress, PBM_SETPOS, static_cast<WPARAM>(nStep), 0);
    // A progress bar draws no text: the status is its name, for a screen reader.
    SetWindowTextW(hProgress, Utf8ToWide(strStatus).c_str());
}

void CWin32SelectConnection::SelectBaudRow(int nRow) {
    SendMessageW(GetDlgItem(m_hWnd, IDC_BAUD_RATE), CB_SETCURSEL, static_cast<WPARAM>(nRow), 0);
}
