#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "ForkedChild.h"
#include "TempConfigDir.h"
#include "linux/XdgAutoStart.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ExecCase {
    const char* szProgram;
    const char* szArguments;
    const char* szExec;  // as it must stand in the file
};

void PrintTo(const ExecCase& c, std::ostream* pOut) {
    *pOut << c.szProgram << c.szArguments;
}

class ExecTable : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecTable, QuotesThePathAndEscapesTheString) {
    const ExecCase& c = GetParam();
    EXPECT_EQ(CXdgAutoStart::ExecValue(c.szProgram, c.szArguments), c.szExec);
}

// The right-hand column is what a desktop reads back as the program path given on the left
// (string escapes first, then %%, then the quoted argument).
// clang-format off
INSTANTIATE_TEST_SUITE_P(XdgAutoStart, ExecTable, ::testing::Values(
    ExecCase{"/opt/tactilo/bin/Tactilo", "",       R"("/opt/tactilo/bin/Tactilo")"},
    ExecCase{"/opt/tactilo/bin/Tactilo", " /cs",   R"("/opt/tactilo/bin/Tactilo" /cs)"},
    ExecCase{"/opt/tactilo/bin/Tactilo", " /csw",  R"("/opt/tactilo/bin/Tactilo" /csw)"},
    ExecCase{"/home/me/My Programs/Tactilo", " /s", R"("/home/me/My Programs/Tactilo" /s)"},
    ExecCase{"/a'b/Tactilo", "",                   R"("/a'b/Tactilo")"},
    ExecCase{"/a;b&c|d<e>f(g)*?#~/Tactilo", "",    R"("/a;b&c|d<e>f(g)*?#~/Tactilo")"},
    ExecCase{"/a\"b/Tactilo", "",                  R"("/a\\"b/Tactilo")"},
    ExecCase{"/a`b/Tactilo", "",                   R"("/a\\`b/Tactilo")"},
    ExecCase{"/a$b/Tactilo", "",                   R"("/a\\$b/Tactilo")"},
    ExecCase{"/$HOME/Tactilo", " /c",              R"("/\\$HOME/Tactilo" /c)"},
    ExecCase{"/a\\b/Tactilo", "",                  R"("/a\\\\b/Tactilo")"},
    ExecCase{"/a\\\\b/Tactilo", "",                R"("/a\\\\\\\\b/Tactilo")"},
    ExecCase{"/a%b/Tactilo", "",                   R"("/a%%b/Tactilo")"},
    ExecCase{"/a%%u/Tactilo", "",                  R"("/a%%%%u/Tactilo")"},
    ExecCase{"/a\tb\nc\rd/Tactilo", "",            R"("/a\tb\nc\rd/Tactilo")"},
    ExecCase{"/m\xc3\xbcller/Tactilo", "",         "\"/m\xc3\xbcller/Tactilo\""},
    ExecCase{"/x \"$`\\%/Tactilo", " /s",          R"("/x \\"\\$\\`\\\\%%/Tactilo" /s)"}));
// clang-format on

TEST(XdgAutoStart, EntryLivesInTheAutostartFolderOfTheConfigHome) {
    CTempConfigDir config;
    EXPECT_EQ(CXdgAutoStart::EntryPath(), config.Path() + "/autostart/Tactilo.desktop");
}

TEST(XdgAutoStart, WriteMakesAStartableEntryAndReplacesAnOldOne) {
    CTempConfigDir config;
    CXdgAutoStart autoStart;
    ASSERT_TRUE(autoStart.Write("/old place/Tactilo", ""));
    ASSERT_TRUE(autoStart.Write("/opt/my tactilo/bin/Tactilo", " /cs"));

    const std::string strEntry = ReadFile(CXdgAutoStart::EntryPath());
    EXPECT_EQ(strEntry, CXdgAutoStart::EntryText("/opt/my tactilo/bin/Tactilo", " /cs"));
    EXPECT_EQ(strEntry.rfind("[Desktop Entry]\n", 0), 0u) << strEntry;
    for (const char* szLine :
         {"\nType=Application\n", "\nName=Tactilo\n", "\nTryExec=/opt/my tactilo/bin/Tactilo\n",
          "\nExec=\"/opt/my tactilo/bin/Tactilo\" /cs\n", "\nIcon=tactilo\n",
          "\nX-GNOME-Autostart-enabled=true\n"}) {
        EXPECT_NE(strEntry.find(szLine), std::string::npos) << szLine;
    }
    EXPECT_EQ(strEntry.find("/old place"), std::string::npos);
    // Nothing left over from writing it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.Path() + "/autostart"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(XdgAutoStart, RemoveTakesTheEntryAwayAndAMissingOneIsNoFailure) {
    CTempConfigDir config;
    CXdgAutoStart autoStart;
    EXPECT_TRUE(autoStart.Remove()) << "no folder, no entry";
    ASSERT_TRUE(autoStart.Write("/opt/tactilo/bin/Tactilo", ""));
    EXPECT_TRUE(autoStart.Remove());
    EXPECT_FALSE(std::filesystem::exists(CXdgAutoStart::EntryPath()));
    EXPECT_TRUE(autoStart.Remove());
}

TEST(XdgAutoStart, WriteFailsWhereNoFolderCanBe) {
    CTempConfigDir config;
    std::ofstream(config.Path() + "/autostart") << "a file where the folder belongs";
    CXdgAutoStart autoStart;
    EXPECT_FALSE(autoStart.Write("/opt/tactilo/bin/Tactilo", ""));
}

// A link planted at the old fixed temporary name is never written through; an entry or a
// folder that cannot take the entry is told, not left silent.
TEST(XdgAutoStart, WritesNothingThroughALinkAndSaysWhyItFailed) {
    CTempConfigDir config;
    const fs::path folder = fs::path(config.Path()) / "autostart";
    const fs::path victim = fs::path(config.Path()) / "victim";
    std::ofstream(victim) << "precious\n";
    fs::create_directories(folder);
    fs::create_symlink(victim, folder / "Tactilo.desktop.new");
    CXdgAutoStart autoStart;
    ASSERT_TRUE(autoStart.Write("/opt/tactilo/bin/Tactilo", "")) << autoStart.Problem();
    EXPECT_EQ(ReadFile(victim.string()), "precious\n");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / "Tactilo.desktop")));

    fs::remove(folder / "Tactilo.desktop");
    fs::create_directories(folder / "Tactilo.desktop");
    EXPECT_FALSE(autoStart.Write("/opt/tactilo/bin/Tactilo", ""));
    EXPECT_EQ(autoStart.Problem(),
              (folder / "Tactilo.desktop").string() + ": it is not a regular file");
    fs::remove(folder / "Tactilo.desktop");
    if (CanBecomeNobody()) {  // root can give the folder away
        ASSERT_EQ(chown(folder.c_str(), NobodyUid(), NobodyGid()), 0);
        EXPECT_FALSE(autoStart.Write("/opt/tactilo/bin/Tactilo", ""));
        EXPECT_NE(autoStart.Problem().find("belongs to the user nobody"), std::string::npos);
    }
}

}  // namespace
