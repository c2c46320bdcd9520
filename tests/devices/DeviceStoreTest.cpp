#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempConfigDir.h"
#include "devices/AppDirectory.h"
#include "devices/DeviceLines.h"
#include "devices/DeviceStore.h"
#include "devices/PosixFileReplacer.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& strContent) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << strContent;
}

CDeviceLines MakeLines(const std::vector<std::string>& vecLines) {
    CDeviceLines arrLines;
    for (const std::string& strLine : vecLines) {
        arrLines.Add(strLine);
    }
    return arrLines;
}

// Everything a test writes goes below a fresh configuration folder.
class DeviceStore : public ::testing::Test {
protected:
    fs::path File() const { return fs::path(m_config.Path()) / "Settings.dat"; }
    CDeviceStore Store() { return CDeviceStore(m_replacer, File().string()); }
    std::vector<fs::path> FolderEntries() const {
        std::vector<fs::path> vecEntries;
        for (const auto& entry : fs::directory_iterator(m_config.Path())) {
            vecEntries.push_back(entry.path().filename());
        }
        return vecEntries;
    }

    CTempConfigDir m_config;
    CPosixFileReplacer m_replacer;
};

const std::string g_strLineA =
    "Front;DISPLAY1;COM3;9600;1;0;1920;0;1080;1.920000;1005.000000;5.000000;1.464407;"
    "868.000000;131.000000;505.000000;499.000000;105.000000;905.000000;1000.000000;205.000000;"
    "795.000000;737.500000;0;0;";
const std::string g_strLineB = "Back;screen;COM1;2400;0;";

}  // namespace

TEST(DeviceLines, IndexesOutsideTheLinesAreRefused) {
    CDeviceLines arrLines = MakeLines({"a", "b"});
    for (int nIndex : {-1, 2, 32767}) {
        EXPECT_THROW(arrLines.GetAt(nIndex), std::invalid_argument) << nIndex;
        EXPECT_THROW(arrLines.SetAt(nIndex, "x"), std::invalid_argument) << nIndex;
        EXPECT_THROW(arrLines.RemoveAt(nIndex), std::invalid_argument) << nIndex;
    }
    EXPECT_EQ(arrLines.Lines(), (std::vector<std::string>{"a", "b"}));
    arrLines.SetAt(1, "c");
    arrLines.RemoveAt(0);
    EXPECT_EQ(arrLines.Lines(), std::vector<std::string>{"c"});
    EXPECT_THROW(arrLines.GetAt(1), std::invalid_argument);
}

struct FileRow {
    const char* szName;
    std::string strContent;
    std::vector<std::string> vecLines;
};

class SettingsFileFormat : public ::testing::TestWithParam<FileRow> {};

TEST_P(SettingsFileFormat, ReadsTheLines) {
    EXPECT_EQ(ParseSettingsFile(GetParam().strContent), GetParam().vecLines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFileFormat,
    ::testing::Values(FileRow{"Empty", "", {}}, FileRow{"CrLf", "A\r\nB\r\n", {"A", "B"}},
                      FileRow{"LoneLf", "A\nB\n", {"A", "B"}},
                      FileRow{"Mixed", "A\r\nB\nC\r\n", {"A", "B", "C"}},
                      FileRow{"EmptyLineInTheMiddle", "A\r\n\r\nB\r\n", {"A", "", "B"}},
                      FileRow{"OnlyALineEnd", "\r\n", {""}},
                      FileRow{"LastLineWithoutEnd", "A\r\nB", {"A", "B"}},
                      FileRow{"LoneCrStaysInTheLine", "A\rB\r\n", {"A\rB"}},
                      FileRow{"TrailingEmptyLines", "A\n\n", {"A", ""}}),
    [](const auto& info) { return std::string(info.param.szName); });

TEST_F(DeviceStore, SaveThenLoadGivesTheSameLinesWithCrLf) {
    const CDeviceLines arrSaved = MakeLines({g_strLineA, "", g_strLineB, std::string(5000, 'x')});
    ASSERT_TRUE(Store().SaveDevices(arrSaved));
    EXPECT_EQ(ReadFile(File()),
              g_strLineA + "\r\n\r\n" + g_strLineB + "\r\n" + std::string(5000, 'x') + "\r\n");
    CDeviceLines arrLoaded;
    ASSERT_TRUE(Store().LoadDevices(arrLoaded));
    EXPECT_EQ(arrLoaded.Lines(), arrSaved.Lines());
}

TEST_F(DeviceStore, LoadAppendsToWhatIsThere) {
    WriteFile(File(), "B\nC\n");
    CDeviceLines arrLines = MakeLines({"A"});
    ASSERT_TRUE(Store().LoadDevices(arrLines));
    EXPECT_EQ(arrLines.Lines(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(DeviceStore, AnEmptyListIsAnEmptyFile) {
    WriteFile(File(), "old\r\n");
    ASSERT_TRUE(Store().SaveDevices(CDeviceLines()));
    EXPECT_TRUE(fs::exists(File()));
    EXPECT_EQ(fs::file_size(File()), 0u);
    CDeviceLines arrLines;
    EXPECT_TRUE(Store().LoadDevices(arrLines));
    EXPECT_TRUE(arrLines.IsEmpty());
}

TEST_F(DeviceStore, NoFileLoadsNothingAndTheFirstSaveCreatesIt) {
    CDeviceLines arrLines;
    EXPECT_FALSE(Store().LoadDevices(arrLines));
    EXPECT_TRUE(arrLines.IsEmpty());
    arrLines.Add(g_strLineB);
    ASSERT_TRUE(Store().SaveDevices(arrLines));
    EXPECT_EQ(ReadFile(File()), g_strLineB + "\r\n");
}

TEST_F(DeviceStore, SavingKeepsTheFilesPermissionsAndASymbolicLink) {
    const fs::path target = fs::path(m_config.Path()) / "real.dat";
    WriteFile(target, "old\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, File());
    ASSERT_TRUE(Store().SaveDevices(MakeLines({"new"})));
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_EQ(ReadFile(target), "new\r\n");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(DeviceStore, AFolderThatCannotExistFailsTheSave) {
    // The parent is a regular file: no one, not even root, can create a file below it.
    const fs::path blocker = fs::path(m_config.Path()) / "blocker";
    WriteFile(blocker, "x");
    CDeviceStore store(m_replacer, (blocker / "Settings.dat").string());
    EXPECT_FALSE(store.SaveDevices(MakeLines({"A"})));
    EXPECT_EQ(ReadFile(blocker), "x");
}

// A full disk, as far as this process is concerned: writes beyond the file-size limit fail
// with EFBIG (once SIGXFSZ no longer ends the process).
TEST_F(DeviceStore, AWriteThatFailsHalfwayLeavesTheOldFileWhole) {
    const std::string strOld = g_strLineA + "\r\n" + g_strLineB + "\r\n";
    WriteFile(File(), strOld);
    const CDeviceLines arrBig = MakeLines(std::vector<std::string>(200, g_strLineA));

    rlimit oldLimit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit smallLimit = oldLimit;
    smallLimit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &smallLimit), 0);
    const bool bSaved = Store().SaveDevices(arrBig);
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(bSaved);
    EXPECT_EQ(ReadFile(File()), strOld);
    // No half-written temporary file is left behind.
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"Settings.dat"});
}

// Whether a copy is installed is read from the folders around it, whatever prefix it was
// installed with; only an installed copy keeps its files away from its own folder.
TEST(SettingsFilePath, AnInstalledCopyIsKnownByWhereItStands) {
    CTempConfigDir root;
    const std::string strConfig = root.Path() + "/config/Brenhold/";
    struct Layout {
        const char* szAppDir;  // under the temporary root
        const char* szBeside;  // made under the root, "" for nothing
        bool bInstalled;
    } layouts[] = {
        {"/home/.local/bin/", "/home/.local/share/doc/tactilo/", true},
        {"/usr/bin/", "/usr/share/applications/Tactilo.desktop", true},
        {"/usr/local/bin", "/usr/local/share/doc/tactilo/", true},  // no trailing '/'
        {"/build/bin/", "", false},                                 // a build tree
        {"/build2/bin/", "/build2/share/doc/other/", false},
        {"/unpacked/", "/share/doc/tactilo/", false},  // not in a bin folder
    };
    for (const Layout& layout : layouts) {
        const std::string strAppDir = root.Path() + layout.szAppDir;
        fs::create_directories(strAppDir);
        const std::string strBeside = root.Path() + layout.szBeside;
        if (strBeside.back() == '/') {
            fs::create_directories(strBeside);
        } else if (*layout.szBeside) {
            fs::create_directories(fs::path(strBeside).parent_path());
            std::ofstream(strBeside) << "[Desktop Entry]\n";
        }
        std::string strDir = strAppDir;
        if (strDir.back() != '/') {
            strDir += '/';
        }
        const fs::path prefix = fs::path(strDir).parent_path().parent_path();
        SCOPED_TRACE(layout.szAppDir);
        EXPECT_EQ(IsInstalledCopy(strAppDir), layout.bInstalled);
        EXPECT_EQ(SettingsFilePath(strDir, strConfig),
                  layout.bInstalled ? strConfig + "Settings.dat" : strDir + "Settings.dat");
        EXPECT_EQ(HelpFilePath(strDir), layout.bInstalled
                                            ? (prefix / "share/doc/tactilo/Help.pdf").string()
                                            : strDir + "Help.pdf");
    }
}

TEST(SettingsFilePath, TheDefaultRuleFollowsTheRunningExecutable) {
    CTempConfigDir config;
    // The test programs run from the build tree, never from the installation.
    EXPECT_EQ(SettingsFilePath(), GetAppDirectory() + "Settings.dat");
}

TEST(AppDirectory, NamesTheFolderOfTheRunningProgram) {
    const std::string strDirectory = GetAppDirectory();
    ASSERT_FALSE(strDirectory.empty());
    EXPECT_EQ(strDirectory.front(), '/');
    EXPECT_EQ(strDirectory.back(), '/');
    EXPECT_TRUE(fs::exists(strDirectory + "devices_tests"));
}
