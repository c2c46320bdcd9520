#pragma once

// The device list's and the Device Settings name field's view cases, written once and run
// against every front end: the Qt widgets (tests/views/DeviceListViewsTest.cpp) and the Win32
// controls under Wine (tests/views/Win32DeviceListViewsTest.cpp). A driver performs each step
// on its platform's real controls, with the platform's own mouse and key events; the rules
// behind the controls are the real ones, the host a fake without a port. What the case expects
// is asserted here, so two front ends that answer a step differently fail the same row.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "FakeDeviceListHost.h"
#include "devices/DeviceLines.h"
#include "devices/DeviceList.h"
#include "devices/DeviceSettingsValues.h"

namespace view_cases {

// ---- The device list ----

enum class ListStep {
    ClickCheckBox,  // a left click on the row's check box
    ClickName,      // a left click on the row's name
    ClickBelow,     // a left click in the list below its rows
    KeyDown,        // the down arrow, in the list
    KeySpace,       // the space bar, in the list
    Remove,         // the Remove button (a command of the rules, the same on every view)
};

struct ListEvent {
    ListStep step;
    int nRow = -1;
};

struct StartRow {
    const char* szName;
    int bConnect;             // the line's connect flag in the file
    bool bPortFails = false;  // its port does not open
};

struct DeviceListViewCase {
    const char* szName;
    std::vector<StartRow> vecRows;
    std::vector<ListEvent> vecSteps;
    // After the steps:
    std::vector<bool> vecChecks;    // the rows' check boxes
    std::vector<int> vecLineFlags;  // the lines' connect flags, as OK would save them
    const char* szConnected;        // the device connected now, "" for none
    int nSelected;                  // the first selected row, -1 for none
    bool bModifyRemoveEnabled;
};

inline std::ostream& operator<<(std::ostream& os, const DeviceListViewCase& viewCase) {
    return os << viewCase.szName;
}

constexpr ListEvent CheckBox(int nRow) {
    return {ListStep::ClickCheckBox, nRow};
}
constexpr ListEvent Name(int nRow) {
    return {ListStep::ClickName, nRow};
}
constexpr ListEvent g_below{ListStep::ClickBelow};
constexpr ListEvent g_down{ListStep::KeyDown};
constexpr ListEvent g_space{ListStep::KeySpace};
constexpr ListEvent g_remove{ListStep::Remove};

inline const std::vector<DeviceListViewCase>& DeviceListCases() {
    // One case a row: name; the file; the steps; then checks, flags, connected, selected row,
    // Modify and Remove enabled.
    // clang-format off
    static const std::vector<DeviceListViewCase> s_vecCases = {
        {"TickingByTheCheckBoxConnects",
         {{"A", 0}, {"B", 0}},
         {CheckBox(1)},
         {false, true}, {0, 1}, "B", 1, true},
        // Two ticked lines in the file: the lower connects; ticking a third moves it there.
        {"TickingAnotherRowMovesTheConnection",
         {{"A", 1}, {"B", 1}, {"C", 0}},
         {CheckBox(2)},
         {false, false, true}, {0, 0, 1}, "C", 2, true},
        {"UntickingTheActiveRowDisconnects",
         {{"A", 1}, {"B", 0}},
         {CheckBox(0)},
         {false, false}, {0, 0}, "", 0, true},
        {"TickingItAgainConnectsAgain",
         {{"A", 0}, {"B", 1}},
         {CheckBox(1), CheckBox(1)},
         {false, true}, {0, 1}, "B", 1, true},
        // The space bar is a click on the focused row's check box, after the arrow moved it.
        {"SpaceOnTheRowTheArrowReachedConnectsIt",
         {{"A", 0}, {"B", 0}},
         {Name(0), g_down, g_space},
         {false, true}, {0, 1}, "B", 1, true},
        {"SpaceTwiceDisconnectsAndAThirdTimeConnectsAgain",
         {{"A", 0}, {"B", 0}},
         {Name(1), g_space, g_space, g_space},
         {false, true}, {0, 1}, "B", 1, true},
        {"SpaceUnticksTheRowConnectedAtStart",
         {{"A", 1}, {"B", 0}},
         {Name(0), g_space},
         {false, false}, {0, 0}, "", 0, true},
        // A row unticked by a failed connect keeps its flag until the user leaves it; leaving
        // it stores the unticked state, so the next start does not try it again.
        {"LeavingARowUntickedByAFailedConnectClearsItsFlag",
         {{"A", 0}, {"B", 1, true}},
         {Name(1), Name(0)},
         {false, false}, {0, 0}, "", 0, true},
        {"LeavingItByTheArrowClearsItsFlagToo",
         {{"A", 0}, {"B", 1, true}, {"C", 0}},
         {Name(1), g_down},
         {false, false, false}, {0, 0, 0}, "", 2, true},
        {"NothingSelectedDisablesModifyAndRemove",
         {{"A", 0}, {"B", 0}, {"C", 0}},
         {},
         {false, false, false}, {0, 0, 0}, "", -1, false},
        {"AClickBelowTheRowsLeavesNothingToModify",
         {{"A", 0}, {"B", 0}},
         {Name(0), g_below},
         {false, false}, {0, 0}, "", -1, false},
        {"RemoveLeavesNothingSelectedSoASecondRemoveDoesNothing",
         {{"A", 0}, {"B", 1}, {"C", 0}},
         {Name(0), g_remove, g_remove},
         {true, false}, {1, 0}, "B", -1, false},
    };
    // clang-format on
    return s_vecCases;
}

// A front end's list control with the platform's own input.
class IDeviceListDriver {
public:
    virtual ~IDeviceListDriver() = default;
    virtual IDeviceListView& View() = 0;
    virtual void SetEventHandler(IDeviceListEvents* pEvents) = 0;
    // The list is filled: show it, so that clicks land where its rows are drawn.
    virtual void Show() = 0;
    virtual void ClickCheckBox(int nRow) = 0;
    virtual void ClickName(int nRow) = 0;
    virtual void ClickBelowRows() = 0;
    virtual void PressDown() = 0;
    virtual void PressSpace() = 0;
};

inline void RunDeviceListCase(const DeviceListViewCase& viewCase, IDeviceListDriver& driver) {
    CDeviceLines arrLines;
    TouchDevice activeDevice;
    CFakeDeviceListHost host(driver.View(), activeDevice);
    CDeviceList list(driver.View(), arrLines, activeDevice, host);
    for (std::size_t i = 0; i < viewCase.vecRows.size(); ++i) {
        TouchDevice device;
        device.m_strName = viewCase.vecRows[i].szName;
        device.m_strMonitor = "screen";
        device.m_strPort = "COM" + std::to_string(i + 1);
        device.m_strBaudRate = "9600";
        device.m_bConnect = viewCase.vecRows[i].bConnect;
        device.m_nIndex = static_cast<std::int16_t>(i);
        arrLines.Add(FormatDeviceLine(device));
        if (viewCase.vecRows[i].bPortFails) {
            host.m_setFailingPorts.insert(device.m_strPort);
        }
    }
    // As the main window starts: fill, then connect the first ticked device.
    driver.SetEventHandler(&list);
    list.FillDeviceList();
    if (list.SelectActiveDevice(-1)) {
        host.Connect(true, false);
    }
    driver.Show();
    for (const ListEvent& event : viewCase.vecSteps) {
        switch (event.step) {
            case ListStep::ClickCheckBox:
                driver.ClickCheckBox(event.nRow);
                break;
            case ListStep::ClickName:
                driver.ClickName(event.nRow);
                break;
            case ListStep::ClickBelow:
                driver.ClickBelowRows();
                break;
            case ListStep::KeyDown:
                driver.PressDown();
                break;
            case ListStep::KeySpace:
                driver.PressSpace();
                break;
            case ListStep::Remove:
                list.OnRemove();
                break;
        }
    }
    std::vector<bool> vecChecks;
    for (int i = 0; i < driver.View().GetItemCount(); ++i) {
        vecChecks.push_back(driver.View().GetCheck(i));
    }
    std::vector<int> vecFlags;
    for (const std::string& strLine : arrLines.Lines()) {
        vecFlags.push_back(ParseDeviceLine(strLine).m_bConnect);
    }
    EXPECT_EQ(vecChecks, viewCase.vecChecks);
    EXPECT_EQ(vecFlags, viewCase.vecLineFlags);
    EXPECT_EQ(host.m_strConnected, viewCase.szConnected);
    EXPECT_EQ(driver.View().GetFirstSelected(), viewCase.nSelected);
    EXPECT_EQ(host.m_bModifyRemoveEnabled, viewCase.bModifyRemoveEnabled);
    driver.SetEventHandler(nullptr);
}

// ---- The Device Settings name field ----

struct NameEdit {
    const char* szType;  // typed at the end of the field; nullptr for none
    int nBackspaces;     // then pressed there
};

struct NameFieldCase {
    const char* szName;
    const char* szStored;  // the name the dialog opens with (Modify)
    std::vector<NameEdit> vecEdits;
    const char* szExpected;  // the field's text after the edits
};

inline std::ostream& operator<<(std::ostream& os, const NameFieldCase& viewCase) {
    return os << viewCase.szName;
}

inline const std::vector<NameFieldCase>& NameFieldCases() {
    // clang-format off
    static const std::vector<NameFieldCase> s_vecCases = {
        {"TypingStopsAtTwentyCharacters", "Front", {{"0123456789ABCDEFGHIJ", 0}},
         "Front0123456789ABCDE"},
        // A longer stored name is shown whole, and no room is made to type beyond it...
        {"ALongerStoredNameIsShownWholeAndGetsNoMore", "ABCDEFGHIJKLMNOPQRSTUVWXY", {{"Z", 0}},
         "ABCDEFGHIJKLMNOPQRSTUVWXY"},
        // ... and the limit follows the text down as the user shortens it.
        {"TheLimitFollowsALongNameDown", "ABCDEFGHIJKLMNOPQRSTUVWXY",
         {{nullptr, 10}, {"0123456789", 0}}, "ABCDEFGHIJKLMNO01234"},
        {"TheLimitFollowsItDownOneKeyAtATime", "ABCDEFGHIJKLMNOPQRSTUVW",
         {{nullptr, 1}, {"1", 0}, {nullptr, 1}, {"2", 0}, {nullptr, 2}, {"34", 0}},
         "ABCDEFGHIJKLMNOPQRS3"},
    };
    // clang-format on
    return s_vecCases;
}

// A front end's Device Settings dialog with the platform's own keys.
class INameFieldDriver {
public:
    virtual ~INameFieldDriver() = default;
    // Opens the dialog on values as Modify does, calls fnWhileOpen while it is up, then
    // cancels it.
    virtual void RunOpen(const DeviceSettingsValues& values,
                         const std::function<void()>& fnWhileOpen) = 0;
    // Keys at the end of the name field.
    virtual void Type(const std::string& strText) = 0;
    virtual void Backspace(int nCount) = 0;
    virtual std::string NameText() = 0;
};

inline void RunNameFieldCase(const NameFieldCase& viewCase, INameFieldDriver& driver) {
    DeviceSettingsValues values;
    values.m_strName = viewCase.szStored;
    values.m_strMonitor = "screen";
    values.m_strBaudRate = "9600";
    bool bRan = false;
    std::string strText;
    driver.RunOpen(values, [&] {
        for (const NameEdit& edit : viewCase.vecEdits) {
            if (edit.szType) {
                driver.Type(edit.szType);
            }
            driver.Backspace(edit.nBackspaces);
        }
        strText = driver.NameText();
        bRan = true;
    });
    ASSERT_TRUE(bRan) << "the dialog never came up";
    EXPECT_EQ(strText, viewCase.szExpected);
}

}  // namespace view_cases
