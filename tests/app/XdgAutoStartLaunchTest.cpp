// The autostart entry as a desktop really reads it: GLib's launcher (gio launch) starts the
// program from the entry's Exec, so a path quoted or escaped the wrong way starts nothing, or
// the wrong file, or passes the wrong arguments.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ChildProcess.h"
#include "TempConfigDir.h"
#include "linux/XdgAutoStart.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class LaunchTable : public ::testing::TestWithParam<const char*> {};

TEST_P(LaunchTable, TheDesktopStartsThisProgramWithTheSwitch) {
    CTempConfigDir config;
    const std::filesystem::path folder = std::filesystem::path(config.Path()) / GetParam();
    std::filesystem::create_directories(folder);
    const std::filesystem::path marker = std::filesystem::path(config.Path()) / "started";
    const std::filesystem::path program = folder / "Tactilo";
    {
        // The stand-in names itself and its arguments, one a line.
        std::ofstream script(program);
        script << "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" << marker.string() << "'\n";
    }
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);

    ASSERT_TRUE(CXdgAutoStart().Write(program.string(), " /cs"));

    CChildProcess gio({"gio", "launch", CXdgAutoStart::EntryPath()});
    const int nStatus = gio.Wait(std::chrono::seconds(20));
    ASSERT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0)
        << "gio launch failed (is libglib2.0-bin installed? scripts/deps installs it):\n"
        << gio.Log() << "\nentry:\n"
        << ReadFile(CXdgAutoStart::EntryPath());
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(marker).size() > 0; })) << gio.Log();
    // The launcher may still be writing: wait for the whole text.
    const std::string strExpected = program.string() + "\n/cs\n";
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(marker) == strExpected; }))
        << ReadFile(marker) << "\nentry:\n"
        << ReadFile(CXdgAutoStart::EntryPath());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(XdgAutoStart, LaunchTable, ::testing::Values(
    "plain",
    "My Programs",
    "it's here",
    "say \"hi\"",
    "back`tick`",
    "$HOME",
    "cost $5 (or more)",
    "back\\slash",
    "two\\\\slashes",
    "a;b&c|d<e>f*?#~",
    "tab\there",
    "all \"$`\\' of them"));
// clang-format on

}  // namespace
