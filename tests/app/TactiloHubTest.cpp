// The hub's window, tray commands, calibration and options without a display: the window is
// a fake view, the event loop a fake dispatcher and fake timers, the port a fake line; the
// device file is a real one in a temporary folder.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "TactiloHubFixture.h"
#include "calibration/CalibrationCodes.h"

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
