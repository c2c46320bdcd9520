// The shared view cases of the device list and the name field on the real Win32 controls
// (under Wine), driven with the messages a user's mouse and keys send them.
#include <gtest/gtest.h>

#include "DeviceListViewCases.h"
#include "FakeMonitorSource.h"
#include "RecordingMessageBox.h"
#include "resources/win32/resource.h"
#include "win32/Win32Text.h"
#include "win32/ui/Win32DeviceListCtrl.h"
#include "win32/ui/Win32SelectConnection.h"
// After the program's headers: <windows.h> macros would clash with their names.
#include <windows.h>

#include <commctrl.h>

#include "Win32DialogSteps.h"

namespace {

using namespace view_cases;

void InitControls() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

// The list view as the Device Manager's template makes it, on a plain parent that hands its
// notifications to the control, as the Device Manager does.
class CWin32DeviceListDriver final : public IDeviceListDriver {
public:
    CWin32DeviceListDriver() {
        InitControls();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DeviceListViewsParent";
        RegisterClassW(&wc);  // fails harmlessly when a case before registered it
        m_hParent = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 420, 240,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        m_hList = CreateWindowW(WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                    LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                0, 0, 400, 200, m_hParent, nullptr, wc.hInstance, nullptr);
        m_list.Attach(m_hList);
        s_pList = &m_list;
    }
    ~CWin32DeviceListDriver() override {
        s_pList = nullptr;
        DestroyWindow(m_hParent);
    }
    CWin32DeviceListDriver(const CWin32DeviceListDriver&) = delete;
    CWin32DeviceListDriver& operator=(const CWin32DeviceListDriver&) = delete;

    IDeviceListView& View() override { return m_list; }
    void SetEventHandler(IDeviceListEvents* pEvents) override { m_list.SetEventHandler(pEvents); }
    // The messages reach the control whether or not its window is mapped; showing it would
    // only make the run wait on the X server.
    void Show() override {}
    void ClickCheckBox(int nRow) override {
        // The state image, found as the control finds it: the first point of the row that
        // hits it.
        RECT rcRow = {};
        rcRow.left = LVIR_BOUNDS;
        SendMessageW(m_hList, LVM_GETITEMRECT, nRow, reinterpret_cast<LPARAM>(&rcRow));
        for (int x = rcRow.left; x < rcRow.left + 60; ++x) {
            LVHITTESTINFO hit = {};
            hit.pt = {x, (rcRow.top + rcRow.bottom) / 2};
            if (ListView_SubItemHitTest(m_hList, &hit) == nRow &&
                (hit.flags & LVHT_ONITEMSTATEICON)) {
                Click(hit.pt);
                return;
            }
        }
        ADD_FAILURE() << "no check box in row " << nRow;
    }
    void ClickName(int nRow) override {
        RECT rcLabel = {};
        rcLabel.left = LVIR_LABEL;
        SendMessageW(m_hList, LVM_GETITEMRECT, nRow, reinterpret_cast<LPARAM>(&rcLabel));
        Click({(rcLabel.left + rcLabel.right) / 2, (rcLabel.top + rcLabel.bottom) / 2});
    }
    void ClickBelowRows() override { Click({200, 190}); }
    // As TranslateMessage hands a key on: the key down, its character, the key up.
    void PressDown() override { Key(VK_DOWN, 0); }
    void PressSpace() override { Key(VK_SPACE, L' '); }

private:
    static LRESULT CALLBACK ParentProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
        if (nMsg == WM_NOTIFY && s_pList) {
            s_pList->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        }
        return DefWindowProcW(hWnd, nMsg, wParam, lParam);
    }
    void Click(POINT pt) {
        const LPARAM nAt = MAKELPARAM(pt.x, pt.y);
        SendMessageW(m_hList, WM_LBUTTONDOWN, MK_LBUTTON, nAt);
        SendMessageW(m_hList, WM_LBUTTONUP, 0, nAt);
    }
    void Key(WPARAM nKey, wchar_t cChar) {
        const LPARAM nScan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(nKey), 0)) << 16;
        SendMessageW(m_hList, WM_KEYDOWN, nKey, nScan | 1);
        if (cChar) {
            SendMessageW(m_hList, WM_CHAR, cChar, nScan | 1);
        }
        SendMessageW(m_hList, WM_KEYUP, nKey, nScan | 1 | (1 << 30) | (1u << 31));
    }

    static inline CWin32DeviceListCtrl* s_pList = nullptr;
    HWND m_hParent = nullptr;
    HWND m_hList = nullptr;
    CWin32DeviceListCtrl m_list;
};

// The modal dialog runs its own message loop: the steps run from a timer inside it.
class CWin32NameFieldDriver final : public INameFieldDriver {
public:
    void RunOpen(const DeviceSettingsValues& values,
                 const std::function<void()>& fnWhileOpen) override {
        InitControls();
        DeviceSettingsValues edited = values;
        RunWhileDialogOpen(
            L"Device Settings",
            [&] {
                CWin32SelectConnection::RunModal(GetModuleHandleW(nullptr), nullptr, edited, true,
                                                 m_monitors, m_messages);
            },
            [&](HWND hDlg) {
                m_hDlg = hDlg;
                fnWhileOpen();
            });
    }
    void Type(const std::string& strText) override {
        AtEnd();
        for (const wchar_t c : Utf8ToWide(strText)) {
            SendMessageW(Name(), WM_CHAR, c, 1);
        }
    }
    void Backspace(int nCount) override {
        AtEnd();
        for (int i = 0; i < nCount; ++i) {
            SendMessageW(Name(), WM_CHAR, VK_BACK, 1);
        }
    }
    std::string NameText() override {
        const int nLength = GetWindowTextLengthW(Name());
        std::wstring strText(static_cast<size_t>(nLength) + 1, L'\0');
        GetWindowTextW(Name(), strText.data(), nLength + 1);
        strText.resize(static_cast<size_t>(nLength));
        return WideToUtf8(strText);
    }

private:
    HWND Name() const { return GetDlgItem(m_hDlg, IDC_DEVICE_NAME); }
    void AtEnd() {
        const int nLength = GetWindowTextLengthW(Name());
        SendMessageW(Name(), EM_SETSEL, nLength, nLength);
    }

    HWND m_hDlg = nullptr;
    CFakeMonitorSource m_monitors{{{"screen", {0, 0, 1024, 768}}}};
    CRecordingMessageBox m_messages;
};

class Win32DeviceListViews : public ::testing::TestWithParam<DeviceListViewCase> {};

TEST_P(Win32DeviceListViews, ActAsTheCaseSays) {
    CWin32DeviceListDriver driver;
    RunDeviceListCase(GetParam(), driver);
}

INSTANTIATE_TEST_SUITE_P(Cases, Win32DeviceListViews, ::testing::ValuesIn(DeviceListCases()),
                         [](const auto& info) { return std::string(info.param.szName); });

class Win32NameFieldViews : public ::testing::TestWithParam<NameFieldCase> {};

TEST_P(Win32NameFieldViews, ActAsTheCaseSays) {
    CWin32NameFieldDriver driver;
    RunNameFieldCase(GetParam(), driver);
}

INSTANTIATE_TEST_SUITE_P(Cases, Win32NameFieldViews, ::testing::ValuesIn(NameFieldCases()),
                         [](const auto& info) { return std::string(info.param.szName); });

}  // namespace
