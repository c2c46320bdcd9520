#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "ForkedChild.h"
#include "TempConfigDir.h"
#include "devices/AppDirectory.h"
#include "devices/DeviceLines.h"
#include "devices/DeviceStore.h"
#include "linux/PosixFileReplacer.h"

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
    CDeviceStore store(m_replacer, (blocker / "sub" / "Settings.dat").string());
    EXPECT_FALSE(store.SaveDevices(MakeLines({"A"})));
    EXPECT_EQ(ReadFile(blocker), "x");
    // The folder's own failure is told, not the file's "No such file or directory".
    EXPECT_EQ(store.Problem(), "The folder " + (blocker / "sub").string() +
                                   " could not be made: Not a directory. The devices were not "
                                   "saved.");
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

// Windows has no /proc: its program names its folder, and the files follow it.
TEST(AppDirectory, AFolderSetByTheProgramIsTheOneUsed) {
    const std::string strOwn = GetAppDirectory();
    SetAppDirectory("/opt/portable/");
    EXPECT_EQ(GetAppDirectory(), "/opt/portable/");
    EXPECT_EQ(SettingsFilePath(), "/opt/portable/Settings.dat");
    SetAppDirectory({});
    EXPECT_EQ(GetAppDirectory(), strOwn);
}

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool g_bSanitizer = true;
#else
constexpr bool g_bSanitizer = false;
#endif

const std::string g_strThreeDevices =
    g_strLineA + "\r\n" + g_strLineB + "\r\n" + "Side;screen;COM2;9600;0;\r\n";

// What a load and then a save do to the file, run in a child (as "nobody" where asked): a
// FIFO or /dev/zero must not be able to hang or starve the test process.
std::string LoadThenSaveInChild(const std::string& strFile, bool bAsNobody, int& nExit) {
    const ChildRun run = RunInChild(
        [&](int fdOut) {
            // A bound on memory, so that a read without end fails here rather than taking the
            // machine; the sanitizers reserve far more address space than that for themselves.
            if (!g_bSanitizer) {
                rlimit memory{1u << 30, 1u << 30};
                setrlimit(RLIMIT_AS, &memory);
            }
            CPosixFileReplacer replacer;
            CDeviceStore store(replacer, strFile);
            CDeviceLines arrLines;
            const bool bLoaded = store.LoadDevices(arrLines);
            WriteText(fdOut, "load " + std::to_string(bLoaded) + " " +
                                 std::to_string(arrLines.GetSize()) + ": " + store.Problem() +
                                 "\n");
            arrLines.Add("new");
            const bool bSaved = store.SaveDevices(arrLines);
            WriteText(fdOut, "save " + std::to_string(bSaved) + ": " + store.Problem() + "\n");
            return 0;
        },
        bAsNobody, std::chrono::seconds(10));
    nExit = run.nExit;
    return run.strOutput;
}

struct RefusedRow {
    const char* szName;
    const char* szReason;
    bool bAsNobody;
    std::function<void(const fs::path&)> make;
};

class RefusedFile : public DeviceStore, public ::testing::WithParamInterface<RefusedRow> {};

}  // namespace

// A file that is there but cannot be read is told, with its name and the reason, and kept:
// the save that follows refuses to replace it.
TEST_P(RefusedFile, IsToldAndKept) {
    const RefusedRow& row = GetParam();
    if (row.bAsNobody && !CanBecomeNobody()) {
        GTEST_SKIP() << "needs root to drop to nobody";
    }
    fs::permissions(m_config.Path(), fs::perms::all);  // the folder is writable for all
    row.make(File());
    struct stat before {};
    ASSERT_EQ(lstat(File().c_str(), &before), 0);

    int nExit = -1;
    const std::string strOutput = LoadThenSaveInChild(File().string(), row.bAsNobody, nExit);
    ASSERT_EQ(nExit, 0) << "the child hung or died; it said: " << strOutput;
    const std::string strPath = File().string();
    EXPECT_EQ(strOutput, "load 0 0: The device file " + strPath +
                             " could not be read: " + row.szReason +
                             ". The device list starts empty, and the file will not be "
                             "overwritten.\nsave 0: The device file " +
                             strPath +
                             " could not be read when Tactilo started, so it was kept as it is. "
                             "The devices were not saved. Make the file readable and start "
                             "Tactilo again.\n");
    struct stat after {};
    ASSERT_EQ(lstat(File().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"Settings.dat"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedFile,
    ::testing::Values(
        RefusedRow{"ModeZero", "Permission denied", true,
                   [](const fs::path& file) {
                       WriteFile(file, g_strThreeDevices);
                       fs::permissions(file, fs::perms::none);
                   }},
        RefusedRow{"Fifo", "it is not a regular file", false,
                   [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); }},
        RefusedRow{"LinkToDevZero", "it is not a regular file", false,
                   [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }},
        RefusedRow{"Folder", "it is not a regular file", false,
                   [](const fs::path& file) { fs::create_directory(file); }},
        RefusedRow{"LargerThan16MB", "it is larger than 16 MB, more than any device list needs",
                   false,
                   [](const fs::path& file) {
                       WriteFile(file, g_strThreeDevices);
                       fs::resize_file(file, CDeviceStore::MAX_FILE_BYTES + 1);
                   }}),
    [](const auto& info) { return std::string(info.param.szName); });

TEST_F(DeviceStore, AFileOfExactlyTheBoundIsRead) {
    WriteFile(File(), g_strThreeDevices);
    fs::resize_file(File(), CDeviceStore::MAX_FILE_BYTES);  // the rest is one long NUL line
    CDeviceLines arrLines;
    EXPECT_TRUE(Store().LoadDevices(arrLines));
    EXPECT_EQ(arrLines.GetSize(), 4);
}

namespace {

struct IdentityRow {
    const char* szName;
    bool bNeedsRoot;
    // Makes what is there before the save; returns the path whose content must be new.
    std::function<fs::path(const fs::path& file)> make;
    std::function<void(const fs::path& file, const fs::path& written)> check;
};

class FileIdentity : public DeviceStore, public ::testing::WithParamInterface<IdentityRow> {};

mode_t ModeOf(const fs::path& path) {
    struct stat fileStat {};
    stat(path.c_str(), &fileStat);
    return fileStat.st_mode & 07777;
}

}  // namespace

// A save changes the content, not what the file is: its mode, owner and group, and the
// symbolic links that lead to it.
TEST_P(FileIdentity, IsKeptBySaving) {
    const IdentityRow& row = GetParam();
    if (row.bNeedsRoot && geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    const fs::path written = row.make(File());
    const mode_t nOldUmask = umask(027);
    const bool bSaved = Store().SaveDevices(MakeLines({"new"}));
    umask(nOldUmask);
    ASSERT_TRUE(bSaved);
    EXPECT_EQ(ReadFile(written), "new\r\n");
    row.check(File(), written);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileIdentity,
    ::testing::Values(
        IdentityRow{
            "NewFileFollowsTheUmask", false, [](const fs::path& file) { return file; },
            [](const fs::path&, const fs::path& written) { EXPECT_EQ(ModeOf(written), 0640u); }},
        IdentityRow{
            "ModeIsKept", false,
            [](const fs::path& file) {
                WriteFile(file, "old\r\n");
                chmod(file.c_str(), 0604);
                return file;
            },
            [](const fs::path&, const fs::path& written) { EXPECT_EQ(ModeOf(written), 0604u); }},
        IdentityRow{"OwnerAndGroupAreKeptForRoot", true,
                    [](const fs::path& file) {
                        WriteFile(file, "old\r\n");
                        EXPECT_EQ(chown(file.c_str(), NobodyUid(), NobodyGid()), 0);
                        chmod(file.c_str(), 0600);
                        return file;
                    },
                    [](const fs::path&, const fs::path& written) {
                        struct stat fileStat {};
                        ASSERT_EQ(stat(written.c_str(), &fileStat), 0);
                        EXPECT_EQ(fileStat.st_uid, NobodyUid());
                        EXPECT_EQ(fileStat.st_gid, NobodyGid());
                        EXPECT_EQ(fileStat.st_mode & 07777, 0600u);
                    }},
        IdentityRow{"DanglingLinkStaysALink", false,
                    [](const fs::path& file) {
                        fs::create_symlink("real.dat", file);  // relative, to nothing yet
                        return file.parent_path() / "real.dat";
                    },
                    [](const fs::path& file, const fs::path&) {
                        EXPECT_TRUE(fs::is_symlink(file));
                        EXPECT_EQ(fs::read_symlink(file), "real.dat");
                    }},
        IdentityRow{"ChainOfLinksStaysAChain", false,
                    [](const fs::path& file) {
                        fs::create_directory(file.parent_path() / "sub");
                        WriteFile(file.parent_path() / "sub" / "real.dat", "old\r\n");
                        fs::create_symlink("real.dat", file.parent_path() / "sub" / "hop");
                        fs::create_symlink("sub/hop", file);
                        return file.parent_path() / "sub" / "real.dat";
                    },
                    [](const fs::path& file, const fs::path&) {
                        EXPECT_TRUE(fs::is_symlink(file));
                        EXPECT_TRUE(fs::is_symlink(file.parent_path() / "sub" / "hop"));
                    }}),
    [](const auto& info) { return std::string(info.param.szName); });

namespace {

struct InPlaceRow {
    const char* szName;
    mode_t nFileMode;
    bool bSaved;
    std::string strContent;  // after the save
    std::string strProblem;  // after "Writing <path> failed: "
};

class LockedFolder : public DeviceStore, public ::testing::WithParamInterface<InPlaceRow> {};

}  // namespace

// "nobody" may write the file but not the folder: no new file can be made beside it, so the
// file is rewritten in place; one it may not write either stays as it was, and that is told.
TEST_P(LockedFolder, RewritesAWritableFileInPlace) {
    const InPlaceRow& row = GetParam();
    if (!CanBecomeNobody()) {
        GTEST_SKIP() << "needs root to drop to nobody";
    }
    const std::string strOld = g_strThreeDevices + std::string(3000, 'x') + "\r\n";
    WriteFile(File(), strOld);
    ASSERT_EQ(chown(File().c_str(), NobodyUid(), NobodyGid()), 0);
    chmod(File().c_str(), row.nFileMode);
    chmod(m_config.Path().c_str(), 0755);  // root's: nobody may not make files here
    const ChildRun run = RunInChild(
        [&](int fdOut) {
            CPosixFileReplacer replacer;
            CDeviceStore store(replacer, File().string());
            const bool bSaved = store.SaveDevices(MakeLines({g_strLineB}));
            WriteText(fdOut, store.Problem());
            return bSaved ? 0 : 1;
        },
        true);
    EXPECT_EQ(run.nExit, row.bSaved ? 0 : 1) << run.strOutput;
    EXPECT_EQ(ReadFile(File()), row.strContent.empty() ? strOld : row.strContent);
    EXPECT_EQ(run.strOutput, row.strProblem.empty()
                                 ? ""
                                 : "Writing " + File().string() + " failed: " + row.strProblem);
    EXPECT_EQ(ModeOf(File()), row.nFileMode);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"Settings.dat"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, LockedFolder,
    ::testing::Values(InPlaceRow{"WritableFile", 0644, true, g_strLineB + "\r\n", ""},
                      InPlaceRow{"ReadOnlyFile", 0444, false, "",
                                 "Permission denied. The devices were not saved; the file was "
                                 "kept as it was."}),
    [](const auto& info) { return std::string(info.param.szName); });

namespace {

std::vector<std::string> TempNames(const fs::path& folder) {
    std::vector<std::string> vecNames;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string strName = entry.path().filename().string();
        if (strName.rfind(".Settings.dat.", 0) == 0) {
            vecNames.push_back(strName);
        }
    }
    return vecNames;
}

}  // namespace

// Saves killed at varied moments: the file is always one whole version, and no temporary
// file outlives the next save (a kill can only strand one between link and rename).
TEST_F(DeviceStore, SavesKilledMidwayLeaveTheFileWholeAndNoTemporaryFiles) {
    constexpr int ROUNDS = 100;
    // Two versions of different sizes, so a mixture or a cut would show.
    const std::vector<std::string> vecA(2000, g_strLineA);
    const std::vector<std::string> vecB(700, g_strLineB);
    const std::string strA = FormatSettingsFile(vecA);
    const std::string strB = FormatSettingsFile(vecB);
    WriteFile(File(), strA);
    // A name an older version left behind: it goes at the next save too.
    WriteFile(fs::path(m_config.Path()) / ".Settings.dat.Ab12Cd", strA.substr(0, 1000));

    int nKills = 0;
    int nStrandedRightAfterAKill = 0;
    for (int nRound = 0; nRound < ROUNDS; ++nRound) {
        int aPipe[2];
        ASSERT_EQ(pipe(aPipe), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(aPipe[0]);
            CPosixFileReplacer replacer;
            CDeviceStore store(replacer, File().string());
            for (int nSave = 0;; ++nSave) {
                // One byte before each save tells the parent where we are.
                if (write(aPipe[1], "s", 1) != 1) {
                    _exit(1);
                }
                store.SaveDevices(MakeLines(nSave % 2 ? vecB : vecA));
            }
        }
        close(aPipe[1]);
        // Kill during save number 1 to 4, as soon as it has begun: where in the save the
        // kill lands then varies with the scheduling of the two processes.
        const int nSaves = 1 + nRound % 4;
        char ch = 0;
        bool bHeard = true;
        for (int i = 0; i < nSaves && bHeard; ++i) {
            bHeard = read(aPipe[0], &ch, 1) == 1;
        }
        kill(pid, SIGKILL);
        int nStatus = 0;
        waitpid(pid, &nStatus, 0);
        close(aPipe[0]);
        ASSERT_TRUE(bHeard) << "round " << nRound << ": the saving child fell silent";
        nKills += WIFSIGNALED(nStatus) ? 1 : 0;
        const std::string strNow = ReadFile(File());
        ASSERT_TRUE(strNow == strA || strNow == strB)
            << "round " << nRound << ": a file of " << strNow.size() << " bytes";
        nStrandedRightAfterAKill += static_cast<int>(TempNames(m_config.Path()).size());
    }
    ASSERT_TRUE(Store().SaveDevices(MakeLines(vecB)));
    EXPECT_EQ(ReadFile(File()), strB);
    EXPECT_EQ(TempNames(m_config.Path()), std::vector<std::string>{});
    EXPECT_EQ(nKills, ROUNDS);
    RecordProperty("kills", nKills);
    RecordProperty("temporary_names_seen_after_kills", nStrandedRightAfterAKill);
    std::printf(
        "%d kills, %d temporary names seen right after a kill, 0 left after the next "
        "save\n",
        nKills, nStrandedRightAfterAKill);
}
