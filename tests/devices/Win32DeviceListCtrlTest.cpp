// The device list on a real Windows list view (under Wine): the reports the device list's
// rules rely on, and the check boxes and selection they read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/ui/Win32DeviceListCtrl.h"
#include "win32/ui/Win32SelectConnection.h"
// After the program's headers: <windows.h> macros would clash with their names.
#include <windows.h>

#include <commctrl.h>

namespace {

class CRecordingEvents final : public IDeviceListEvents {
public:
    void OnDeviceListClick(int nItem) override {
        m_vecEvents.push_back("click " + std::to_string(nItem));
    }
    void OnDeviceListDblClick() override { m_vecEvents.push_back("double"); }
    void OnDeviceListItemChanged(int nItem) override {
        m_vecEvents.push_back("changed " + std::to_string(nItem));
    }
    bool OnDeviceListKey(int nItem, DeviceListKey) override {
        m_vecEvents.push_back("space " + std::to_string(nItem));
        return true;
    }
    std::vector<std::string> m_vecEvents;
};

// The list view on a plain parent whose notifications go to the control, as the Device
// Manager's dialog hands them on.
class Win32DeviceListCtrl : public ::testing::Test {
protected:
    static LRESULT CALLBACK ParentProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
        if (nMsg == WM_NOTIFY && s_pList) {
            s_pList->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        }
        return DefWindowProcW(hWnd, nMsg, wParam, lParam);
    }

    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DeviceListTestParent";
        RegisterClassW(&wc);
        m_hParent = CreateWindowW(L"DeviceListTestParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        HWND hList =
            CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 0,
                          0, 380, 280, m_hParent, nullptr, wc.hInstance, nullptr);
        m_list.Attach(hList);
        m_list.SetEventHandler(&m_events);
        s_pList = &m_list;
    }
    void TearDown() override {
        s_pList = nullptr;
        DestroyWindow(m_hParent);
    }

    static inline CWin32DeviceListCtrl* s_pList = nullptr;
    HWND m_hParent = nullptr;
    CWin32DeviceListCtrl m_list;
    CRecordingEvents m_events;
};

TEST_F(Win32DeviceListCtrl, ReportsCheckAndSelectionChangesAtOnce) {
    m_list.InsertItem(0, "Front");
    m_list.InsertItem(1, "Side");
    m_list.SetItemText(1, 2, "COM5");
    EXPECT_TRUE(m_events.m_vecEvents.empty()) << "a new row is no change of its check box";
    EXPECT_EQ(m_list.GetItemCount(), 2);
    EXPECT_FALSE(m_list.GetCheck(1));

    m_list.SetCheck(1, true);
    EXPECT_EQ(m_events.m_vecEvents, std::vector<std::string>{"changed 1"})
        << "reported before SetCheck returned";
    EXPECT_TRUE(m_list.GetCheck(1));
    m_list.SetCheck(1, true);  // the state it has
    EXPECT_EQ(m_events.m_vecEvents.size(), 1u);

    // A selection moving from row 0 to row 1 is a change of both rows, as on the Qt list.
    m_list.SelectItem(0);
    m_events.m_vecEvents.clear();
    m_list.SelectItem(1);
    EXPECT_EQ(m_list.GetFirstSelected(), 1);
    EXPECT_EQ(m_events.m_vecEvents, (std::vector<std::string>{"changed 0", "changed 1"}));

    m_list.SetCheck(1, false);
    EXPECT_EQ(m_events.m_vecEvents.back(), "changed 1");
    m_list.DeleteItem(0);
    EXPECT_EQ(m_list.GetItemCount(), 1);
    EXPECT_EQ(m_list.GetFirstSelected(), 0);
}

// The press reaches the rules before the control acts on it, with the row under the mouse.
TEST_F(Win32DeviceListCtrl, APressReportsTheRowUnderTheMouseFirst) {
    m_list.InsertItem(0, "Front");
    HWND hList = GetWindow(m_hParent, GW_CHILD);
    RECT rcRow = {};
    rcRow.left = LVIR_BOUNDS;
    SendMessageW(hList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rcRow));
    const LPARAM ptRow = MAKELPARAM(rcRow.left + 60, (rcRow.top + rcRow.bottom) / 2);
    SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, ptRow);
    SendMessageW(hList, WM_LBUTTONUP, 0, ptRow);
    ASSERT_FALSE(m_events.m_vecEvents.empty());
    // The press selects the row first, as the Qt list does, then reports the click.
    EXPECT_EQ(m_events.m_vecEvents.front(), "changed 0");
    EXPECT_EQ(m_events.m_vecEvents.at(1), "click 0");
    SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 250));  // below the rows
    SendMessageW(hList, WM_LBUTTONUP, 0, MAKELPARAM(200, 250));
    EXPECT_NE(std::find(m_events.m_vecEvents.begin(), m_events.m_vecEvents.end(), "click -1"),
              m_events.m_vecEvents.end());
}

// COM5 is the runner's pseudo-terminal, linked by Wine's own dosdevices entry only.
TEST(Win32PortChoices, ListsThePortsThatAnswerAsCOMn) {
    bool bCom5 = false;
    for (const PortChoice& choice : Win32PortChoices()) {
        EXPECT_EQ(choice.strText.rfind("COM" + std::to_string(choice.nPort), 0), 0u);
        bCom5 = bCom5 || (choice.nPort == 5 && choice.strText == "COM5");
        EXPECT_TRUE(choice.strLinkTarget.empty());
    }
    EXPECT_TRUE(bCom5);
}

}  // namespace
