// The hub's connection without a display: which device connects at start-up, a device whose
// port is away or comes later, an outage of the line and a line of noise. The window is a
// fake view, the event loop a fake dispatcher and fake timers, the port a fake line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "TactiloHubFixture.h"
#include "serial/PortNames.h"

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
