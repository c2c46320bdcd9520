// The real program in resident mode on a private X server with a real tray host: a portable
// copy (the executable with its Settings.dat beside it) connects the simulator as COM1 at
// start, lives behind its tray icon, turns the icon's clicks into commands, and ends through
// Exit or a terminate signal without saving anything.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "ChildProcess.h"
#include "SimulatorProcess.h"
#include "TempConfigDir.h"
#include "Trayer.h"
#include "XObserver.h"
#include "Xvfb.h"

namespace {

namespace fs = std::filesystem;
using Kind = PointerEvent::Kind;

const char* const g_szSettings =
    "Front;screen;COM1;9600;1;0;1920;0;1080;2.258824;0;0;1.440000;0;0;517;500;180;860;0;200;"
    "800;0;0;0;\r\n";

bool IsGreen(long nPixel) {
    const long r = (nPixel >> 16) & 0xFF, g = (nPixel >> 8) & 0xFF, b = nPixel & 0xFF;
    return nPixel >= 0 && g > 120 && r < 100 && b < 100;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class ResidentMode : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log();
        m_pTrayer = std::make_unique<CTrayer>(m_xvfb);
        ASSERT_TRUE(m_pTrayer->WaitReady()) << m_pTrayer->Log();
        m_pSim = std::make_unique<CSimulatorProcess>(1, std::vector<std::string>{"--keep-open"});
        ASSERT_FALSE(m_pSim->SlavePath().empty()) << m_pSim->ErrorLog();

        m_appDir = fs::path(m_config.Path()) / "portable copy";
        fs::create_directories(m_appDir);
        fs::copy_file(TACTILO_PROGRAM, m_appDir / "Tactilo");
        std::ofstream(m_appDir / "Settings.dat", std::ios::binary) << g_szSettings;
        StartTactilo();
    }

    void StartTactilo() {
        m_pTactilo = std::make_unique<CChildProcess>(
            std::vector<std::string>{(m_appDir / "Tactilo").string()},
            std::map<std::string, std::string>{{"DISPLAY", m_xvfb.Display()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"DBUS_SESSION_BUS_ADDRESS", ""}});
    }

    // The icon in the tray, once it shows the connected picture.
    XWindowBox WaitForConnectedIcon() {
        XWindowBox box;
        EXPECT_TRUE(WaitUntil([&] {
            const auto vecWindows = m_pTrayer->EmbeddedWindows(m_pTactilo->Pid());
            if (vecWindows.empty()) {
                return false;
            }
            box = vecWindows.front();
            return IsGreen(RootPixel(m_xvfb, box.x + box.nWidth / 4, box.CenterY()));
        })) << m_pTactilo->Log();
        return box;
    }
    void Click(const XWindowBox& box, int nDx, const std::string& strButtons) {
        ASSERT_EQ(m_xvfb.Run("xdotool mousemove " + std::to_string(box.CenterX() + nDx) + " " +
                             std::to_string(box.CenterY()) + " " + strButtons),
                  0);
    }

    CXvfb m_xvfb{"1920x1080x24"};
    CTempConfigDir m_config;
    std::unique_ptr<CTrayer> m_pTrayer;
    std::unique_ptr<CSimulatorProcess> m_pSim;
    fs::path m_appDir;
    std::unique_ptr<CChildProcess> m_pTactilo;
};

}  // namespace

TEST_F(ResidentMode, TrayIconArmsTheRightClickShowsTheWindowAndExits) {
    const XWindowBox box = WaitForConnectedIcon();
    EXPECT_FALSE(WindowViewable(m_xvfb, "Tactilo - Device Manager"));

    // A left press arms the right click: the next touch is one.
    CXObserver observer(m_xvfb.Display());
    const std::string strConnected = RootArea(m_xvfb, box);
    Click(box, -6, "click 1");
    observer.ClearEvents();
    // The click is a queued command: the touch is only a right click once the icon shows the
    // armed picture, however long a busy machine takes to get there.
    ASSERT_TRUE(WaitUntil([&] { return RootArea(m_xvfb, box) != strConnected; }))
        << m_pTactilo->Log();
    ASSERT_TRUE(m_pSim->Send("tap 600 500\n"));
    ASSERT_TRUE(observer.WaitForButtonEvents(2)) << m_pTactilo->Log();
    const auto vecButtons = observer.ButtonEvents();
    EXPECT_EQ(vecButtons[0].kind, Kind::Press);
    EXPECT_EQ(vecButtons[0].nButton, 3);
    EXPECT_EQ(vecButtons[0].x, 1147);

    // A double click shows the Device Manager. It must not pair up with the arming click, so
    // the double-click interval has to pass first; and the host may have moved the icon.
    WaitUntil([] { return false; }, std::chrono::milliseconds(600));
    Click(WaitForConnectedIcon(), 6, "click --repeat 2 --delay 60 1");
    EXPECT_TRUE(WaitUntil([&] { return WindowViewable(m_xvfb, "Tactilo - Device Manager"); }));

    // The menu's Exit ends the program.
    Click(WaitForConnectedIcon(), -6, "mousedown 3");
    ASSERT_TRUE(
        WaitUntil([&] { return MappedTopLevelWindows(m_xvfb, m_pTactilo->Pid()).size() >= 2; }));
    ASSERT_EQ(m_xvfb.Run("xdotool mouseup 3 key Up Return"), 0);
    const int nStatus = m_pTactilo->Wait(std::chrono::seconds(10));
    ASSERT_NE(nStatus, -1) << "Exit did not end the program";
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    EXPECT_EQ(ReadFile(m_appDir / "Settings.dat"), g_szSettings);
}

TEST_F(ResidentMode, TerminateSignalEndsItWithTheIconGoneAndNothingSaved) {
    WaitForConnectedIcon();
    ASSERT_TRUE(m_pTactilo->Signal(SIGTERM));
    const int nStatus = m_pTactilo->Wait(std::chrono::seconds(10));
    ASSERT_NE(nStatus, -1) << "SIGTERM did not end the program";
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << m_pTactilo->Log();
    EXPECT_TRUE(m_pTrayer->EmbeddedWindows(m_pTactilo->Pid()).empty());
    EXPECT_EQ(ReadFile(m_appDir / "Settings.dat"), g_szSettings);
    EXPECT_FALSE(fs::exists(fs::path(m_config.Path()) / "Brenhold" / "Tactilo.conf"));
    EXPECT_FALSE(fs::exists(fs::path(m_config.Path()) / "autostart" / "Tactilo.desktop"));
}

// A terminate signal while a finger holds the left button lets go of it: otherwise the X
// server keeps button 1 down after the program is gone and every later mouse move is a drag.
TEST_F(ResidentMode, TerminateSignalsLetGoOfAHeldTouch) {
    CXObserver observer(m_xvfb.Display());
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(nSignal));
        if (!m_pTactilo->Running()) {
            StartTactilo();
        }
        WaitForConnectedIcon();
        observer.ClearEvents();
        ASSERT_TRUE(m_pSim->Send("down 600 500\n"));  // the finger stays on the glass
        ASSERT_TRUE(observer.WaitForButtonEvents(1)) << m_pTactilo->Log();
        ASSERT_TRUE(observer.QueryPointer().bLeft);

        ASSERT_TRUE(m_pTactilo->Signal(nSignal));
        const int nStatus = m_pTactilo->Wait(std::chrono::seconds(10));
        ASSERT_NE(nStatus, -1) << "the program did not end";
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << m_pTactilo->Log();
        EXPECT_FALSE(observer.QueryPointer().bLeft) << "button 1 left down";
        // The next round's first touch starts from a lifted finger.
        ASSERT_EQ(m_xvfb.Run("xdotool mouseup 1"), 0);
    }
}
