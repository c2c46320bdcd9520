#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "FakeDeviceListHost.h"
#include "QtCheckIndicator.h"
#include "devices/DeviceList.h"
#include "qt/DeviceListCtrl.h"

namespace {

std::string Line(const std::string& strName, int bConnect, int nIndex) {
    TouchDevice device;
    device.m_strName = strName;
    device.m_strMonitor = "screen";
    device.m_strPort = "COM" + std::to_string(nIndex + 1);
    device.m_strBaudRate = "9600";
    device.m_bConnect = bConnect;
    device.m_nIndex = static_cast<std::int16_t>(nIndex);
    return FormatDeviceLine(device);
}

// The list in a window of its own, driven by the real rules and a host without a port; the
// test finds the list by its name, as a user's tool would.
class DeviceListCtrl : public ::testing::Test {
protected:
    DeviceListCtrl() {
        auto* pLayout = new QVBoxLayout(&m_window);
        pLayout->addWidget(new CDeviceListCtrl(&m_window));
        m_pCtrl = m_window.findChild<CDeviceListCtrl*>("ctl1001");
        m_pHost = std::make_unique<CFakeDeviceListHost>(*m_pCtrl, m_active);
        m_pList = std::make_unique<CDeviceList>(*m_pCtrl, m_arrLines, m_active, *m_pHost);
        m_pCtrl->SetEventHandler(m_pList.get());
        m_window.resize(420, 240);
    }

    void StartWith(const std::vector<std::string>& vecLines) {
        for (const std::string& strLine : vecLines) {
            m_arrLines.Add(strLine);
        }
        m_pList->FillDeviceList();
        if (m_pList->SelectActiveDevice(-1)) {
            m_pHost->Connect(true, false);
        }
        m_pHost->m_vecConnects.clear();
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    QRect CheckIndicator(int nRow) const { return CheckIndicatorRect(*m_pCtrl, nRow); }
    void ClickCheckBox(int nRow) {
        QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {}, CheckIndicator(nRow).center());
    }
    QPoint TextOf(int nRow) const {
        const QRect rect = m_pCtrl->visualRect(m_pCtrl->model()->index(nRow, 1));
        return rect.center();
    }
    std::vector<bool> Checks() const {
        std::vector<bool> vecChecks;
        for (int i = 0; i < m_pCtrl->GetItemCount(); ++i) {
            vecChecks.push_back(m_pCtrl->GetCheck(i));
        }
        return vecChecks;
    }
    std::vector<int> LineFlags() const {
        std::vector<int> vecFlags;
        for (const std::string& strLine : m_arrLines.Lines()) {
            vecFlags.push_back(ParseDeviceLine(strLine).m_bConnect);
        }
        return vecFlags;
    }

    QWidget m_window;
    CDeviceListCtrl* m_pCtrl = nullptr;
    CDeviceLines m_arrLines;
    TouchDevice m_active;
    std::unique_ptr<CFakeDeviceListHost> m_pHost;
    std::unique_ptr<CDeviceList> m_pList;
};

class RecordingEvents final : public IDeviceListEvents {
public:
    void OnDeviceListClick(int nItem) override {
        m_vecEvents.push_back("click " + std::to_string(nItem));
    }
    void OnDeviceListDblClick() override { m_vecEvents.push_back("dblclick"); }
    void OnDeviceListItemChanged(int nItem) override {
        m_vecEvents.push_back("changed " + std::to_string(nItem));
    }
    bool OnDeviceListKey(int nItem, DeviceListKey) override {
        m_vecEvents.push_back("space " + std::to_string(nItem));
        return true;
    }
    std::vector<std::string> m_vecEvents;
};

}  // namespace

TEST_F(DeviceListCtrl, ShowsFourColumnsWithCheckBoxesAndWholeRowSelection) {
    StartWith({Line("Front", 1, 0), Line("Back", 0, 1)});
    const char* const szHeaders[] = {"Device name", "Monitor", "Com port", "Baud rate"};
    const int nWidths[] = {138, 90, 60, 60};
    ASSERT_EQ(m_pCtrl->columnCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_pCtrl->horizontalHeaderItem(i)->text(), szHeaders[i]);
        // The layout's width, or the header's own where a wider font needs more.
        EXPECT_EQ(m_pCtrl->columnWidth(i),
                  std::max(nWidths[i], m_pCtrl->horizontalHeader()->sectionSizeHint(i)));
    }
    EXPECT_TRUE(m_pCtrl->showGrid());
    EXPECT_EQ(m_pCtrl->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(m_pCtrl->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(m_pCtrl->item(0, 0)->text(), "Front");
    EXPECT_EQ(m_pCtrl->item(1, 2)->text(), "COM2");
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false}));
}

TEST_F(DeviceListCtrl, ShowsNamesFromAWindowsFileInItsCodePage) {
    StartWith({Line("Ger\xE4t", 0, 0), Line("Ger\xC3\xA4t", 0, 1)});
    EXPECT_EQ(m_pCtrl->item(0, 0)->text(), QString::fromUtf8("Ger\u00e4t"));
    EXPECT_EQ(m_pCtrl->item(1, 0)->text(), QString::fromUtf8("Ger\u00e4t"));
}

TEST_F(DeviceListCtrl, ClickingARowSelectsItAndRecordsItsCheckState) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1)});
    QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {}, TextOf(0));
    EXPECT_EQ(m_pCtrl->GetFirstSelected(), 0);
    EXPECT_EQ(m_pList->ClickedItem(), 0);
    EXPECT_EQ(m_pList->ClickCheck(), 1);
    // Below the last row: no row.
    QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {},
                      QPoint(10, m_pCtrl->viewport()->height() - 3));
    EXPECT_EQ(m_pList->ClickCheck(), -1);
}

TEST_F(DeviceListCtrl, DoubleClickingARowOpensModifyForIt) {
    StartWith({Line("A", 0, 0), Line("B", 0, 1)});
    m_pHost->m_runDialog = [](DeviceSettingsValues& values) {
        values.m_strName = "Renamed";
        return true;
    };
    QTest::mouseClick(m_pCtrl->viewport(), Qt::LeftButton, {}, TextOf(1));
    QTest::mouseDClick(m_pCtrl->viewport(), Qt::LeftButton, {}, TextOf(1));
    ASSERT_EQ(m_pHost->m_vecDialogs.size(), 1u);
    EXPECT_TRUE(m_pHost->m_vecDialogs[0].bModify);
    EXPECT_EQ(m_pHost->m_vecDialogs[0].values.m_strName, "B");
    EXPECT_EQ(m_pCtrl->item(1, 0)->text(), "Renamed");
    EXPECT_EQ(ParseDeviceLine(m_arrLines.GetAt(1)).m_strName, "Renamed");
}

TEST_F(DeviceListCtrl, ReportsTheClickBeforeTheChangeAndOnlyRealChanges) {
    StartWith({Line("A", 0, 0), Line("B", 0, 1)});
    RecordingEvents events;
    m_pCtrl->SetEventHandler(&events);
    ClickCheckBox(1);
    // The press selects the row, then the click is known, then the release ticks it.
    EXPECT_EQ(events.m_vecEvents, (std::vector<std::string>{"changed 1", "click 1", "changed 1"}));

    events.m_vecEvents.clear();
    m_pCtrl->SetCheck(0, true);
    EXPECT_EQ(events.m_vecEvents, std::vector<std::string>{"changed 0"});  // synchronously
    m_pCtrl->SetCheck(0, true);
    m_pCtrl->SetItemText(0, 1, "DP-1");
    m_pCtrl->InsertItem(2, "C");
    EXPECT_EQ(events.m_vecEvents, std::vector<std::string>{"changed 0"});
    // A selection moving from row 1 to row 2 is a change of both rows.
    events.m_vecEvents.clear();
    m_pCtrl->SelectItem(2);
    EXPECT_EQ(events.m_vecEvents, (std::vector<std::string>{"changed 1", "changed 2"}));
    m_pCtrl->SetEventHandler(m_pList.get());
}

// The space bar ticks and unticks the current row as the mouse does, from any column.
TEST_F(DeviceListCtrl, SpaceTicksAndUnticksLikeTheMouseFromAnyColumn) {
    StartWith({Line("A", 1, 0), Line("B", 0, 1)});
    ASSERT_EQ(m_pHost->m_strConnected, "A");
    for (const int nColumn : {0, 2}) {
        SCOPED_TRACE(nColumn);
        m_pCtrl->setFocus();
        m_pCtrl->setCurrentCell(1, nColumn);
        QTest::keyClick(m_pCtrl, Qt::Key_Space);
        EXPECT_EQ(m_pHost->m_strConnected, "B");
        EXPECT_EQ(Checks(), (std::vector<bool>{false, true}));
        EXPECT_EQ(LineFlags(), (std::vector<int>{0, 1}));
        QTest::keyClick(m_pCtrl, Qt::Key_Space);
        EXPECT_EQ(m_pHost->m_strConnected, "");
        EXPECT_EQ(LineFlags(), (std::vector<int>{0, 0}));
    }
}
