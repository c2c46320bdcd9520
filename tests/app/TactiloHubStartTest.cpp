// How the hub starts and how it ends: the first start, the switches' calibrations at start-up
// and from a start handed over, the tray's arming while a hold has run out, and the device
// changes an Exit drops.

#include <gtest/gtest.h>

#include "TactiloHubFixture.h"
#include "TouchPackets.h"

namespace {

CMyCommandLineInfo Switches(const std::string& strArguments) {
    return CMyCommandLineInfo::FromArguments(strArguments);
}

constexpr const char* g_szFront = "Front;DISPLAY2;COM3;9600;1;\r\n";

}  // namespace

// A start without a switch shows the Device Manager only when there is no device to drive.
TEST_F(TactiloHubTest, OnlyAFirstStartWithoutADeviceShowsTheDeviceManager) {
    struct Case {
        const char* szFile;  // nullptr: no file
        const char* szSwitches;
        bool bVisible;
    };
    for (const Case& c : {Case{nullptr, "", true}, Case{"", "", true},
                          Case{"Back;DISPLAY1;COM4;9600;0;\r\n", "", false},
                          Case{nullptr, "/s", false}, Case{nullptr, "/install", false}}) {
        std::filesystem::remove(m_storage.deviceStore.FilePath());
        if (c.szFile) {
            WriteDeviceFile(c.szFile);
        }
        Make(Switches(c.szSwitches));
        m_pHub->OnInitDialog();
        EXPECT_EQ(m_view.m_bVisible, c.bVisible) << (c.szFile ? c.szFile : "none") << c.szSwitches;
    }
}

// The calibrating switches at start-up, in the order c, cs, csw.
TEST_F(TactiloHubTest, StartUpSwitchesCalibrateOncePerSwitch) {
    WriteDeviceFile(g_szFront);
    for (const auto& [szSwitches, nRuns] :
         {std::pair{"/s", 0u}, std::pair{"/c", 1u}, std::pair{"/cs", 1u}, std::pair{"/csw", 1u},
          std::pair{"/c /cs /csw", 3u}}) {
        m_view.m_vecCalibrationRuns.clear();
        Make(Switches(szSwitches));
        m_pHub->OnInitDialog();
        ASSERT_TRUE(m_pHub->Port().IsOpen());
        EXPECT_EQ(m_view.m_vecCalibrationRuns.size(), nRuns) << szSwitches;
    }
}

// A start handed over to the running copy: the copy calibrates as the switches say and then
// shows the Device Manager unless they hid it; any other start just shows it.
TEST_F(TactiloHubTest, AHandedOverStartCalibratesAsItsSwitchesSay) {
    struct Case {
        const char* szSwitches;
        CalOutcome outcome;
        unsigned nRuns;
        bool bVisible;
    };
    WriteDeviceFile(g_szFront);
    m_pHub->OnInitDialog();
    for (const Case& c :
         {Case{"", CalOutcome::Calibrated, 0, true}, Case{"/s", CalOutcome::Calibrated, 0, true},
          Case{"/install", CalOutcome::Calibrated, 0, true},
          Case{"/c", CalOutcome::Calibrated, 1, true}, Case{"/cs", CalOutcome::TimedOut, 1, false},
          Case{"/csw", CalOutcome::Calibrated, 1, false},
          Case{"/csw", CalOutcome::TimedOut, 1, true}}) {
        m_view.m_vecCalibrationRuns.clear();
        m_view.m_calibrationAnswer = {};
        m_view.m_calibrationAnswer.outcome = c.outcome;
        m_view.m_calibrationAnswer.bAccepted = c.outcome == CalOutcome::Calibrated;
        m_view.m_calibrationAnswer.nResult =
            c.outcome == CalOutcome::TimedOut ? CAL_ERR_TIMEOUT : 0;
        m_pHub->OnHideToTray();
        m_pHub->OnHandOver(Switches(c.szSwitches));
        EXPECT_EQ(m_view.m_vecCalibrationRuns.size(), c.nRuns) << c.szSwitches;
        EXPECT_EQ(m_view.m_bVisible, c.bVisible) << c.szSwitches;
    }
    // Without a connection /csw has nothing to calibrate and shows the window.
    m_pHub->Disconnect();
    m_pHub->OnHideToTray();
    m_pHub->OnHandOver(Switches("/csw"));
    EXPECT_EQ(m_pHub->m_nStatus, CAL_ERR_NOT_CONNECTED);
    EXPECT_TRUE(m_view.m_bVisible);
}

// A hold that ran out has made its right click: a tray press then arms nothing.
TEST_F(TactiloHubTest, ATrayPressWhileAHoldHasRunOutDisarms) {
    m_pHub->OnInitDialog();
    ConnectFront();
    m_pHub->ProcessPacket(TouchPacketText(true, 600, 500));
    ASSERT_TRUE(m_holdTimer.LastArmed().has_value());
    m_pHub->OnTimer(m_holdTimer.LastArmed()->nId, m_holdTimer.LastArmed()->nTouch);
    ASSERT_TRUE(m_pHub->Touch().HoldElapsed());
    m_pHub->OnToggleTrayRightClick();
    EXPECT_FALSE(m_pHub->Touch().TrayRightClick());
    EXPECT_EQ(Icon(), ICON_CONNECTED);
}

// A calibration is kept by OK only: an Exit without it says which devices it drops, and
// goes on; after OK there is nothing to say.
TEST_F(TactiloHubTest, ExitNamesTheDevicesWhoseChangesItDrops) {
    WriteDeviceFile(std::string(g_szFront) + "Back;DISPLAY1;COM4;9600;0;\r\n");
    m_pHub->OnInitDialog();
    m_view.m_calibrationAnswer.bAccepted = true;
    m_view.m_calibrationAnswer.numbers = {2.5, 1.25, 100, 3900, 3800, 200};
    m_view.m_calibrationAnswer.outcome = CalOutcome::Calibrated;
    m_pHub->OnCalibrate();
    EXPECT_EQ(m_tray.NotificationIcons().back(), NotificationIcon::Information);
    EXPECT_NE(m_tray.Notifications().back().second.find(
                  "Press OK in the Device Manager to keep the calibration"),
              std::string::npos);
    m_pHub->m_arrDeviceLines.RemoveAt(1);  // Back removed
    m_pHub->OnTrayExit();
    EXPECT_EQ(m_view.m_nEndProgram, 1);
    EXPECT_EQ(m_tray.Notifications().back(),
              (std::pair<std::string, std::string>{
                  "Tactilo - changes not saved",
                  "Tactilo ended without saving the changes to Front, Back. OK in the Device "
                  "Manager saves them."}));

    Make();
    m_pHub->OnInitDialog();
    m_pHub->OnCalibrate();
    m_pHub->OnOkButton();
    const std::size_t nTold = m_tray.Notifications().size();
    m_pHub->OnTrayExit();
    EXPECT_EQ(m_tray.Notifications().size(), nTold);
}
