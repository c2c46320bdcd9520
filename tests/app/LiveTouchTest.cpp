// The whole touch pipeline on real parts: the simulator writes packets on a pseudo-terminal
// linked as COM5, the main window's reader thread frames them, the processor maps them, and
// XTest moves the pointer of a private X server, which a separate X client observes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "ChildProcess.h"
#include "LiveWindow.h"
#include "QtWait.h"
#include "WorkedDevice.h"
#include "Xvfb.h"
#include "calibration/CalibrationCodes.h"

namespace {

using Kind = PointerEvent::Kind;

class LiveTouch : public ::testing::Test {
protected:
    explicit LiveTouch(const std::string& strScreen = "1920x1080x24") : m_xvfb(strScreen) {}

    void SetUp() override {
        ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log();
        m_pLive = std::make_unique<CLiveWindow>(m_xvfb.Display(), 5);
        ASSERT_TRUE(m_pLive->Ok()) << m_pLive->m_sim.ErrorLog();
        m_pDlg = &m_pLive->m_dlg;
        m_pSim = &m_pLive->m_sim;
    }

    void ConnectDevice(const TouchDevice& device) {
        m_pLive->Connect(device);
        ASSERT_TRUE(m_pDlg->Port().IsOpen());
        ASSERT_TRUE(m_pLive->m_messages.Messages().empty());
    }

    void Play(const std::string& strLines) { ASSERT_TRUE(m_pSim->Send(strLines + "\n")); }

    // Pumps the window's event loop until the observer has seen what bDone asks for.
    bool SeenEvents(const std::function<bool(const std::vector<PointerEvent>&)>& bDone,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return PumpUntil(
            [&] { return m_pLive->m_observer.WaitForEvents(bDone, std::chrono::milliseconds(20)); },
            timeout);
    }
    bool SeenPointerAt(int x, int y) {
        return PumpUntil([&] {
            const PointerState state = m_pLive->m_observer.QueryPointer();
            return state.x == x && state.y == y;
        });
    }
    std::vector<std::pair<Kind, int>> Buttons() {
        std::vector<std::pair<Kind, int>> vecButtons;
        for (const PointerEvent& event : m_pLive->m_observer.ButtonEvents()) {
            vecButtons.emplace_back(event.kind, event.nButton);
        }
        return vecButtons;
    }
    static auto ButtonCount(std::size_t nCount) {
        return [nCount](const std::vector<PointerEvent>& vecEvents) {
            std::size_t nButtons = 0;
            for (const PointerEvent& event : vecEvents) {
                nButtons += event.kind != Kind::Motion;
            }
            return nButtons >= nCount;
        };
    }

    CXvfb m_xvfb;
    std::unique_ptr<CLiveWindow> m_pLive;
    CTactiloDlg* m_pDlg = nullptr;
    CSimulatorProcess* m_pSim = nullptr;
};

}  // namespace

TEST_F(LiveTouch, WorkedExampleLandsOnTheServersPixelsWithTheLeftButton) {
    ConnectDevice(WorkedDevice());
    Play("down 600 500");
    ASSERT_TRUE(SeenEvents(ButtonCount(1)));
    EXPECT_EQ(m_pLive->m_observer.QueryPointer().x, 1147);
    EXPECT_EQ(m_pLive->m_observer.QueryPointer().y, 540);
    EXPECT_TRUE(m_pLive->m_observer.QueryPointer().bLeft);

    Play("move 700 500");
    ASSERT_TRUE(SeenPointerAt(1366, 540));
    Play("up");
    ASSERT_TRUE(SeenEvents(ButtonCount(2)));
    EXPECT_FALSE(m_pLive->m_observer.QueryPointer().bLeft);
    EXPECT_EQ(Buttons(), (std::vector<std::pair<Kind, int>>{{Kind::Press, 1}, {Kind::Release, 1}}));
    // Off the right edge: kept two pixels inside.
    Play("tap 1000 500");
    ASSERT_TRUE(SeenPointerAt(1918, 540));
}

TEST_F(LiveTouch, DoubleTapSnapsOntoTheFirstTap) {
    ConnectDevice(WorkedDevice());
    m_pDlg->Touch().SetPrecision(10);
    Play("tap 600 500\nwait 30\ntap 603 503");
    ASSERT_TRUE(SeenEvents(ButtonCount(4)));
    // Both presses on the first tap's point; the rest of the second touch moves freely.
    for (const PointerEvent& event : m_pLive->m_observer.ButtonEvents()) {
        if (event.kind == Kind::Press) {
            EXPECT_EQ(event.x, 1147);
            EXPECT_EQ(event.y, 540);
        }
    }
}

TEST_F(LiveTouch, HoldingStillBecomesARightClick) {
    ConnectDevice(WorkedDevice());
    m_pDlg->Touch().SetRightClickTime(300);
    Play("rate 50\ndown 600 500\nhold 700\nup");
    ASSERT_TRUE(SeenEvents(ButtonCount(4)));
    EXPECT_EQ(Buttons(),
              (std::vector<std::pair<Kind, int>>{
                  {Kind::Press, 1}, {Kind::Release, 1}, {Kind::Press, 3}, {Kind::Release, 3}}));
    EXPECT_FALSE(m_pLive->m_observer.QueryPointer().bLeft);
}

TEST_F(LiveTouch, TrayRightClickMakesTheNextTouchARightClick) {
    ConnectDevice(WorkedDevice());
    m_pDlg->OnToggleTrayRightClick();
    EXPECT_EQ(m_pDlg->TrayIcon().IconData().hIcon, ICON_RIGHT_CLICK_ARMED);
    Play("tap 600 500");
    ASSERT_TRUE(SeenEvents(ButtonCount(2)));
    EXPECT_EQ(Buttons(), (std::vector<std::pair<Kind, int>>{{Kind::Press, 3}, {Kind::Release, 3}}));
    EXPECT_TRUE(PumpUntil([&] { return m_pDlg->TrayIcon().IconData().hIcon == ICON_CONNECTED; }));
}

TEST_F(LiveTouch, CalibrationModeMovesNothing) {
    ConnectDevice(WorkedDevice());
    m_pDlg->Touch().SetCalibrating(true);
    Play("down 600 500\necho held");
    ASSERT_TRUE(m_pSim->WaitForEcho("held"));
    ASSERT_TRUE(WaitUntil([&] { return m_pDlg->Touch().CalRawX() == 600; }));
    EXPECT_EQ(m_pDlg->Touch().CalRawY(), 500);
    Play("up");
    ASSERT_TRUE(WaitUntil([&] { return m_pDlg->Touch().CalRawX() == CAL_RELEASED_RAW; }));
    EXPECT_TRUE(m_pLive->m_observer.ButtonEvents().empty());
    EXPECT_NE(m_pLive->m_observer.QueryPointer().x, 1147);
}

TEST_F(LiveTouch, DeviceThatGoesAwayIsReleasedShownAndReconnected) {
    ConnectDevice(WorkedDevice());
    Play("down 600 500\nhold 200\nhangup");
    // The held left button comes up as soon as the line is gone.
    ASSERT_TRUE(SeenEvents(ButtonCount(2), std::chrono::seconds(5)));
    EXPECT_FALSE(m_pLive->m_observer.QueryPointer().bLeft);
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->ReconnectPending(); }));
    EXPECT_FALSE(m_pDlg->Port().IsOpen());
    EXPECT_EQ(m_pDlg->TrayIcon().IconData().szTip, "Tactilo - not connected");
    EXPECT_EQ(m_pDlg->TrayIcon().IconData().hIcon, ICON_NOT_CONNECTED);
    EXPECT_EQ(m_pDlg->Hub().m_activeDevice.m_bConnect, 1);  // still the chosen device
    m_pDlg->OnCalibrate();
    EXPECT_EQ(m_pDlg->Hub().m_nStatus, CAL_ERR_NOT_CONNECTED);

    Play("reopen");
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->Port().IsOpen(); }));
    EXPECT_EQ(m_pDlg->TrayIcon().IconData().szTip, "Front - screen COM5 9600");
    EXPECT_TRUE(m_pLive->m_messages.Messages().empty());
    Play("tap 700 500");
    ASSERT_TRUE(SeenPointerAt(1366, 540));
}

TEST_F(LiveTouch, DisconnectingWhileAwayStopsTheRetries) {
    ConnectDevice(WorkedDevice());
    Play("hangup");
    ASSERT_TRUE(PumpUntil([&] { return m_pDlg->ReconnectPending(); }));
    m_pDlg->Connect(false, true);
    EXPECT_FALSE(m_pDlg->ReconnectPending());
    Play("reopen\necho back");
    ASSERT_TRUE(m_pSim->WaitForEcho("back"));
    // Longer than the first retry pauses: nobody opens the port again.
    PumpUntil([] { return false; }, std::chrono::milliseconds(800));
    EXPECT_FALSE(m_pDlg->Port().IsOpen());
}

namespace {

class LiveTouchTwoMonitors : public LiveTouch {
protected:
    LiveTouchTwoMonitors() : LiveTouch("3840x1080x24") {}
};

}  // namespace

TEST_F(LiveTouchTwoMonitors, MapsOntoAMonitorThatIsNotTheFirst) {
    ASSERT_TRUE(AddRandrMonitor(m_xvfb, "LEFT", {0, 0, 1920, 1080}, true));
    ASSERT_TRUE(AddRandrMonitor(m_xvfb, "RIGHT", {1920, 0, 3840, 1080}, false));
    TouchDevice device = WorkedDevice("COM5", "9600", {1920, 0, 3840, 1080});
    device.m_strMonitor = "RIGHT";
    ConnectDevice(device);
    Play("tap 600 500");
    ASSERT_TRUE(SeenPointerAt(1920 + 1147, 540));
}
