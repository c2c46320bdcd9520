// The hub's own logic without a display: the window is a fake view, the event loop a fake
// dispatcher and fake timers, the port a fake line; the device file is a real one in a
// temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "TactiloHubFixture.h"
#include "calibration/CalibrationCodes.h"
#include "serial/PortNames.h"

TEST_F(TactiloHubTest, StartUpHidesTheWindowAndShowsTheOptionsOfTheFile) {
    WriteDeviceFile("Back;DISPLAY1;COM4;9600;0;\r\n");
    m_storage.options.m_mapValues["SETTINGS/Precision"] = "12";
    m_storage.options.m_mapValues["SETTINGS/RightClickTime"] = "750";
    m_storage.options.m_mapValues["SETTINGS/AutoStart"] = "0";
    m_pHub->OnInitDialog();
    EXPECT_FALSE(m_view.m_bVisible);
    EXPECT_FALSE(m_view.m_bCalibrateEnabled);
    // A stored precision that is no entry selects "10".
    EXPECT_EQ(m_view.m_controls.strPrecision, "10");
    EXPECT_EQ(m_view.m_controls.strDelay, "750");
    EXPECT_FALSE(m_view.m_controls.bAutoStart);
    EXPECT_EQ(m_pHub->Touch().Precision(), 10);
    EXPECT_EQ(m_pHub->Touch().RightClickTime(), 750u);
    EXPECT_FALSE(m_storage.autoStart.m_entry.has_value());  // nothing until OK
}

TEST_F(TactiloHubTest, CommandsWorkWhenTheTrayHostCameLate) {
    m_tray.m_bAddSucceeds = false;
    m_pHub->OnInitDialog();
    ConnectFront();
    // The host appears: the icon is added and its left press arms the right click, once the
    // tray's own handling has returned.
    m_tray.m_bAddSucceeds = true;
    m_tray.Events()->OnTaskbarCreated();
    EXPECT_FALSE(m_pHub->TrayIcon().IsHidden());
    m_tray.Events()->OnTrayNotification(132, TrayMouse::LeftPress, {});
    EXPECT_FALSE(m_pHub->Touch().TrayRightClick());
    EXPECT_EQ(m_dispatcher.RunPending(), 1);
    EXPECT_TRUE(m_pHub->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_RIGHT_CLICK_ARMED);
}

// Every tray command runs later, through the dispatcher, as its own operation.
TEST_F(TactiloHubTest, TrayCommandsReachTheirOperations) {
    WriteDeviceFile("Back;DISPLAY1;COM4;9600;0;\r\n");  // a device: the start stays hidden
    m_pHub->OnInitDialog();
    m_view.m_strHelpFailure = "The manual /x/Help.pdf is missing.";
    for (const unsigned nId :
         {ID_TRAY_OPTIONS, ID_HIDE_TO_TRAY, ID_SHOW_FROM_TRAY, ID_TRAY_ABOUT, ID_TRAY_HELP}) {
        m_pHub->OnCommand(nId);
    }
    EXPECT_FALSE(m_view.m_bVisible);  // nothing runs inside the tray's handling
    EXPECT_EQ(m_view.m_nAboutShown, 0);
    m_dispatcher.RunPending();
    EXPECT_TRUE(m_view.m_bVisible);
    EXPECT_EQ(m_view.m_nAboutShown, 1);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first, "The manual /x/Help.pdf is missing.");
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
    EXPECT_EQ(m_view.m_nEndProgram, 0);
}

// The tray right-click arming: (port open, hold elapsed, armed) -> (armed, icon).
TEST_F(TactiloHubTest, LeftPressOnTheTrayArmsAndDisarms) {
    m_pHub->OnInitDialog();
    m_pHub->OnToggleTrayRightClick();  // not connected: nothing changes
    EXPECT_FALSE(m_pHub->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_NOT_CONNECTED);

    ConnectFront();
    m_pHub->OnToggleTrayRightClick();
    EXPECT_TRUE(m_pHub->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_RIGHT_CLICK_ARMED);
    m_pHub->OnToggleTrayRightClick();
    EXPECT_FALSE(m_pHub->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_CONNECTED);

    for (auto showOrHide : {&CTactiloHub::OnShowFromTray, &CTactiloHub::OnHideToTray}) {
        m_pHub->OnToggleTrayRightClick();
        (m_pHub.get()->*showOrHide)();
        EXPECT_FALSE(m_pHub->Touch().TrayRightClick());
        EXPECT_EQ(Icon(), ICON_CONNECTED);
    }
}

TEST_F(TactiloHubTest, ExitDisconnectsRemovesTheIconAndAsksToEnd) {
    m_pHub->OnInitDialog();
    ConnectFront();
    // A finger holds the left button: Exit lets go of it.
    m_pLine->Feed(TouchPacketBytes(true, 600, 500));
    ASSERT_TRUE(WaitUntil([&] { return m_pHub->Touch().TouchDown(); }));
    m_tray.Events()->OnMenuCommand(ID_TRAY_EXIT);
    EXPECT_EQ(m_view.m_nEndProgram, 0);
    m_dispatcher.RunPending();
    EXPECT_EQ(m_view.m_nEndProgram, 1);
    EXPECT_EQ(m_view.m_nDialogsEnded, 1);
    EXPECT_FALSE(m_pHub->Port().IsOpen());
    EXPECT_TRUE(m_pHub->TrayIcon().IsRemoved());
    EXPECT_EQ(m_uiOutput.Flags(), std::vector<unsigned>{MOUSEEVENTF_LEFTUP});
}

TEST_F(TactiloHubTest, CalibrateNeedsAConnectionAndAMonitorOfThatName) {
    m_pHub->OnInitDialog();
    m_pHub->OnCalibrate();
    EXPECT_EQ(m_pHub->m_nStatus, CAL_ERR_NOT_CONNECTED);
    EXPECT_TRUE(m_messages.Messages().empty());

    ConnectFront();
    EXPECT_TRUE(m_view.m_bCalibrateEnabled);
    EXPECT_EQ(m_pHub->FindMonitorRect(), (ScreenRect{1920, 0, 3200, 1024}));
    m_pHub->m_activeDevice.m_strMonitor = "display2";  // names compare case-sensitively
    EXPECT_EQ(m_pHub->FindMonitorRect(), ScreenRect{});
    m_pHub->OnCalibrate();
    EXPECT_EQ(m_pHub->m_nStatus, CAL_ERR_NO_MONITOR);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first, "Can't find display2");
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
    EXPECT_FALSE(m_pHub->Touch().Calibrating());
    EXPECT_TRUE(m_view.m_vecCalibrationRuns.empty());
}

// The page's numbers go into the active device and into its line as the line stands now; a
// page that ended otherwise changes neither. Either way the tray tells how it ended.
TEST_F(TactiloHubTest, CalibrateStoresAcceptedNumbersOnlyAndTellsTheOutcome) {
    m_pHub->OnInitDialog();
    ConnectFront();
    // Modified while active: the line's new port must survive the calibration.
    TouchDevice line = ParseDeviceLine(m_pHub->m_arrDeviceLines.GetAt(0));
    line.m_strPort = "COM7";
    m_pHub->m_arrDeviceLines.SetAt(0, FormatDeviceLine(line));

    m_view.m_calibrationAnswer.bAccepted = false;
    m_view.m_calibrationAnswer.nResult = CAL_ERR_TIMEOUT;
    m_view.m_calibrationAnswer.outcome = CalOutcome::TimedOut;
    m_pHub->OnCalibrate();
    EXPECT_EQ(m_pHub->m_nStatus, CAL_ERR_TIMEOUT);
    EXPECT_EQ(m_pHub->m_arrDeviceLines.GetAt(0), FormatDeviceLine(line));

    m_view.m_calibrationAnswer = {};
    m_view.m_calibrationAnswer.bAccepted = true;
    m_view.m_calibrationAnswer.numbers = {2.5, 1.25, 100, 3900, 3800, 200};
    m_view.m_calibrationAnswer.outcome = CalOutcome::Calibrated;
    m_pHub->OnCalibrate();
    EXPECT_EQ(m_pHub->m_nStatus, 0u);
    ASSERT_EQ(m_view.m_vecCalibrationRuns.size(), 2u);
    EXPECT_EQ(m_view.m_vecCalibrationRuns[1].rcMonitor, (ScreenRect{1920, 0, 3200, 1024}));
    EXPECT_EQ(m_view.m_vecCalibrationRuns[1].strDevice, "Front");
    EXPECT_EQ(m_pHub->m_activeDevice.m_dScaleX, 2.5);
    EXPECT_EQ(m_pHub->m_activeDevice.m_rcMonitor, (ScreenRect{1920, 0, 3200, 1024}));
    const TouchDevice stored = ParseDeviceLine(m_pHub->m_arrDeviceLines.GetAt(0));
    EXPECT_EQ(stored.m_strPort, "COM7");
    EXPECT_EQ(stored.m_dScaleY, 1.25);
    EXPECT_FALSE(m_pHub->Touch().Calibrating());
    const auto& told = m_tray.Notifications();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0],
              (std::pair{DescribeCalibrationOutcome(CalOutcome::TimedOut, "Front").strTitle,
                         DescribeCalibrationOutcome(CalOutcome::TimedOut, "Front").strText}));
    EXPECT_EQ(told[1].first, DescribeCalibrationOutcome(CalOutcome::Calibrated, "Front").strTitle);
}

TEST_F(TactiloHubTest, CancelPutsTheLastAcceptedOptionsBack) {
    m_pHub->OnInitDialog();
    m_pHub->OnShowFromTray();
    m_view.m_controls = {"4321", "30", false};
    m_pHub->OnCancelButton();
    EXPECT_EQ(m_view.m_controls.strDelay, "2000");
    EXPECT_EQ(m_view.m_controls.strPrecision, "15");
    EXPECT_TRUE(m_view.m_controls.bAutoStart);
    EXPECT_FALSE(m_view.m_bVisible);
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
}

TEST_F(TactiloHubTest, OkRefusesADelayOutOfRangeAndKeepsTheWindow) {
    m_pHub->OnInitDialog();
    m_pHub->OnShowFromTray();
    m_view.m_controls.strDelay = "5001";
    m_pHub->OnOkButton();
    EXPECT_TRUE(m_view.m_bVisible);
    EXPECT_EQ(m_view.m_nDelayFocused, 1);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
    EXPECT_EQ(m_pHub->m_nRightClickTime, 2000u);
}

TEST_F(TactiloHubTest, OkWritesTheOptionsTheAutostartEntryAndTheDevices) {
    CMyCommandLineInfo switches;
    switches.m_bSwitchCs = true;
    Make(switches);
    m_pHub->OnInitDialog();
    m_pHub->m_arrDeviceLines.Add("Front;DISPLAY1;COM3;9600;0;");
    m_view.m_controls.strDelay = "1500";
    m_view.m_controls.strPrecision = "25";
    m_pHub->OnOkButton();
    EXPECT_EQ(Stored("RightClickTime"), "1500");
    EXPECT_EQ(Stored("Precision"), "25");
    EXPECT_EQ(Stored("AutoStart"), "1");
    EXPECT_EQ(m_pHub->Touch().Precision(), 25);
    EXPECT_EQ(m_pHub->Touch().RightClickTime(), 1500u);
    ASSERT_TRUE(m_storage.autoStart.m_entry.has_value());
    EXPECT_EQ(m_storage.autoStart.m_entry->strArguments, " /cs");
    std::ifstream file(m_storage.deviceStore.FilePath(), std::ios::binary);
    const std::string strContent((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
    EXPECT_EQ(strContent, "Front;DISPLAY1;COM3;9600;0;\r\n");

    // Unticked, the entry goes.
    m_view.m_controls.bAutoStart = false;
    m_pHub->OnOkButton();
    EXPECT_FALSE(m_storage.autoStart.m_entry.has_value());
}

// The option records what is on disk: an entry that could not be written leaves it off, one
// that could not be removed leaves it on; either way the user is told why.
TEST_F(TactiloHubTest, AnAutostartEntryThatCannotBeChangedIsToldAndRecordedAsItIs) {
    m_pHub->OnInitDialog();
    const std::string strProblem = "/home/me/.config/autostart/Tactilo.desktop: Is a directory";
    m_storage.autoStart.m_strFailure = strProblem;
    for (const bool bTicked : {true, false}) {
        m_messages.Clear();
        m_view.m_controls.bAutoStart = bTicked;
        m_pHub->OnOkButton();
        ASSERT_EQ(m_messages.Messages().size(), 1u);
        EXPECT_EQ(m_messages.Messages()[0].first, "Writing AutoStart failed. " + strProblem);
        EXPECT_EQ(Stored("AutoStart"), bTicked ? "0" : "1");
        EXPECT_EQ(m_view.m_controls.bAutoStart, !bTicked);
    }
}

TEST_F(TactiloHubTest, InstallStartWritesTheBareProgram) {
    CMyCommandLineInfo switches;
    switches.m_bSwitchInstall = true;
    Make(switches);
    m_pHub->OnInitDialog();
    m_pHub->OnOkButton();
    ASSERT_TRUE(m_storage.autoStart.m_entry.has_value());
    EXPECT_EQ(m_storage.autoStart.m_entry->strArguments, "");
}

TEST_F(TactiloHubTest, AFileThatCannotBeReadIsToldAtStartAndKeptByOk) {
    // A folder where the file should be: it cannot be read, so OK must not replace it.
    const std::string strPath = m_storage.deviceStore.FilePath();
    std::filesystem::create_directories(strPath);
    m_pHub->OnInitDialog();
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].first,
              "The device file " + strPath +
                  " could not be read: it is not a regular file. The device list starts empty, "
                  "and the file will not be overwritten.");
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Error);
    m_pHub->OnOkButton();
    ASSERT_EQ(m_messages.Messages().size(), 2u);
    EXPECT_NE(m_messages.Messages()[1].first.find(strPath + " could not be read when Tactilo "
                                                            "started, so it was kept as it is."),
              std::string::npos);
    EXPECT_EQ(m_messages.Messages()[1].second, MessageIcon::Error);
    EXPECT_TRUE(std::filesystem::is_directory(strPath));
}

// Exit reads the options back like OK: a bad delay is told, and the program still ends,
// saving nothing. A second Exit while the first one's message is up only ends the dialogs.
TEST_F(TactiloHubTest, ExitTellsOfABadDelaySavesNothingAndStillEnds) {
    m_pHub->OnInitDialog();
    m_view.m_controls.strDelay = "abc";
    m_pHub->OnTrayExit();
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].second, MessageIcon::Exclamation);
    EXPECT_EQ(m_view.m_nEndProgram, 1);
    EXPECT_TRUE(m_storage.options.m_vecWrites.empty());
    EXPECT_FALSE(std::filesystem::exists(m_storage.deviceStore.FilePath()));
    m_pHub->OnTrayExit();
    EXPECT_EQ(m_view.m_nDialogsEnded, 2);
    EXPECT_EQ(m_view.m_nEndProgram, 1);
    EXPECT_EQ(m_messages.Messages().size(), 1u);
}

TEST_F(TactiloHubTest, StartUpConnectsTheFirstTickedDeviceOfTheFile) {
    WriteDeviceFile(
        "Back;DISPLAY1;COM4;9600;0;\r\nFront;DISPLAY2;COM3;4800;1;\r\nSide;DISPLAY1;COM5;9600;1;"
        "\r\n");
    m_pHub->OnInitDialog();
    EXPECT_EQ(m_pHub->m_arrDeviceLines.GetSize(), 3);
    EXPECT_EQ(m_pHub->m_activeDevice.m_strName, "Front");
    EXPECT_EQ(m_pLine->OpenedPort(), 3);
    EXPECT_EQ(m_pLine->Written().nBaudRate, 4800u);
    EXPECT_EQ(m_view.m_list.Checks(), (std::vector<bool>{false, true, true}));  // as the file says
    EXPECT_EQ(m_pHub->TrayIcon().IconData().szTip, "Front - DISPLAY2 COM3 4800");
    EXPECT_TRUE(m_view.m_bCalibrateEnabled);
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(TactiloHubTest, AStartUpConnectThatFailsIsNotifiedOnceWithoutABox) {
    WriteDeviceFile("Front;DISPLAY2;COM3;4800;1;\r\n");
    m_pLine->SetFailures({EACCES, 0, 0});
    m_pLine->SetAdvice(EACCES, "Ask for access.");
    m_pHub->OnInitDialog();
    EXPECT_FALSE(m_pHub->Port().IsOpen());
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(m_pHub->TrayIcon().IconData().szTip, "Tactilo - not connected");
    // In the line's words, with its advice.
    const auto vecExpected = std::vector<std::pair<std::string, std::string>>{
        {"Tactilo - not connected", "COM3: error " + std::to_string(EACCES) + ". Ask for access."}};
    EXPECT_EQ(m_tray.Notifications(), vecExpected);
}

// A device whose port is away at start-up stays the chosen one, in whichever row: its row
// stays ticked, OK keeps its line's flag, and it connects once its port opens, tried with
// growing pauses.
TEST_F(TactiloHubTest, ADeviceAwayAtStartUpStaysChosenAndConnectsWhenItComes) {
    for (const int nRow : {0, 1}) {
        SCOPED_TRACE(nRow);
        Make();
        WriteDeviceFile(nRow == 0
                            ? "Front;DISPLAY2;COM3;4800;1;\r\nBack;DISPLAY1;COM4;9600;0;\r\n"
                            : "Back;DISPLAY1;COM4;9600;0;\r\nFront;DISPLAY2;COM3;4800;1;\r\n");
        m_pLine->SetFailures({EBUSY, 0, 0});
        m_pHub->OnInitDialog();
        EXPECT_FALSE(m_pHub->Port().IsOpen());
        EXPECT_TRUE(m_pHub->GetRowCheck(nRow));
        EXPECT_TRUE(m_pHub->ReconnectPending());
        EXPECT_EQ(Icon(), ICON_NOT_CONNECTED);
        EXPECT_FALSE(m_view.m_bCalibrateEnabled);
        m_pHub->OnOkButton();
        std::ifstream saved(m_storage.deviceStore.FilePath(), std::ios::binary);
        std::string strLine;
        for (int i = 0; i <= nRow; ++i) {
            std::getline(saved, strLine);
        }
        EXPECT_EQ(ParseDeviceLine(strLine).m_strName, "Front");
        EXPECT_EQ(ParseDeviceLine(strLine).m_bConnect, 1);

        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(ExpireReconnect());
        }
        EXPECT_EQ(m_reconnect.Starts(), (std::vector<int>{250, 500, 1000, 2000, 4000, 4000, 4000}));
        m_pLine->SetFailures({0, 0, 0});
        ASSERT_TRUE(ExpireReconnect());
        EXPECT_TRUE(m_pHub->Port().IsOpen());
        EXPECT_FALSE(m_pHub->ReconnectPending());
        EXPECT_EQ(Icon(), ICON_CONNECTED);
        EXPECT_TRUE(m_view.m_bCalibrateEnabled);
        EXPECT_TRUE(m_pHub->GetRowCheck(nRow));
        EXPECT_TRUE(m_messages.Messages().empty());
    }
}

// A new serial device is tried at once while the chosen one is away, and only then.
TEST_F(TactiloHubTest, AnAnnouncedPortIsTriedAtOnceOnlyWhileTheDeviceIsAway) {
    m_pHub->OnInitDialog();
    ConnectFront();
    const int nClosed = m_pLine->CloseCount();
    m_pHub->OnPortAdded();  // connected: nothing to do
    EXPECT_EQ(m_pLine->CloseCount(), nClosed);
    EXPECT_TRUE(m_pHub->Port().IsOpen());

    WriteDeviceFile("Front;DISPLAY2;COM3;4800;1;\r\n");
    Make();
    m_pLine->SetFailures({ENOENT, 0, 0});
    m_pHub->OnInitDialog();
    ASSERT_TRUE(m_pHub->ReconnectPending());
    m_pLine->SetFailures({0, 0, 0});
    m_pHub->OnPortAdded();
    EXPECT_TRUE(m_pHub->Port().IsOpen());
    EXPECT_FALSE(m_pHub->ReconnectPending());
}

namespace {

struct AwayCase {
    const char* pszName;
    bool bAnnounced;        // udev runs and is watched
    int nError;             // why the port does not open
    const char* pszLinkTo;  // where the COM3 link points; none: /dev/ttyS2
    bool bTimer;            // retried on the timer, not only on an announcement
};

class TactiloHubAwayTest : public TactiloHubTest, public ::testing::WithParamInterface<AwayCase> {};

}  // namespace

// Where udev announces ports, a device that is not there waits for an announcement with no
// timer; one that is there but refused, or that udev never makes, keeps the timed retries.
// Either way an announcement tries it at once.
TEST_P(TactiloHubAwayTest, AnAbsentDeviceWaitsForTheAnnouncementOthersForThePause) {
    const AwayCase& away = GetParam();
    if (away.pszLinkTo) {
        const std::filesystem::path link = PortLinkPath(3);
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::create_symlink(away.pszLinkTo, link);
    }
    WriteDeviceFile("Front;DISPLAY2;COM3;4800;1;\r\n");
    m_pHub->SetPortsAnnounced(away.bAnnounced);
    m_pLine->SetFailures({away.nError, 0, 0});
    m_pHub->OnInitDialog();
    EXPECT_TRUE(m_pHub->ReconnectPending());
    EXPECT_EQ(m_reconnect.IsActive(), away.bTimer);
    // Another tty announced: tried, still away, waiting as before.
    m_pHub->OnPortAdded();
    EXPECT_FALSE(m_pHub->Port().IsOpen());
    EXPECT_TRUE(m_pHub->ReconnectPending());
    EXPECT_EQ(m_reconnect.IsActive(), away.bTimer);

    m_pLine->SetFailures({0, 0, 0});
    m_pHub->OnPortAdded();
    EXPECT_TRUE(m_pHub->Port().IsOpen());
    EXPECT_FALSE(m_pHub->ReconnectPending());
    EXPECT_FALSE(m_reconnect.IsActive());
}

INSTANTIATE_TEST_SUITE_P(Failures, TactiloHubAwayTest,
                         ::testing::Values(AwayCase{"NoUdevNoNode", false, ENOENT, nullptr, true},
                                           AwayCase{"NoNode", true, ENOENT, nullptr, false},
                                           AwayCase{"ByIdLinkGone", true, ENOENT,
                                                    "/dev/serial/by-id/usb-X-port0", false},
                                           AwayCase{"AdapterGone", true, ENODEV, nullptr, false},
                                           AwayCase{"NoDevice", true, ENXIO, nullptr, false},
                                           AwayCase{"HungUp", true, EIO, nullptr, false},
                                           AwayCase{"HeldElsewhere", true, EBUSY, nullptr, true},
                                           AwayCase{"Refused", true, EACCES, nullptr, true},
                                           AwayCase{"PseudoTerminalGone", true, ENOENT,
                                                    "/dev/pts/4242", true}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(TactiloHubTest, AnOutageReportedByAReplacedReaderIsIgnored) {
    m_pHub->OnInitDialog();
    m_pLine->FailNextReads(1, ReadStatus::Gone);
    ConnectFront();
    // The reader has met the outage and queued its report; before the hub sees it, the user
    // connects again, which starts another reader.
    ASSERT_TRUE(WaitUntil([&] { return m_dispatcher.Pending() > 0; }));
    m_pHub->Connect(true, true);
    m_dispatcher.RunPending();
    EXPECT_TRUE(m_pHub->Port().IsOpen());
    EXPECT_FALSE(m_pHub->ReconnectPending());
    EXPECT_EQ(Icon(), ICON_CONNECTED);
}

// The reconnect ends as a connect does: a right click armed before the outage is disarmed
// with the icon that showed it, so the next touch is no surprise right click.
TEST_F(TactiloHubTest, AnOutageShowsTheDeviceAwayAndReconnectsAsAConnectDoes) {
    m_pHub->OnInitDialog();
    m_pLine->FailNextReads(1, ReadStatus::Gone);
    ConnectFront();
    m_pHub->OnToggleTrayRightClick();
    ASSERT_EQ(Icon(), ICON_RIGHT_CLICK_ARMED);
    ASSERT_TRUE(m_dispatcher.RunUntil([&] { return m_pHub->ReconnectPending(); }));
    EXPECT_FALSE(m_pHub->Port().IsOpen());
    EXPECT_EQ(Icon(), ICON_NOT_CONNECTED);
    EXPECT_FALSE(m_view.m_bCalibrateEnabled);
    EXPECT_EQ(m_pHub->m_activeDevice.m_bConnect, 1);
    // The fake line opens again at once: the next retry connects, without a message.
    ASSERT_TRUE(ExpireReconnect());
    EXPECT_TRUE(m_pHub->Port().IsOpen());
    EXPECT_EQ(Icon(), ICON_CONNECTED);
    EXPECT_FALSE(m_pHub->Touch().TrayRightClick());
    EXPECT_TRUE(m_view.m_bCalibrateEnabled);
    EXPECT_TRUE(m_messages.Messages().empty());
}

// A touch that arrives while the reader pauses after a failed read presses the left button;
// the outage handling that follows stops the reader, which must let go of it, or the pointer
// drags until the next touch.
TEST_F(TactiloHubTest, AnOutageWithATouchInItLeavesTheButtonUp) {
    m_pHub->OnInitDialog();
    m_pLine->FailNextReads(1, ReadStatus::Failed);
    ConnectFront();
    m_pLine->Feed(TouchPacketBytes(true, 500, 500));
    const auto pressed = [&] {
        const auto vecFlags = m_output.Flags();
        return std::count(vecFlags.begin(), vecFlags.end(), MOUSEEVENTF_LEFTDOWN) == 1;
    };
    ASSERT_TRUE(WaitUntil(pressed));
    ASSERT_TRUE(m_dispatcher.RunUntil([&] { return m_pHub->ReconnectPending(); }));
    EXPECT_EQ(m_uiOutput.Flags(), std::vector<unsigned>{MOUSEEVENTF_LEFTUP});
    EXPECT_FALSE(m_pHub->Touch().TouchDown());
}

// Data that is no touch screen's is told once per episode, naming the port and rate; a new
// episode begins only after clean packets have flowed again.
TEST_F(TactiloHubTest, ALineOfNoiseIsToldOncePerEpisode) {
    m_pHub->OnInitDialog();
    ConnectFront();
    std::size_t nFed = 0;
    const auto feed = [&](const std::vector<TimedByte>& vecBytes) {
        std::vector<unsigned char> vecRaw;
        for (const TimedByte& byte : vecBytes) {
            vecRaw.push_back(byte.nByte);
        }
        nFed += vecRaw.size();
        m_pLine->Feed(vecRaw);
        ASSERT_TRUE(WaitUntil([&] { return m_pLine->ReadCount() >= static_cast<int>(nFed); }));
        m_dispatcher.RunPending();
        m_clock.Advance(std::chrono::milliseconds(100));
    };
    feed(RandomBytes(1, 960, 2));
    feed(RandomBytes(2, 960, 2));
    const std::string strText =
        "COM3 sends data that is not a touch screen's at 9600 baud: check the baud rate in "
        "Device Settings";
    EXPECT_EQ(m_tray.Notifications(),
              (std::vector<std::pair<std::string, std::string>>{{"Tactilo", strText}}));
    feed(ControllerDrag(9600, 30, 300, 300));
    feed(RandomBytes(3, 960, 2));
    EXPECT_EQ(m_tray.Notifications().size(), 2u);
    const auto vecLines = m_trace.Lines();
    EXPECT_EQ(std::count(vecLines.begin(), vecLines.end(), strText + "\n"), 2);
}
