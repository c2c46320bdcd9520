#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeDeviceListHost.h"
#include "FakeDeviceListView.h"
#include "devices/DeviceList.h"

namespace {

std::string Line(const std::string& strName, int bConnect, int nIndex,
                 const std::string& strPort = "COM1") {
    TouchDevice device;
    device.m_strName = strName;
    device.m_strMonitor = "screen";
    device.m_strPort = strPort;
    device.m_strBaudRate = "9600";
    device.m_bConnect = bConnect;
    device.m_nIndex = static_cast<std::int16_t>(nIndex);
    device.m_dScaleX = 1.5;
    device.m_dCenterX = 500;
    return FormatDeviceLine(device);
}

class DeviceList : public ::testing::Test {
protected:
    DeviceList() { m_view.SetEvents(&m_list); }

    // Loads lines and starts as the main window does: fill, pick the active device, connect
    // it without messages.
    void StartWith(const std::vector<std::string>& vecLines) {
        for (const std::string& strLine : vecLines) {
            m_arrLines.Add(strLine);
        }
        m_list.FillDeviceList();
        if (m_list.SelectActiveDevice(-1)) {
            m_host.Connect(true, false);
        }
        m_host.m_vecConnects.clear();
    }
    TouchDevice Parsed(int nRow) const { return ParseDeviceLine(m_arrLines.GetAt(nRow)); }
    std::vector<int> LineFlags() const {
        std::vector<int> vecFlags;
        for (int i = 0; i < m_arrLines.GetSize(); ++i) {
            vecFlags.push_back(Parsed(i).m_bConnect);
        }
        return vecFlags;
    }
    void DialogReturns(DeviceSettingsValues values) {
        m_host.m_runDialog = [values](DeviceSettingsValues& inOut) {
            inOut = values;
            return true;
        };
    }

    CDeviceLines m_arrLines;
    TouchDevice m_active;
    CFakeDeviceListView m_view;
    CFakeDeviceListHost m_host{m_view, m_active};
    CDeviceList m_list{m_view, m_arrLines, m_active, m_host};
};

DeviceSettingsValues NewDevice(const std::string& strName, int bConnect,
                               const std::string& strPort = "COM4") {
    DeviceSettingsValues values;
    values.m_strName = strName;
    values.m_strMonitor = "DP-1";
    values.m_rcMonitor = {1920, 0, 3840, 1080};
    values.m_strPort = strPort;
    values.m_strBaudRate = "2400";
    values.m_bConnect = bConnect;
    return values;
}

}  // namespace

TEST_F(DeviceList, FillShowsEveryLineAndAnEmptyLineAsADefaultRow) {
    StartWith({Line("Front", 1, 0), "", Line("Back", 0, 2)});
    ASSERT_EQ(m_view.GetItemCount(), 3);
    EXPECT_EQ(m_view.m_vecRows[0].texts,
              (std::array<std::string, 4>{"Front", "screen", "COM1", "9600"}));
    EXPECT_EQ(m_view.m_vecRows[1].texts, (std::array<std::string, 4>{}));
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(m_host.m_strConnected, "Front");
}

TEST_F(DeviceList, TwoTickedLinesAtStartUpConnectTheLowerAndKeepBothTicked) {
    StartWith({Line("A", 0, 0), Line("B", 1, 1), Line("C", 1, 2)});
    EXPECT_EQ(m_host.m_strConnected, "B");
    EXPECT_EQ(m_active.m_nIndex, 1);
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{false, true, true}));
}

TEST_F(DeviceList, ActiveDeviceTakesItsRowEvenWhenItsLineSaysOtherwise) {
    StartWith({Line("A", 0, 5), Line("B", 1, 7)});
    EXPECT_EQ(m_active.m_nIndex, 1);
}

TEST_F(DeviceList, AddWithoutConnectAppendsAnUntickedRowAndConnectsNothing) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1)});
    DeviceSettingsValues values = NewDevice("New", 0);
    values.m_dScaleX = 2.0;
    values.m_dRawMinY = 7.0;
    DialogReturns(values);
    m_list.OnAdd();

    ASSERT_EQ(m_host.m_vecDialogs.size(), 1u);
    EXPECT_FALSE(m_host.m_vecDialogs[0].bModify);
    EXPECT_EQ(m_host.m_vecDialogs[0].values, DeviceSettingsValues{});
    ASSERT_EQ(m_arrLines.GetSize(), 3);
    EXPECT_EQ(m_arrLines.GetAt(2),
              "New;DP-1;COM4;2400;0;1920;3840;0;1080;2.000000;0.000000;0.000000;0.000000;"
              "0.000000;7.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;"
              "0.000000;2;0;");
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(m_host.m_vecConnects.empty());
    EXPECT_EQ(m_host.m_strConnected, "A");
}

TEST_F(DeviceList, AddWithConnectTakesOverFromTheActiveDevice) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1)});
    DialogReturns(NewDevice("New", 1));
    m_list.OnAdd();

    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(LineFlags(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(m_host.m_strConnected, "New");
    EXPECT_EQ(m_active.m_nIndex, 2);
    ASSERT_FALSE(m_host.m_vecConnects.empty());
    EXPECT_TRUE(m_host.m_vecConnects.back().bConnect);
    EXPECT_TRUE(m_host.m_vecConnects.back().bShowErrors);
}

TEST_F(DeviceList, AddWithConnectWhosePortFailsEndsUnticked) {
    StartWith({Line("A", 0, 0)});
    m_host.m_setFailingPorts.insert("COM9");
    DialogReturns(NewDevice("New", 1, "COM9"));
    m_list.OnAdd();
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{false, false}));
    EXPECT_EQ(m_host.m_strConnected, "");
}

// Remove with the active device on row 1 of three.
struct RemoveRow {
    int nRemoved;
    bool bDisconnects;
    int nActiveIndexAfter;
    std::vector<std::string> vecNamesAfter;
};

class DeviceListRemove : public DeviceList, public ::testing::WithParamInterface<RemoveRow> {};

TEST_P(DeviceListRemove, RenumbersTheLinesAndFollowsTheActiveDevice) {
    StartWith({Line("A", 0, 0), Line("B", 1, 1), Line("C", 0, 2)});
    m_view.SelectItem(GetParam().nRemoved);
    m_list.OnRemove();

    ASSERT_EQ(m_arrLines.GetSize(), 2);
    ASSERT_EQ(m_view.GetItemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Parsed(i).m_nIndex, i);
        EXPECT_EQ(Parsed(i).m_strName, GetParam().vecNamesAfter[static_cast<std::size_t>(i)]);
        EXPECT_EQ(m_view.m_vecRows[static_cast<std::size_t>(i)].texts[0],
                  GetParam().vecNamesAfter[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(m_active.m_nIndex, GetParam().nActiveIndexAfter);
    EXPECT_EQ(m_host.m_strConnected, GetParam().bDisconnects ? "" : "B");
    EXPECT_EQ(m_host.m_vecUpdateData, std::vector<bool>{false});
}

INSTANTIATE_TEST_SUITE_P(AboveAtBelow, DeviceListRemove,
                         ::testing::Values(RemoveRow{0, false, 0, {"B", "C"}},
                                           RemoveRow{1, true, 1, {"A", "C"}},
                                           RemoveRow{2, false, 1, {"A", "B"}}));

TEST_F(DeviceList, RemoveTheOnlyRowLeavesNothing) {
    StartWith({Line("A", 1, 0)});
    m_view.SelectItem(0);
    m_list.OnRemove();
    EXPECT_EQ(m_arrLines.GetSize(), 0);
    EXPECT_EQ(m_view.GetItemCount(), 0);
    EXPECT_EQ(m_host.m_strConnected, "");
}

// Modify and Remove are enabled while a row is selected, and do nothing without one.
TEST_F(DeviceList, ModifyAndRemoveNeedASelection) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1)});
    EXPECT_FALSE(m_host.m_bModifyRemoveEnabled);
    m_list.OnModify();
    m_list.OnRemove();
    EXPECT_TRUE(m_host.m_vecDialogs.empty());
    EXPECT_EQ(m_arrLines.GetSize(), 2);
    EXPECT_TRUE(m_host.m_vecUpdateData.empty());

    m_list.OnDeviceListClick(1);
    EXPECT_TRUE(m_host.m_bModifyRemoveEnabled);
    m_list.OnRemove();  // a deleted row leaves none selected
    EXPECT_FALSE(m_host.m_bModifyRemoveEnabled);
}

TEST_F(DeviceList, TickingTheClickedRowConnectsItAndUnticksTheActiveOne) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1, "COM2")});
    m_view.UserToggles(1);
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{false, true}));
    EXPECT_EQ(LineFlags(), (std::vector<int>{0, 1}));
    EXPECT_EQ(m_host.m_strConnected, "B");
    EXPECT_EQ(m_active.m_strPort, "COM2");
    EXPECT_EQ(m_list.ClickCheck(), 1);
}

TEST_F(DeviceList, TickingAThirdRowWithTwoTickedConnectsTheThird) {
    StartWith({Line("A", 1, 0), Line("B", 1, 1), Line("C", 0, 2)});
    ASSERT_EQ(m_host.m_strConnected, "A");
    m_view.UserToggles(2);
    EXPECT_EQ(m_host.m_strConnected, "C");
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(LineFlags(), (std::vector<int>{0, 0, 1}));
    // Connected once: the ticked row, never the second one on the way.
    ASSERT_EQ(m_host.m_vecConnects.size(), 1u);
    EXPECT_EQ(m_host.m_vecConnects[0].strDevice, "C");
}

TEST_F(DeviceList, UntickingTheActiveClickedRowDisconnects) {
    StartWith({Line("A", 0, 0), Line("B", 1, 1)});
    m_view.UserToggles(1);
    EXPECT_EQ(m_host.m_strConnected, "");
    EXPECT_EQ(LineFlags(), (std::vector<int>{0, 0}));
    ASSERT_EQ(m_host.m_vecConnects.size(), 1u);
    EXPECT_FALSE(m_host.m_vecConnects[0].bConnect);
}

TEST_F(DeviceList, UntickingASecondTickedRowKeepsTheActiveDeviceConnected) {
    StartWith({Line("A", 1, 0), Line("B", 1, 1)});
    m_view.UserToggles(1);
    EXPECT_EQ(m_host.m_strConnected, "A");
    EXPECT_TRUE(m_host.m_vecConnects.empty());
    EXPECT_EQ(LineFlags(), (std::vector<int>{1, 0}));
}

TEST_F(DeviceList, TickingARowWhosePortFailsLeavesItUntickedAndCleared) {
    StartWith({Line("A", 0, 0, "COM9")});
    m_host.m_setFailingPorts.insert("COM9");
    m_view.UserToggles(0);
    EXPECT_EQ(m_view.Checks(), std::vector<bool>{false});
    EXPECT_EQ(LineFlags(), std::vector<int>{0});
    // Ticking again tries again.
    m_host.m_setFailingPorts.clear();
    m_view.UserToggles(0);
    EXPECT_EQ(m_host.m_strConnected, "A");
}

// Space is the rules' key wherever the list has the focus: a click on the focused row's check
// box, and taken even with no row focused, so no control toggles a box behind the rules.
TEST_F(DeviceList, SpaceClicksTheFocusedRowsCheckBox) {
    StartWith({Line("A", 0, 0), Line("B", 0, 1, "COM2")});
    EXPECT_TRUE(m_list.OnDeviceListKey(-1, DeviceListKey::Space));
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{false, false}));
    EXPECT_TRUE(m_list.OnDeviceListKey(1, DeviceListKey::Space));
    EXPECT_EQ(m_host.m_strConnected, "B");
    EXPECT_EQ(m_view.GetFirstSelected(), 1);
    EXPECT_TRUE(m_list.OnDeviceListKey(1, DeviceListKey::Space));
    EXPECT_EQ(m_host.m_strConnected, "");
    EXPECT_EQ(LineFlags(), (std::vector<int>{0, 0}));
}

TEST_F(DeviceList, AfterAClickBesideTheRowsAChangeIsOnlyStored) {
    StartWith({Line("A", 0, 0)});
    m_list.OnDeviceListClick(0);
    m_list.OnDeviceListClick(-1);
    EXPECT_EQ(m_list.ClickCheck(), -1);
    m_view.SetCheck(0, true);  // e.g. the space bar on the row that was clicked last
    EXPECT_EQ(LineFlags(), std::vector<int>{1});
    EXPECT_TRUE(m_host.m_vecConnects.empty());
}

TEST_F(DeviceList, ChangesOfRowsOtherThanTheClickedOneAreIgnored) {
    StartWith({Line("A", 0, 0), Line("B", 0, 1)});
    m_list.OnDeviceListClick(0);
    m_view.SetCheck(1, true);
    EXPECT_EQ(LineFlags(), (std::vector<int>{0, 0}));
    EXPECT_TRUE(m_host.m_vecConnects.empty());
}

TEST_F(DeviceList, ModifyHandsTheRecordInAndStoresWhatSaveGaveBack) {
    TouchDevice device = ParseDeviceLine(Line("A", 0, 0));
    device.m_dRawMaxY = 868;
    device.m_dSpanY = 737.5;
    device.m_bSwapXY = 1;
    StartWith({FormatDeviceLine(device)});
    m_view.SelectItem(0);
    DeviceSettingsValues values = NewDevice("Renamed", 0);
    values.m_dScaleX = 3.0;
    DialogReturns(values);
    m_list.OnModify();

    ASSERT_EQ(m_host.m_vecDialogs.size(), 1u);
    EXPECT_TRUE(m_host.m_vecDialogs[0].bModify);
    EXPECT_EQ(m_host.m_vecDialogs[0].values, ValuesFromDevice(device));
    const TouchDevice stored = Parsed(0);
    EXPECT_EQ(stored.m_strName, "Renamed");
    EXPECT_EQ(stored.m_rcMonitor, (ScreenRect{1920, 0, 3840, 1080}));
    EXPECT_EQ(stored.m_dScaleX, 3.0);
    EXPECT_EQ(stored.m_bSwapXY, 0);
    // What the dialog does not carry stays as it was.
    EXPECT_EQ(stored.m_dCenterX, 500.0);
    EXPECT_EQ(stored.m_dSpanY, 737.5);
    EXPECT_EQ(m_view.m_vecRows[0].texts,
              (std::array<std::string, 4>{"Renamed", "DP-1", "COM4", "2400"}));
}

TEST_F(DeviceList, ModifyOfTheClickedActiveRowReconnectsWithTheNewValues) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1)});
    m_list.OnDeviceListClick(0);
    DialogReturns(NewDevice("A2", 1, "COM5"));
    m_list.OnModify();
    EXPECT_EQ(m_host.m_strConnected, "A2");
    EXPECT_EQ(m_active.m_strPort, "COM5");
    EXPECT_EQ(m_view.Checks(), (std::vector<bool>{true, false}));
    EXPECT_EQ(LineFlags(), (std::vector<int>{1, 0}));
}

TEST_F(DeviceList, ModifyClearingConnectOfTheClickedActiveRowDisconnects) {
    StartWith({Line("A", 1, 0)});
    m_list.OnDeviceListClick(0);
    DialogReturns(NewDevice("A", 0));
    m_list.OnModify();
    EXPECT_EQ(m_host.m_strConnected, "");
    EXPECT_EQ(m_view.Checks(), std::vector<bool>{false});
    EXPECT_EQ(LineFlags(), std::vector<int>{0});
}

// A field no real device has (a name of 10 MiB in a hand-made file): the row shows its start
// with an ellipsis, cut at a character, while the line keeps every byte through a tick.
TEST_F(DeviceList, AHugeFieldIsShownCutAndKeptWhole) {
    const std::string strUtf8Name = std::string(252, 'N') + "\xC3\xA4" + std::string(10 << 20, 'N');
    const std::string strAnsiName = std::string(300, 'a') + "\xE4";
    StartWith({Line(strUtf8Name, 0, 0, std::string(1000, 'P')), Line(strAnsiName, 0, 1)});
    const std::string strEllipsis = "\xE2\x80\xA6";
    EXPECT_EQ(m_view.m_vecRows[0].texts[0], std::string(252, 'N') + strEllipsis);
    EXPECT_EQ(m_view.m_vecRows[0].texts[2], std::string(253, 'P') + strEllipsis);
    EXPECT_EQ(m_view.m_vecRows[1].texts[0], std::string(255, 'a') + "\x85");
    EXPECT_EQ(m_view.m_vecRows[0].texts[1], "screen");
    m_list.OnDeviceListClick(0);
    m_view.UserToggles(0);
    EXPECT_EQ(Parsed(0).m_strName, strUtf8Name);
    EXPECT_EQ(Parsed(0).m_bConnect, 1);
}
