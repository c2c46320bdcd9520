// "Settings.dat" through the Windows file replacer, on Wine's view of a real folder.
#include <gtest/gtest.h>
#include <windows.h>
#undef ReplaceFile  // the interface's, not <windows.h>'s ReplaceFileW

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "devices/DeviceStore.h"
#include "win32/Win32FileReplacer.h"

namespace {

namespace fs = std::filesystem;

class Win32FileReplacerTest : public ::testing::Test {
protected:
    Win32FileReplacerTest()
        : m_folder(fs::temp_directory_path() /
                   ("tactilo-files-" + std::to_string(GetCurrentProcessId()))) {
        fs::create_directories(m_folder);
    }
    ~Win32FileReplacerTest() override {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    static std::string Content(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path m_folder;
    CWin32FileReplacer m_replacer;
};

TEST_F(Win32FileReplacerTest, DeviceStoreSavesAndLoadsThroughIt) {
    const fs::path file = m_folder / "Settings.dat";
    CDeviceStore store(m_replacer, file.string());
    CDeviceLines lines;
    EXPECT_FALSE(store.LoadDevices(lines));  // no file yet: missing, not a problem
    EXPECT_TRUE(store.Problem().empty());

    lines.Add("first");
    lines.Add("");
    ASSERT_TRUE(store.SaveDevices(lines));
    EXPECT_EQ(Content(file), "first\r\n\r\n");

    // Saving again replaces the file whole and leaves nothing beside it.
    lines.Add("third");
    ASSERT_TRUE(store.SaveDevices(lines));
    EXPECT_EQ(Content(file), "first\r\n\r\nthird\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);

    CDeviceLines loaded;
    ASSERT_TRUE(store.LoadDevices(loaded));
    EXPECT_EQ(loaded.GetSize(), 3);
}

TEST_F(Win32FileReplacerTest, RefusesWhatItCannotReadWhole) {
    std::string strContent = "kept";
    // A folder is no settings file.
    FileOutcome outcome = m_replacer.ReadWhole(m_folder.string(), strContent, 1024);
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::Failed);
    EXPECT_FALSE(outcome.strReason.empty());

    const fs::path big = m_folder / "big.dat";
    ASSERT_TRUE(m_replacer.ReplaceFile(big.string(), std::string(3 * 1024 * 1024, 'x')).Ok());
    outcome = m_replacer.ReadWhole(big.string(), strContent, 2 * 1024 * 1024);
    EXPECT_EQ(outcome.strReason, "it is larger than 2 MiB");
    EXPECT_EQ(strContent, "kept");

    outcome = m_replacer.ReadWhole((m_folder / "none.dat").string(), strContent, 1024);
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::Missing);

    // A folder that does not exist: the write fails with the system's reason, nothing made.
    outcome = m_replacer.ReplaceFile((m_folder / "no" / "Settings.dat").string(), "x\r\n");
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::Failed);
    EXPECT_TRUE(outcome.bOldContentKept);
    EXPECT_FALSE(outcome.strReason.empty());
}

}  // namespace
