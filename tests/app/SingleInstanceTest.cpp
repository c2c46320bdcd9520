// One running copy per user: the real program on a private X server with a tray host. A
// second start, with a switch or without, hands over to the running copy, a socket left by a
// killed copy does not block a new one, and two users (two runtime folders) keep a copy each.
// The portable copy's one device is not ticked, so the copies never compete for a port.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "ChildProcess.h"
#include "TempConfigDir.h"
#include "Trayer.h"
#include "Xvfb.h"
#include "app/InstanceName.h"

namespace {

namespace fs = std::filesystem;

bool ExitedWith(int nStatus, int nCode) {
    return nStatus != -1 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == nCode;
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log();
        m_pTrayer = std::make_unique<CTrayer>(m_xvfb);
        ASSERT_TRUE(m_pTrayer->WaitReady()) << m_pTrayer->Log();
        m_appDir = fs::path(m_config.Path()) / "portable";
        fs::create_directories(m_appDir);
        fs::copy_file(TACTILO_PROGRAM, m_appDir / "Tactilo");
        // A device, so that a start stays in the tray (a first start shows the window).
        std::ofstream(m_appDir / "Settings.dat", std::ios::binary)
            << "Back;screen;COM4;9600;0;\r\n";
        for (const char* szUser : {"one", "two"}) {
            fs::create_directories(Runtime(szUser));
            fs::permissions(Runtime(szUser), fs::perms::owner_all);
        }
    }

    fs::path Runtime(const std::string& strUser) const {
        return fs::path(m_config.Path()) / ("runtime-" + strUser);
    }
    std::unique_ptr<CChildProcess> Start(const std::string& strUser,
                                         const std::string& strSwitch = "") {
        std::vector<std::string> vecArgs{(m_appDir / "Tactilo").string()};
        if (!strSwitch.empty()) {
            vecArgs.push_back(strSwitch);
        }
        return std::make_unique<CChildProcess>(
            vecArgs,
            std::map<std::string, std::string>{{"DISPLAY", m_xvfb.Display()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"XDG_RUNTIME_DIR", Runtime(strUser).string()},
                                               {"DBUS_SESSION_BUS_ADDRESS", ""}});
    }
    bool IconShown(CChildProcess& tactilo) {
        return WaitUntil([&] { return !m_pTrayer->EmbeddedWindows(tactilo.Pid()).empty(); });
    }
    bool ManagerShown() {
        return WaitUntil([&] { return WindowViewable(m_xvfb, "Tactilo - Device Manager"); });
    }
    // A second start of the same user: it must end at once with status 0 and bring up the
    // running copy's Device Manager.
    void ExpectHandOver(const std::string& strUser, CChildProcess& resident,
                        const std::string& strSwitch = "") {
        ASSERT_FALSE(WindowViewable(m_xvfb, "Tactilo - Device Manager"));
        auto pSecond = Start(strUser, strSwitch);
        const int nStatus = pSecond->Wait(std::chrono::seconds(15));
        EXPECT_TRUE(ExitedWith(nStatus, 0)) << nStatus << "\n" << pSecond->Log();
        EXPECT_TRUE(pSecond->Log().empty()) << pSecond->Log();
        EXPECT_TRUE(ManagerShown()) << resident.Log();
        EXPECT_TRUE(resident.Running()) << resident.Log();
    }

    CXvfb m_xvfb{"1280x800x24"};
    CTempConfigDir m_config;
    std::unique_ptr<CTrayer> m_pTrayer;
    fs::path m_appDir;
};

TEST_F(SingleInstance, ASecondStartShowsTheRunningCopyEvenAfterACrash) {
    auto pCrashed = Start("one");
    ASSERT_TRUE(IconShown(*pCrashed)) << pCrashed->Log();
    // A killed copy cannot remove its socket: the file stays behind.
    ASSERT_TRUE(pCrashed->Signal(SIGKILL));
    pCrashed->Wait();
    const fs::path socket = InstanceSocketPath(Runtime("one").string(), ::getuid(),
                                               m_xvfb.Display(), (m_appDir / "Tactilo").string());
    ASSERT_TRUE(fs::is_socket(socket)) << socket;

    auto pResident = Start("one");
    ASSERT_TRUE(IconShown(*pResident)) << pResident->Log();
    ExpectHandOver("one", *pResident);

    // Exit removes the socket, so the next start is resident again, not a hand-over.
    ASSERT_TRUE(pResident->Signal(SIGTERM));
    EXPECT_TRUE(ExitedWith(pResident->Wait(), 0)) << pResident->Log();
    EXPECT_FALSE(fs::exists(socket));
}

// A switch hands over too: "/s", the desktop's "Device Manager" action, shows the running
// copy's window instead of starting a second copy that finds the port busy.
TEST_F(SingleInstance, TwoUsersKeepACopyEachAndASwitchHandsOverToo) {
    auto pOne = Start("one");
    auto pTwo = Start("two");
    ASSERT_TRUE(IconShown(*pOne)) << pOne->Log();
    ASSERT_TRUE(IconShown(*pTwo)) << pTwo->Log();
    EXPECT_TRUE(pOne->Running());
    EXPECT_TRUE(pTwo->Running());
    ExpectHandOver("one", *pOne, "/s");
}

// Nothing to drive yet: the first start opens the Device Manager instead of only a grey icon.
TEST_F(SingleInstance, AFirstStartWithoutADeviceShowsTheDeviceManager) {
    fs::remove(m_appDir / "Settings.dat");
    auto pFirst = Start("one");
    EXPECT_TRUE(ManagerShown()) << pFirst->Log();
    EXPECT_TRUE(IconShown(*pFirst)) << pFirst->Log();
}

// Without a tray host the resident copy says once how to reach its Device Manager.
TEST(SingleInstanceNoTray, ResidentCopyWithoutTrayHostTellsHowToReachIt) {
    CXvfb xvfb("1024x768x24");
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    CTempConfigDir config;
    const fs::path appDir = fs::path(config.Path()) / "portable";
    fs::create_directories(appDir);
    fs::copy_file(TACTILO_PROGRAM, appDir / "Tactilo");
    CChildProcess tactilo({(appDir / "Tactilo").string()}, {{"DISPLAY", xvfb.Display()},
                                                            {"QT_QPA_PLATFORM", "xcb"},
                                                            {"XDG_RUNTIME_DIR", config.Path()},
                                                            {"DBUS_SESSION_BUS_ADDRESS", ""}});
    const std::string strNotice = "start Tactilo again from the application menu";
    EXPECT_TRUE(WaitUntil([&] { return tactilo.Log().find(strNotice) != std::string::npos; },
                          std::chrono::seconds(20)))
        << tactilo.Log();
    EXPECT_TRUE(tactilo.Running());
}

}  // namespace
