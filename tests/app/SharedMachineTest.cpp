// The real program on a machine that other accounts share, against another real user
// ("nobody") who got there first: a runtime folder, a socket or a settings folder of theirs is
// never used, and the start ends with one line that says why and status 1. So does a start
// without a display, instead of aborting.

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "ChildProcess.h"
#include "ForkedChild.h"
#include "TempConfigDir.h"
#include "Xvfb.h"
#include "app/InstanceName.h"

namespace {

namespace fs = std::filesystem;

// Serves the socket argv[2] and answers "ok" to every start. "theirs": as nobody, in a folder
// argv[1] that nobody makes; "ours": in our own folder, bound by us, but listened on (so its
// credentials are) as nobody.
const char* const g_szSquatter = R"(
import os, socket, sys
s = socket.socket(socket.AF_UNIX)
if sys.argv[3] == "ours":
    os.mkdir(sys.argv[1], 0o700); s.bind(sys.argv[2])
os.setgroups([]); os.setgid(65534); os.setuid(65534)
if sys.argv[3] == "theirs":
    os.mkdir(sys.argv[1]); os.chmod(sys.argv[1], 0o777); s.bind(sys.argv[2])
s.listen(4)
print("ready", flush=True)
while True:
    c = s.accept()[0]
    try: c.send(b"ok\n")
    except OSError: pass
    c.close()
)";

// One scene per row: what is there before the program starts (built in the shared folder,
// with the squatter's socket path), the program's environment, and what its line must say.
struct Scene {
    std::map<std::string, std::string> mapEnv;
    std::string strWhy;
    const char* szSquat = nullptr;  // "theirs" or "ours": a squatter serves the socket
};
struct RefusedStart {
    const char* szName;
    std::function<Scene(const fs::path& shared)> make;
};

void PrintTo(const RefusedStart& row, std::ostream* pOut) {
    *pOut << row.szName;
}

class SharedMachine : public ::testing::TestWithParam<RefusedStart> {
protected:
    void SetUp() override {
        if (!CanBecomeNobody()) {
            GTEST_SKIP() << "needs root to act as another user";
        }
        ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log();
        // Like /tmp: everyone may write, the sticky bit keeps each one's entries theirs.
        fs::create_directories(m_shared);
        fs::permissions(m_shared, fs::perms::all | fs::perms::sticky_bit);
        fs::create_directories(m_program.parent_path());
        fs::copy_file(TACTILO_PROGRAM, m_program);
    }
    void TearDown() override { fs::remove_all(m_shared); }

    CXvfb m_xvfb{"1024x768x24"};
    CTempConfigDir m_config;
    fs::path m_shared = m_config.Path() + "-shared";
    fs::path m_program = fs::path(m_config.Path()) / "portable" / "Tactilo";
};

TEST_P(SharedMachine, StartEndsWithOneLineAndStatusOne) {
    Scene scene = GetParam().make(m_shared);
    std::unique_ptr<CChildProcess> pSquatter;
    if (scene.szSquat) {
        const fs::path socket =
            InstanceSocketPath(PrivateRuntimeFolder(m_shared.string(), geteuid()), geteuid(),
                               m_xvfb.Display(), fs::canonical(m_program).string());
        pSquatter = std::make_unique<CChildProcess>(
            std::vector<std::string>{"python3", "-c", g_szSquatter, socket.parent_path().string(),
                                     socket.string(), scene.szSquat});
        ASSERT_TRUE(WaitUntil([&] { return pSquatter->Log().find("ready") != std::string::npos; }))
            << pSquatter->Log();
    }
    scene.mapEnv.insert({{"DISPLAY", m_xvfb.Display()},
                         {"QT_QPA_PLATFORM", "xcb"},
                         {"XDG_RUNTIME_DIR", ""},
                         {"TMPDIR", m_shared.string()},
                         {"DBUS_SESSION_BUS_ADDRESS", ""}});
    CChildProcess tactilo({m_program.string()}, scene.mapEnv);
    const int nStatus = tactilo.Wait(std::chrono::seconds(20));
    EXPECT_TRUE(nStatus != -1 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 1) << nStatus << "\n"
                                                                                  << tactilo.Log();
    // One line, and nothing else.
    const std::string strLog = tactilo.Log();
    EXPECT_EQ(strLog.rfind("Tactilo: ", 0), 0u) << strLog;
    EXPECT_EQ(std::count(strLog.begin(), strLog.end(), '\n'), 1) << strLog;
    EXPECT_NE(strLog.find(scene.strWhy), std::string::npos) << strLog;
}

// Settings that another user wrote, or may write: a device on their terminal, their links as
// our ports. Nothing of it is read.
Scene SettingsFolder(const fs::path& shared, bool bTheirs) {
    const fs::path config = shared / "config";
    fs::create_directories(config / "Brenhold" / "ports");
    fs::create_symlink("/dev/tty", config / "Brenhold" / "ports" / "COM1");
    if (bTheirs) {
        chown(config.c_str(), NobodyUid(), NobodyGid());
    } else {
        fs::permissions(config, fs::perms::all);
    }
    return {{{"XDG_CONFIG_HOME", config.string()}},
            "the folder " + config.string() +
                (bTheirs ? " belongs to the user nobody" : " can be written by other users")};
}

INSTANTIATE_TEST_SUITE_P(
    SharedMachine, SharedMachine,
    ::testing::Values(RefusedStart{"RuntimeFolderOfAnotherUser",
                                   [](auto&) {
                                       return Scene{{}, "belongs to the user nobody", "theirs"};
                                   }},
                      RefusedStart{
                          "SocketServedByAnotherUser",
                          [](auto&) {
                              return Scene{{}, "is served by another user (uid 65534)", "ours"};
                          }},
                      RefusedStart{"SettingsFolderOfAnotherUser",
                                   [](auto& shared) { return SettingsFolder(shared, true); }},
                      RefusedStart{"SettingsFolderOpenToAll",
                                   [](auto& shared) { return SettingsFolder(shared, false); }},
                      // Their link to a folder of ours: they may point it elsewhere at any time.
                      RefusedStart{"SettingsFolderThroughALinkOfAnotherUser",
                                   [](auto& shared) {
                                       fs::create_directories(shared / "mine");
                                       fs::create_symlink(shared / "mine", shared / "link");
                                       lchown((shared / "link").c_str(), NobodyUid(), NobodyGid());
                                       return Scene{
                                           {{"XDG_CONFIG_HOME", (shared / "link").string()}},
                                           "the link " + (shared / "link").string() +
                                               " belongs to the user nobody"};
                                   }},
                      // An autostart that runs before the X server is ready.
                      RefusedStart{"NoDisplay",
                                   [](auto&) {
                                       return Scene{{{"DISPLAY", ""}}, "without a display"};
                                   }}),
    [](const auto& info) { return std::string(info.param.szName); });

// A su session or a bare startx has no HOME: the home comes from the password database, never
// a shared folder such as /tmp.
TEST(SharedMachineHome, WithoutHomeTheSettingsLiveInThePasswordDatabasesHome) {
    CChildProcess help({TACTILO_PROGRAM, "--help"}, {{"HOME", ""}, {"XDG_CONFIG_HOME", ""}});
    ASSERT_NE(help.Wait(), -1);
    EXPECT_NE(help.Log().find(std::string(getpwuid(geteuid())->pw_dir) + "/.config/Brenhold/"),
              std::string::npos)
        << help.Log();
    EXPECT_EQ(help.Log().find("/tmp/Brenhold"), std::string::npos) << help.Log();
}

}  // namespace
