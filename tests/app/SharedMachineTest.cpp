// The real program on a machine that other accounts share, against another real user
// ("nobody") who got there first: a runtime folder, a socket or a settings folder made by them
// must never be used, and the start must end with one line that says why, status 1. A start
// without a display ends the same way instead of aborting.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "ChildProcess.h"
#include "ForkedChild.h"
#include "TempConfigDir.h"
#include "Xvfb.h"
#include "app/InstanceName.h"

namespace {

namespace fs = std::filesystem;

// The lines the program itself wrote ("Tactilo: ..."); the toolkit may add its own.
std::vector<std::string> OwnLines(const std::string& strLog) {
    std::vector<std::string> vecLines;
    std::size_t nStart = 0;
    while (nStart < strLog.size()) {
        std::size_t nEnd = strLog.find('\n', nStart);
        nEnd = nEnd == std::string::npos ? strLog.size() : nEnd;
        if (strLog.compare(nStart, 8, "Tactilo:") == 0) {
            vecLines.push_back(strLog.substr(nStart, nEnd - nStart));
        }
        nStart = nEnd + 1;
    }
    return vecLines;
}

int UnixSocket(const fs::path& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return -1;
    }
    return fd;
}

// Whether someone accepts connections on the socket.
bool Listening(const fs::path& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool bListening = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bListening;
}

// Every start here must end by itself with status 1 and exactly one line of its own that
// names the problem.
void ExpectRefusedStart(CChildProcess& tactilo, const std::string& strWhy) {
    const int nStatus = tactilo.Wait(std::chrono::seconds(20));
    ASSERT_NE(nStatus, -1) << "still running\n" << tactilo.Log();
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 1) << nStatus << tactilo.Log();
    const std::vector<std::string> vecLines = OwnLines(tactilo.Log());
    ASSERT_EQ(vecLines.size(), 1u) << tactilo.Log();
    EXPECT_NE(vecLines[0].find(strWhy), std::string::npos) << vecLines[0];
}

// A shared temporary folder like /tmp (mode 1777), private to the test.
class SharedMachine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CanBecomeNobody()) {
            GTEST_SKIP() << "needs root to act as another user";
        }
        ASSERT_TRUE(m_xvfb.Ok()) << m_xvfb.Log();
        char szTemplate[] = "/tmp/tactilo-shared-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_shared = szTemplate;
        fs::permissions(m_shared, fs::perms::all | fs::perms::sticky_bit);
        m_appDir = fs::path(m_config.Path()) / "portable";
        fs::create_directories(m_appDir);
        fs::copy_file(TACTILO_PROGRAM, m_appDir / "Tactilo");
        m_socket = InstanceSocketPath(PrivateFolder().string(), geteuid(), m_xvfb.Display(),
                                      fs::canonical(m_appDir / "Tactilo").string());
    }
    void TearDown() override {
        if (m_release[1] >= 0) {
            close(m_release[1]);  // lets the other user's process end
        }
        if (m_squatter.joinable()) {
            m_squatter.join();
        }
        if (m_release[0] >= 0) {
            close(m_release[0]);
        }
        if (!m_shared.empty()) {
            fs::remove_all(m_shared);
        }
    }

    std::unique_ptr<CChildProcess> Start(std::map<std::string, std::string> mapEnv,
                                         std::vector<std::string> vecArgs = {}) {
        mapEnv.emplace("DISPLAY", m_xvfb.Display());
        mapEnv.emplace("QT_QPA_PLATFORM", "xcb");
        mapEnv.emplace("DBUS_SESSION_BUS_ADDRESS", "");
        vecArgs.insert(vecArgs.begin(), (m_appDir / "Tactilo").string());
        return std::make_unique<CChildProcess>(vecArgs, mapEnv);
    }
    fs::path PrivateFolder() const { return PrivateRuntimeFolder(m_shared.string(), geteuid()); }
    // The program's socket; worked out here, since "nobody" may not look into our folders.
    const fs::path& SocketPath() const { return m_socket; }

    // Runs prepare as "nobody" in a process that then serves the socket it returns, answering
    // "ok" to whoever asks, until the test ends.
    void SquatAsNobody(const std::function<int()>& prepare) {
        ASSERT_EQ(pipe2(m_release, O_CLOEXEC), 0);
        const int fdRelease = m_release[0];
        const int fdHold = m_release[1];
        m_squatter = std::thread([prepare, fdRelease, fdHold] {
            RunInChild(
                [&](int) {
                    close(fdHold);  // so that the test's close is the last one
                    const int fdListen = prepare();
                    if (fdListen < 0 || listen(fdListen, 4) != 0) {
                        return 1;
                    }
                    for (;;) {
                        pollfd aWait[2] = {{fdListen, POLLIN, 0}, {fdRelease, POLLIN, 0}};
                        if (poll(aWait, 2, -1) < 0 || aWait[1].revents != 0) {
                            return 0;
                        }
                        const int fd = accept(fdListen, nullptr, nullptr);
                        send(fd, "ok\n", 3, MSG_NOSIGNAL);  // the asker may be gone
                        close(fd);
                    }
                },
                true, std::chrono::minutes(2));
        });
        ASSERT_TRUE(WaitUntil([&] { return Listening(SocketPath()); }));
    }

    CXvfb m_xvfb{"1024x768x24"};
    CTempConfigDir m_config;
    fs::path m_shared;
    fs::path m_appDir;
    fs::path m_socket;
    std::thread m_squatter;
    int m_release[2] = {-1, -1};
};

// Without XDG_RUNTIME_DIR the socket lives in <tmp>/tactilo-<uid>, which anyone could make
// first: whoever did must not be able to end, hold up or receive our start.
TEST_F(SharedMachine, ARuntimeFolderMadeByAnotherUserIsRefused) {
    const fs::path folder = PrivateFolder();
    SquatAsNobody([&] {
        mkdir(folder.c_str(), 0777);
        chmod(folder.c_str(), 0777);
        return UnixSocket(SocketPath());
    });
    auto pTactilo = Start({{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", m_shared.string()}});
    ExpectRefusedStart(*pTactilo, "the folder " + folder.string() + " belongs to the user nobody");
}

TEST_F(SharedMachine, ARuntimeFolderThatIsALinkToAnotherUsersFolderIsRefused) {
    const fs::path folder = PrivateFolder();
    const fs::path theirs = m_shared / "theirs";
    SquatAsNobody([&] {
        mkdir(theirs.c_str(), 0700);
        symlink(theirs.c_str(), folder.c_str());
        return UnixSocket(SocketPath());
    });
    auto pTactilo = Start({{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", m_shared.string()}});
    ExpectRefusedStart(*pTactilo, folder.string() + " is a symbolic link");
}

// A socket in our own folder that another user serves (their listen, our bind): the peer's
// credentials give it away.
TEST_F(SharedMachine, ASocketServedByAnotherUserIsRefused) {
    const fs::path folder = PrivateFolder();
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const int fdBound = UnixSocket(SocketPath());
    ASSERT_GE(fdBound, 0);
    SquatAsNobody([fdBound] { return fdBound; });
    close(fdBound);
    auto pTactilo = Start({{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", m_shared.string()}});
    ExpectRefusedStart(*pTactilo,
                       "is served by another user (uid " + std::to_string(NobodyUid()) + ")");
}

// Settings that another user could have written, or may write: a device on their terminal,
// a link of theirs as our port. The program reads none of it.
TEST_F(SharedMachine, ASettingsFolderOfAnotherUserOrOpenToAllIsRefused) {
    const fs::path theirs = m_shared / "theirs";
    fs::create_directories(theirs / "Brenhold" / "ports");
    fs::create_symlink("/dev/tty", theirs / "Brenhold" / "ports" / "COM1");
    std::ofstream(theirs / "Brenhold" / "Tactilo.conf") << "[SETTINGS]\nRightClickTime=0\n";
    for (const auto& entry : fs::recursive_directory_iterator(theirs)) {
        lchown(entry.path().c_str(), NobodyUid(), NobodyGid());
    }
    ASSERT_EQ(chown(theirs.c_str(), NobodyUid(), NobodyGid()), 0);
    const fs::path open = m_shared / "open";
    fs::create_directories(open);
    fs::permissions(open, fs::perms::all);

    auto pTheirs = Start({{"XDG_CONFIG_HOME", theirs.string()}}, {"/s"});
    ExpectRefusedStart(*pTheirs, "the folder " + theirs.string() + " belongs to the user nobody");
    auto pOpen = Start({{"XDG_CONFIG_HOME", open.string()}}, {"/s"});
    ExpectRefusedStart(
        *pOpen, "the folder " + open.string() + " can be written by other users (mode 0777)");
}

// A su session or a bare startx has no HOME: the home folder comes from the password
// database, never a shared folder such as /tmp.
TEST(SharedMachineHome, WithoutHomeTheSettingsLiveInThePasswordDatabasesHome) {
    CChildProcess help({TACTILO_PROGRAM, "--help"}, {{"HOME", ""}, {"XDG_CONFIG_HOME", ""}});
    ASSERT_NE(help.Wait(), -1);
    const std::string strHome = getpwuid(geteuid())->pw_dir;
    EXPECT_NE(help.Log().find("  options     " + strHome + "/.config/Brenhold/Tactilo.conf"),
              std::string::npos)
        << help.Log();
    EXPECT_EQ(help.Log().find("/tmp/Brenhold"), std::string::npos) << help.Log();
}

// An autostart that runs before the X server is ready.
TEST(SharedMachineDisplay, NoDisplayEndsWithOneLineAndStatusOne) {
    CTempConfigDir config;
    for (const char* szDisplay : {"", ":64999"}) {
        SCOPED_TRACE(szDisplay);
        CChildProcess tactilo({TACTILO_PROGRAM, "/s"}, {{"DISPLAY", szDisplay},
                                                        {"WAYLAND_DISPLAY", ""},
                                                        {"QT_QPA_PLATFORM", "xcb"},
                                                        {"XDG_RUNTIME_DIR", config.Path()},
                                                        {"DBUS_SESSION_BUS_ADDRESS", ""}});
        ExpectRefusedStart(tactilo, "Tactilo: cannot start without a display");
    }
}

}  // namespace
