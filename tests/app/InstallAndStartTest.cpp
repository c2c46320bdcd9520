// The real program as users start it: --help and --version answered without a display or any
// file; an installed copy (installed with a prefix chosen at install time) that finds its
// devices in the per-user folder and its manual in share/doc/tactilo; a device that cannot
// be opened at start-up reported on standard error.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "PipedProcess.h"
#include "TempConfigDir.h"

namespace {

namespace fs = std::filesystem;

// Every file and folder under root, for "nothing was created".
std::vector<std::string> Entries(const fs::path& root) {
    std::vector<std::string> vecEntries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        vecEntries.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(vecEntries.begin(), vecEntries.end());
    return vecEntries;
}

class InstallAndStart : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::path(m_config.Path()).parent_path() /
                 (fs::path(m_config.Path()).filename().string() + "-home");
        fs::create_directories(m_home);
    }
    void TearDown() override { fs::remove_all(m_home); }

    // Runs strProgram with one argument, with no display, and collects its output.
    struct Outcome {
        int nStatus = -1;
        std::string strOut;
        std::string strErr;
    };
    Outcome RunInfo(const std::string& strProgram, const std::string& strArg) {
        CPipedProcess process({strProgram, strArg}, Environment("xcb"));
        Outcome outcome;
        for (std::string strLine; process.ReadLine(strLine);) {
            outcome.strOut += strLine + "\n";
        }
        outcome.nStatus = process.Wait(std::chrono::seconds(10));
        outcome.strErr = process.ErrorLog();
        return outcome;
    }
    std::map<std::string, std::string> Environment(const std::string& strPlatform) const {
        return {{"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},
                {"QT_QPA_PLATFORM", strPlatform},
                {"HOME", m_home.string()},
                {"XDG_CONFIG_HOME", m_config.Path()},
                {"DBUS_SESSION_BUS_ADDRESS", ""}};
    }

    CTempConfigDir m_config;
    fs::path m_home;
};

}  // namespace

TEST_F(InstallAndStart, HelpAndVersionAnswerWithoutADisplayOrAnyFile) {
    const fs::path appDir = m_home / "portable";
    fs::create_directories(appDir);
    fs::copy_file(TACTILO_PROGRAM, appDir / "Tactilo");
    const std::string strProgram = (appDir / "Tactilo").string();
    const std::string strBrenhold = m_config.Path() + "/Brenhold/";

    for (const char* szArg : {"--help", "-h"}) {
        SCOPED_TRACE(szArg);
        const Outcome outcome = RunInfo(strProgram, szArg);
        ASSERT_TRUE(WIFEXITED(outcome.nStatus) && WEXITSTATUS(outcome.nStatus) == 0)
            << outcome.nStatus << "\n"
            << outcome.strErr;
        for (const std::string& strExpected : std::vector<std::string>{
                 "Usage: Tactilo [/s | /c | /cs | /csw | /install]\n", "  /csw ", "  /install ",
                 "  devices     " + (appDir / "Settings.dat").string() + "\n",
                 "  manual      " + (appDir / "Help.pdf").string() + "\n",
                 "  " + strBrenhold + "ports/COMn\n", "/dev/ttyS<n-1>"}) {
            EXPECT_NE(outcome.strOut.find(strExpected), std::string::npos)
                << strExpected << " is not in\n"
                << outcome.strOut;
        }
    }
    const Outcome version = RunInfo(strProgram, "--version");
    EXPECT_TRUE(WIFEXITED(version.nStatus) && WEXITSTATUS(version.nStatus) == 0);
    EXPECT_EQ(version.strOut, std::string("Tactilo ") + TACTILO_VERSION + "\n");

    // No settings, options, autostart entry or port folder, here or beside the program.
    EXPECT_EQ(Entries(m_home), std::vector<std::string>({"portable", "portable/Tactilo"}));
    EXPECT_TRUE(Entries(m_config.Path()).empty());
}

TEST_F(InstallAndStart, AnInstalledCopyUsesThePerUserFolderAndReportsAPortItCannotOpen) {
    const fs::path prefix = m_home / "my prefix";
    CChildProcess install(
        {CMAKE_COMMAND, "--install", TACTILO_BUILD_DIR, "--prefix", prefix.string()});
    const int nInstalled = install.Wait(std::chrono::seconds(60));
    ASSERT_TRUE(WIFEXITED(nInstalled) && WEXITSTATUS(nInstalled) == 0) << install.Log();
    const std::string strProgram = (prefix / "bin/Tactilo").string();
    const fs::path helpPdf = prefix / "share/doc/tactilo/Help.pdf";
    EXPECT_TRUE(fs::is_regular_file(helpPdf));
    EXPECT_FALSE(fs::exists(prefix / "bin/Help.pdf"));

    const Outcome help = RunInfo(strProgram, "--help");
    EXPECT_NE(help.strOut.find("  devices     " + m_config.Path() + "/Brenhold/Settings.dat\n"),
              std::string::npos)
        << help.strOut;
    EXPECT_NE(help.strOut.find("  manual      " + helpPdf.string() + "\n"), std::string::npos)
        << help.strOut;

    // A real start finds its device in the per-user folder and tells why it stays off line.
    const std::string strGone = (m_home / "gone/ttyUSB7").string();
    m_config.LinkPort(7, strGone);
    std::ofstream(m_config.Path() + "/Brenhold/Settings.dat", std::ios::binary)
        << "Front;screen;COM7;9600;1;0;1920;0;1080;2.258824;0;0;1.440000;0;0;517;500;180;860;0;"
           "200;800;0;0;0;\r\n";
    CPipedProcess tactilo({strProgram}, Environment("offscreen"));
    const std::string strLine = "Tactilo: COM7 (" + strGone + "): No such file or directory\n";
    EXPECT_TRUE(WaitUntil([&] { return tactilo.ErrorLog().find(strLine) != std::string::npos; }))
        << tactilo.ErrorLog();
    ASSERT_TRUE(tactilo.Signal(SIGTERM));
    EXPECT_NE(tactilo.Wait(std::chrono::seconds(10)), -1);
    EXPECT_FALSE(fs::exists(prefix / "bin/Settings.dat"));
}
