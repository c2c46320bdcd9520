// The main window as the hub's Qt view on the offscreen platform, with fakes for the port, the
// pointer, the monitors and the tray shell: its controls, the dialogs it runs modally, and the
// event loop's timers and queued calls. The hub's decisions are tested in TactiloHubTest.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "ChildProcess.h"
#include "FakeMonitorSource.h"
#include "FakeSerialLine.h"
#include "FakeTrayShell.h"
#include "QtWait.h"
#include "RecordingMessageBox.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "TouchPackets.h"
#include "WindowServices.h"
#include "calibration/CalibrationCodes.h"
#include "qt/QtMessageBox.h"
#include "qt/TactiloDlg.h"

namespace {

class TactiloDlgTest : public ::testing::Test {
protected:
    void SetUp() override { Make(); }

    void Make(const CMyCommandLineInfo& switches = {}) {
        auto pLine = std::make_unique<CFakeSerialLine>(true);
        m_pLine = pLine.get();
        m_pDlg.reset();
        m_pDlg = std::make_unique<CTactiloDlg>(
            CTactiloDlg::Services{m_output, m_uiOutput, m_monitors, m_trace, m_messages, m_tray,
                                  std::move(pLine), [](int) {}, m_storage.options,
                                  m_storage.autoStart, m_storage.deviceStore},
            switches);
    }

    void ConnectFront() {
        TouchDevice device;
        device.m_strName = "Front";
        device.m_strMonitor = "DISPLAY2";
        device.m_strPort = "COM3";
        device.m_strBaudRate = "9600";
        m_pDlg->Hub().m_arrDeviceLines.RemoveAll();
        m_pDlg->Hub().m_arrDeviceLines.Add(FormatDeviceLine(device));
        m_pDlg->Hub().m_activeDevice = device;
        m_pDlg->Connect(true, true);
        ASSERT_TRUE(m_pDlg->Port().IsOpen());
    }

    unsigned Icon() { return m_pDlg->TrayIcon().IconData().hIcon; }
    QLineEdit* Delay() { return m_pDlg->findChild<QLineEdit*>("ctl1008"); }
    QComboBox* Precision() { return m_pDlg->findChild<QComboBox*>("ctl1009"); }
    QCheckBox* AutoStart() { return m_pDlg->findChild<QCheckBox*>("ctl1010"); }
    std::string Stored(const char* szEntry) {
        return m_storage.options.m_mapValues[CFakeOptionsStore::Key("SETTINGS", szEntry)];
    }
    QPushButton* Calibrate() { return m_pDlg->findChild<QPushButton*>("ctl1005"); }

    CRecordingPointerOutput m_output;
    CRecordingPointerOutput m_uiOutput;
    CFakeMonitorSource m_monitors{
        {{"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}}, {"\\\\.\\DISPLAY2", {1920, 0, 3200, 1024}}}};
    CRecordingTraceSink m_trace;
    CRecordingMessageBox m_messages;
    CFakeTrayShell m_tray;
    CFakeSerialLine* m_pLine = nullptr;
    CWindowStorage m_storage;
    std::unique_ptr<CTactiloDlg> m_pDlg;
};

}  // namespace

TEST_F(TactiloDlgTest, InitialisationShowsTheNotConnectedIconWithItsCommands) {
    // A device, unticked: a start without one would show the window.
    std::ofstream(m_storage.deviceStore.FilePath(), std::ios::binary)
        << "Back;DISPLAY1;COM4;9600;0;\r\n";
    m_pDlg->OnInitDialog();
    ASSERT_FALSE(m_tray.Calls().empty());
    const CFakeTrayShell::Call add = m_tray.Calls().front();
    EXPECT_EQ(add.message, NotifyIconMessage::Add);
    EXPECT_EQ(add.nid.uID, 132u);
    EXPECT_EQ(add.nid.hIcon, ICON_NOT_CONNECTED);
    EXPECT_EQ(add.nid.szTip, "Tactilo - not connected");
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->windowTitle(), "Tactilo - Device Manager");
    EXPECT_FALSE(Calibrate()->isEnabled());
}

TEST_F(TactiloDlgTest, ShowAndHideSwapTheDoubleClickCommand) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnShowFromTray();
    EXPECT_TRUE(m_pDlg->isVisible());
    m_tray.Events()->OnTrayNotification(132, TrayMouse::DoubleClick, {});
    ASSERT_TRUE(PumpUntil([&] { return !m_pDlg->isVisible(); }));
    m_tray.Events()->OnTrayNotification(132, TrayMouse::DoubleClick, {});
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->isVisible(); }));
}

// The close box (and Alt+F4) ends the window as Cancel: edits go, the icon stays.
TEST_F(TactiloDlgTest, CloseBoxCancelsHidesToTheTrayAndKeepsTheIcon) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnShowFromTray();
    Delay()->setText("4321");
    m_pDlg->close();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_FALSE(m_pDlg->TrayIcon().IsRemoved());
    EXPECT_EQ(Delay()->text(), "2000");
    // Fixed size: nothing to maximize.
    EXPECT_FALSE(m_pDlg->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(m_pDlg->windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

// Modify and Remove follow the selection of the list.
TEST_F(TactiloDlgTest, ModifyAndRemoveAreEnabledOnlyWithASelectedRow) {
    std::ofstream(m_storage.deviceStore.FilePath(), std::ios::binary)
        << "Back;DISPLAY1;COM4;9600;0;\r\n";
    m_pDlg->OnInitDialog();
    auto* pModify = m_pDlg->findChild<QPushButton*>("ctl1003");
    auto* pRemove = m_pDlg->findChild<QPushButton*>("ctl1004");
    EXPECT_FALSE(pModify->isEnabled());
    EXPECT_FALSE(pRemove->isEnabled());
    m_pDlg->DeviceListView().SelectItem(0);
    EXPECT_TRUE(pModify->isEnabled());
    EXPECT_TRUE(pRemove->isEnabled());
}

TEST_F(TactiloDlgTest, OptionsStartFromTheirDefaults) {
    m_pDlg->OnInitDialog();
    EXPECT_EQ(Delay()->text(), "2000");
    EXPECT_EQ(Precision()->currentText(), "15");
    EXPECT_TRUE(AutoStart()->isChecked());
    EXPECT_EQ(m_pDlg->Touch().Precision(), 15);
    EXPECT_EQ(m_pDlg->Touch().RightClickTime(), 2000u);
    EXPECT_FALSE(m_storage.autoStart.m_entry.has_value());  // nothing until OK
}

TEST_F(TactiloDlgTest, CancelPutsTheLastAcceptedDelayBack) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnShowFromTray();
    Delay()->setText("4321");
    QTest::mouseClick(m_pDlg->findChild<QPushButton*>("ctl2"), Qt::LeftButton);
    EXPECT_EQ(Delay()->text(), "2000");
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
}

TEST_F(TactiloDlgTest, OkRefusesADelayOutOfRangeAndKeepsTheWindow) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnShowFromTray();
    Delay()->setText("5001");
    QTest::mouseClick(m_pDlg->findChild<QPushButton*>("ctl1"), Qt::LeftButton);
    EXPECT_TRUE(m_pDlg->isVisible());
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
}

// The controls' values reach the hub: what OK stores is what the user set.
TEST_F(TactiloDlgTest, OkStoresWhatTheControlsHold) {
    m_pDlg->OnInitDialog();
    Delay()->setText("1500");
    Precision()->setCurrentIndex(4);
    AutoStart()->setChecked(false);
    QTest::mouseClick(m_pDlg->findChild<QPushButton*>("ctl1"), Qt::LeftButton);
    EXPECT_EQ(Stored("RightClickTime"), "1500");
    EXPECT_EQ(Stored("Precision"), "25");
    EXPECT_EQ(Stored("AutoStart"), "0");
    EXPECT_EQ(m_pDlg->Touch().Precision(), 25);
}

// Every dialog is modal to the main window only, so the tray stays usable while one is open;
// Exit from the tray ends the dialog as Cancel (the calibration page as ESC), then exits.
TEST_F(TactiloDlgTest, ExitFromTheTrayEndsAnOpenDialogFirst) {
    struct Row {
        const char* szDialog;
        std::function<void(CTactiloDlg&)> open;
    };
    const Row rows[] = {
        {"About", [](CTactiloDlg& dlg) { dlg.OnTrayAbout(); }},
        {"Device Settings", [](CTactiloDlg& dlg) { dlg.DeviceList().OnAdd(); }},
        {"calibration page", [](CTactiloDlg& dlg) { dlg.OnCalibrate(); }},
        {"message box",
         [](CTactiloDlg& dlg) {
             CQtMessageBox box;
             box.SetOwner(&dlg);
             box.Show("Can't open port.", MessageIcon::Error);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.szDialog);
        Make();
        m_pDlg->OnInitDialog();
        ConnectFront();
        const int nLines = m_pDlg->Hub().m_arrDeviceLines.GetSize();
        const std::string strLine = m_pDlg->Hub().m_arrDeviceLines.GetAt(0);
        bool bExit = false;
        bool bReturned = false;
        QWidget* pModal = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
        QWidget* pOwner = nullptr;
        QObject::connect(m_pDlg.get(), &CTactiloDlg::exitRequested, [&] { bExit = true; });
        // The dialog runs its own loop: the watch acts from inside it, and closes the dialog
        // itself after the deadline so that a failure cannot hang the test.
        QElapsedTimer elapsed;
        elapsed.start();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* pNow = QApplication::activeModalWidget();
            if (pNow && !pModal) {
                pModal = pNow;
                modality = pNow->windowModality();
                pOwner = pNow->parentWidget();
                m_tray.Events()->OnMenuCommand(ID_TRAY_EXIT);
            } else if (pNow && elapsed.elapsed() > 10000) {
                pNow->close();
            }
        });
        watch.start(10);
        QTimer::singleShot(0, m_pDlg.get(), [&] {
            row.open(*m_pDlg);
            bReturned = true;
        });
        ASSERT_TRUE(PumpUntil([&] { return bReturned && bExit; }, std::chrono::seconds(15)));
        watch.stop();
        EXPECT_NE(pModal, nullptr);
        EXPECT_EQ(modality, Qt::WindowModal);
        EXPECT_EQ(pOwner, m_pDlg.get());
        EXPECT_LT(elapsed.elapsed(), 10000);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(m_pDlg->Port().IsOpen());
        // Cancelled: no device added, no calibration stored.
        EXPECT_EQ(m_pDlg->Hub().m_arrDeviceLines.GetSize(), nLines);
        EXPECT_EQ(m_pDlg->Hub().m_arrDeviceLines.GetAt(0), strLine);
        EXPECT_EQ(m_pDlg->Hub().m_nStatus, 0u);
    }
}

// The reconnect ends as a connect does: a right click armed before the outage is disarmed
// with the icon that showed it, so the next touch is no surprise right click.
TEST_F(TactiloDlgTest, AnOutageShowsTheDeviceAwayAndReconnectsAsAConnectDoes) {
    m_pDlg->OnInitDialog();
    m_pLine->FailNextReads(1, ReadStatus::Gone);
    ConnectFront();
    m_pDlg->OnToggleTrayRightClick();
    ASSERT_EQ(Icon(), ICON_RIGHT_CLICK_ARMED);
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->ReconnectPending(); }));
    EXPECT_FALSE(m_pDlg->Port().IsOpen());
    EXPECT_EQ(Icon(), ICON_NOT_CONNECTED);
    EXPECT_FALSE(Calibrate()->isEnabled());
    EXPECT_EQ(m_pDlg->Hub().m_activeDevice.m_bConnect, 1);
    // The fake line opens again at once: the next retry connects, without a message.
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->Port().IsOpen(); }));
    EXPECT_EQ(Icon(), ICON_CONNECTED);
    EXPECT_FALSE(m_pDlg->Touch().TrayRightClick());
    EXPECT_TRUE(Calibrate()->isEnabled());
    EXPECT_TRUE(m_messages.Messages().empty());
}
