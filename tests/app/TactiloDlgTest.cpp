// The main window's own logic on the offscreen platform, with fakes for the port, the pointer,
// the monitors and the tray shell.

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
#include "app/QtMessageBox.h"
#include "app/TactiloDlg.h"
#include "calibration/CalibrationCodes.h"

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
        m_pDlg->m_arrDeviceLines.RemoveAll();
        m_pDlg->m_arrDeviceLines.Add(FormatDeviceLine(device));
        m_pDlg->m_activeDevice = device;
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

TEST_F(TactiloDlgTest, CommandsWorkWhenTheTrayHostCameLate) {
    m_tray.m_bAddSucceeds = false;
    m_pDlg->OnInitDialog();
    ConnectFront();
    // The host appears: the icon is added and its left press arms the right click.
    m_tray.m_bAddSucceeds = true;
    m_tray.Events()->OnTaskbarCreated();
    EXPECT_FALSE(m_pDlg->TrayIcon().IsHidden());
    m_tray.Events()->OnTrayNotification(132, TrayMouse::LeftPress, {});
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->Touch().TrayRightClick(); }));
    EXPECT_EQ(Icon(), ICON_RIGHT_CLICK_ARMED);
}

// The tray right-click arming: (port open, hold elapsed, armed) -> (armed, icon).
TEST_F(TactiloDlgTest, LeftPressOnTheTrayArmsAndDisarms) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnToggleTrayRightClick();  // not connected: nothing changes
    EXPECT_FALSE(m_pDlg->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_NOT_CONNECTED);

    ConnectFront();
    m_pDlg->OnToggleTrayRightClick();
    EXPECT_TRUE(m_pDlg->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_RIGHT_CLICK_ARMED);
    m_pDlg->OnToggleTrayRightClick();
    EXPECT_FALSE(m_pDlg->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_CONNECTED);

    for (auto showOrHide : {&CTactiloDlg::OnShowFromTray, &CTactiloDlg::OnHideToTray}) {
        m_pDlg->OnToggleTrayRightClick();
        (m_pDlg.get()->*showOrHide)();
        EXPECT_FALSE(m_pDlg->Touch().TrayRightClick());
        EXPECT_EQ(Icon(), ICON_CONNECTED);
    }
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

TEST_F(TactiloDlgTest, CloseBoxHidesToTheTrayAndKeepsTheIcon) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnShowFromTray();
    m_pDlg->close();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_FALSE(m_pDlg->TrayIcon().IsRemoved());
}

TEST_F(TactiloDlgTest, ExitDisconnectsRemovesTheIconAndAsksToEnd) {
    m_pDlg->OnInitDialog();
    ConnectFront();
    // A finger holds the left button: Exit lets go of it.
    m_pLine->Feed(TouchPacketBytes(true, 600, 500));
    ASSERT_TRUE(WaitUntil([&] { return m_pDlg->Touch().TouchDown(); }));
    bool bExit = false;
    QObject::connect(m_pDlg.get(), &CTactiloDlg::exitRequested, [&] { bExit = true; });
    m_tray.Events()->OnMenuCommand(ID_TRAY_EXIT);
    ASSERT_TRUE(PumpUntil([&] { return bExit; }));
    EXPECT_FALSE(m_pDlg->Port().IsOpen());
    EXPECT_TRUE(m_pDlg->TrayIcon().IsRemoved());
    EXPECT_EQ(m_uiOutput.Flags(), std::vector<unsigned>{MOUSEEVENTF_LEFTUP});
}

TEST_F(TactiloDlgTest, CalibrateNeedsAConnectionAndAMonitorOfThatName) {
    m_pDlg->OnInitDialog();
    m_pDlg->OnCalibrate();
    EXPECT_EQ(m_pDlg->m_nStatus, CAL_ERR_NOT_CONNECTED);
    EXPECT_TRUE(m_messages.Messages().empty());

    ConnectFront();
    EXPECT_TRUE(Calibrate()->isEnabled());
    EXPECT_EQ(m_pDlg->FindMonitorRect(), (ScreenRect{1920, 0, 3200, 1024}));
    m_pDlg->m_activeDevice.m_strMonitor = "display2";  // names compare case-sensitively
    EXPECT_EQ(m_pDlg->FindMonitorRect(), ScreenRect{});
    m_pDlg->OnCalibrate();
    EXPECT_EQ(m_pDlg->m_nStatus, CAL_ERR_NO_MONITOR);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first, "Can't find display2");
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
    EXPECT_FALSE(m_pDlg->Touch().Calibrating());
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

TEST_F(TactiloDlgTest, StoredPrecisionThatIsNoEntrySelectsTen) {
    m_storage.options.m_mapValues["SETTINGS/Precision"] = "12";
    m_storage.options.m_mapValues["SETTINGS/RightClickTime"] = "750";
    m_pDlg->OnInitDialog();
    EXPECT_EQ(Precision()->currentText(), "10");
    EXPECT_EQ(m_pDlg->Touch().Precision(), 10);
    EXPECT_EQ(m_pDlg->Touch().RightClickTime(), 750u);
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

TEST_F(TactiloDlgTest, OkWritesTheOptionsTheAutostartEntryAndTheDevices) {
    CMyCommandLineInfo switches;
    switches.m_bSwitchCs = true;
    Make(switches);
    m_pDlg->OnInitDialog();
    m_pDlg->m_arrDeviceLines.Add("Front;DISPLAY1;COM3;9600;0;");
    Delay()->setText("1500");
    Precision()->setCurrentIndex(4);
    QTest::mouseClick(m_pDlg->findChild<QPushButton*>("ctl1"), Qt::LeftButton);
    EXPECT_EQ(Stored("RightClickTime"), "1500");
    EXPECT_EQ(Stored("Precision"), "25");
    EXPECT_EQ(Stored("AutoStart"), "1");
    EXPECT_EQ(m_pDlg->Touch().Precision(), 25);
    ASSERT_TRUE(m_storage.autoStart.m_entry.has_value());
    EXPECT_EQ(m_storage.autoStart.m_entry->strArguments, " /cs");
    std::ifstream file(m_storage.deviceStore.FilePath(), std::ios::binary);
    const std::string strContent((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
    EXPECT_EQ(strContent, "Front;DISPLAY1;COM3;9600;0;\r\n");

    // Unticked, the entry goes.
    AutoStart()->setChecked(false);
    m_pDlg->OnOkButton();
    EXPECT_FALSE(m_storage.autoStart.m_entry.has_value());
}

TEST_F(TactiloDlgTest, InstallStartWritesTheBareProgram) {
    CMyCommandLineInfo switches;
    switches.m_bSwitchInstall = true;
    Make(switches);
    m_pDlg->OnInitDialog();
    m_pDlg->OnOkButton();
    ASSERT_TRUE(m_storage.autoStart.m_entry.has_value());
    EXPECT_EQ(m_storage.autoStart.m_entry->strArguments, "");
}

TEST_F(TactiloDlgTest, AFileThatCannotBeReadIsToldAtStartAndKeptByOk) {
    // A folder where the file should be: it cannot be read, so OK must not replace it.
    const std::string strPath = m_storage.deviceStore.FilePath();
    std::filesystem::create_directories(strPath);
    m_pDlg->OnInitDialog();
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first,
              "The device file " + strPath +
                  " could not be read: it is not a regular file. The device list starts empty, "
                  "and the file will not be overwritten.");
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Error);
    m_pDlg->OnOkButton();
    ASSERT_EQ(m_messages.Messages().size(), 2u);
    EXPECT_NE(m_messages.Messages()[1].first.find(strPath + " could not be read when Tactilo "
                                                            "started, so it was kept as it is."),
              std::string::npos);
    EXPECT_EQ(m_messages.Messages()[1].second, MessageIcon::Error);
    EXPECT_TRUE(std::filesystem::is_directory(strPath));
}

TEST_F(TactiloDlgTest, ExitSavesNothing) {
    m_pDlg->OnInitDialog();
    Delay()->setText("100");
    m_pDlg->OnTrayExit();
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
    EXPECT_FALSE(std::filesystem::exists(m_storage.deviceStore.FilePath()));
}

// Exit reads the options back like OK: a bad delay is told, and the program still ends.
TEST_F(TactiloDlgTest, ExitTellsOfABadDelayAndStillEnds) {
    m_pDlg->OnInitDialog();
    bool bExit = false;
    QObject::connect(m_pDlg.get(), &CTactiloDlg::exitRequested, [&] { bExit = true; });
    Delay()->setText("abc");
    m_pDlg->OnTrayExit();
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
    EXPECT_TRUE(bExit);
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
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
        const int nLines = m_pDlg->m_arrDeviceLines.GetSize();
        const std::string strLine = m_pDlg->m_arrDeviceLines.GetAt(0);
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
        EXPECT_EQ(m_pDlg->m_arrDeviceLines.GetSize(), nLines);
        EXPECT_EQ(m_pDlg->m_arrDeviceLines.GetAt(0), strLine);
        EXPECT_EQ(m_pDlg->m_nStatus, 0u);
    }
}

TEST_F(TactiloDlgTest, StartUpConnectsTheFirstTickedDeviceOfTheFile) {
    {
        std::ofstream file(m_storage.deviceStore.FilePath(), std::ios::binary);
        file << "Back;DISPLAY1;COM4;9600;0;\r\n"
             << "Front;DISPLAY2;COM3;4800;1;\r\n"
             << "Side;DISPLAY1;COM5;9600;1;\r\n";
    }
    m_pDlg->OnInitDialog();
    EXPECT_EQ(m_pDlg->m_arrDeviceLines.GetSize(), 3);
    EXPECT_EQ(m_pDlg->m_activeDevice.m_strName, "Front");
    EXPECT_EQ(m_pLine->OpenedPort(), 3);
    EXPECT_EQ(m_pLine->Written().nBaudRate, 4800u);
    EXPECT_TRUE(m_pDlg->GetRowCheck(1));
    EXPECT_TRUE(m_pDlg->GetRowCheck(2));  // still ticked, as the file says
    EXPECT_EQ(m_pDlg->TrayIcon().IconData().szTip, "Front - DISPLAY2 COM3 4800");
    EXPECT_TRUE(Calibrate()->isEnabled());
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(TactiloDlgTest, AStartUpConnectThatFailsIsNotifiedOnceWithoutABox) {
    std::ofstream(m_storage.deviceStore.FilePath(), std::ios::binary)
        << "Front;DISPLAY2;COM3;4800;1;\r\n";
    m_pLine->SetFailures({EACCES, 0, 0});
    m_pDlg->OnInitDialog();
    EXPECT_FALSE(m_pDlg->Port().IsOpen());
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(m_pDlg->TrayIcon().IconData().szTip, "Tactilo - not connected");
    const auto vecExpected = std::vector<std::pair<std::string, std::string>>{
        {"Tactilo - not connected", "COM3 (/dev/ttyS2): Permission denied"}};
    EXPECT_EQ(m_tray.Notifications(), vecExpected);
}

// A device whose port is away at start-up stays the chosen one, in whichever row: its row
// stays ticked, OK keeps its line's flag, and it connects once its port opens.
TEST_F(TactiloDlgTest, ADeviceAwayAtStartUpStaysChosenAndConnectsWhenItComes) {
    for (const int nRow : {0, 1}) {
        SCOPED_TRACE(nRow);
        Make();
        {
            std::ofstream file(m_storage.deviceStore.FilePath(), std::ios::binary);
            file << (nRow == 0 ? "Front;DISPLAY2;COM3;4800;1;\r\nBack;DISPLAY1;COM4;9600;0;\r\n"
                               : "Back;DISPLAY1;COM4;9600;0;\r\nFront;DISPLAY2;COM3;4800;1;\r\n");
        }
        m_pLine->SetFailures({EBUSY, 0, 0});
        m_pDlg->OnInitDialog();
        EXPECT_FALSE(m_pDlg->Port().IsOpen());
        EXPECT_TRUE(m_pDlg->GetRowCheck(nRow));
        EXPECT_TRUE(m_pDlg->ReconnectPending());
        EXPECT_EQ(Icon(), ICON_NOT_CONNECTED);
        EXPECT_FALSE(Calibrate()->isEnabled());
        m_pDlg->OnOkButton();
        std::ifstream saved(m_storage.deviceStore.FilePath(), std::ios::binary);
        std::string strLine;
        for (int i = 0; i <= nRow; ++i) {
            std::getline(saved, strLine);
        }
        EXPECT_EQ(ParseDeviceLine(strLine).m_strName, "Front");
        EXPECT_EQ(ParseDeviceLine(strLine).m_bConnect, 1);

        m_pLine->SetFailures({0, 0, 0});
        ASSERT_TRUE(PumpUntil([&] { return m_pDlg->Port().IsOpen(); }));
        EXPECT_EQ(Icon(), ICON_CONNECTED);
        EXPECT_TRUE(Calibrate()->isEnabled());
        EXPECT_TRUE(m_pDlg->GetRowCheck(nRow));
    }
}

TEST_F(TactiloDlgTest, AnOutageReportedByAReplacedReaderIsIgnored) {
    m_pDlg->OnInitDialog();
    m_pLine->FailNextReads(1, ReadStatus::Gone);
    ConnectFront();
    // The reader has met the outage and queued its report; before the window sees it, the
    // user connects again, which starts another reader.
    ASSERT_TRUE(WaitUntil([&] { return m_pLine->ReadCount() >= 2; }));
    m_pDlg->Connect(true, true);
    // The old reader queued its report before its second read: deliver it now.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(m_pDlg->Port().IsOpen());
    EXPECT_FALSE(m_pDlg->ReconnectPending());
    EXPECT_EQ(Icon(), ICON_CONNECTED);
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
    EXPECT_EQ(m_pDlg->m_activeDevice.m_bConnect, 1);
    // The fake line opens again at once: the next retry connects, without a message.
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->Port().IsOpen(); }));
    EXPECT_EQ(Icon(), ICON_CONNECTED);
    EXPECT_FALSE(m_pDlg->Touch().TrayRightClick());
    EXPECT_TRUE(Calibrate()->isEnabled());
    EXPECT_TRUE(m_messages.Messages().empty());
}
