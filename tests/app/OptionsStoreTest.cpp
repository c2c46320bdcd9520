#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "RecordingMessageBox.h"
#include "TempConfigDir.h"
#include "app/Options.h"
#include "qt/OptionsStore.h"

namespace {

std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(OptionsStore, TheFileIsTheProgramsConfInTheBrenholdFolder) {
    CTempConfigDir config;
    EXPECT_EQ(COptionsStore("Tactilo").FilePath(), config.Path() + "/Brenhold/Tactilo.conf");
}

TEST(OptionsStore, NoFileGivesTheDefaultsAndMakesNone) {
    CTempConfigDir config;
    COptionsStore store("Tactilo");
    const Options options = ReadOptions(store);
    EXPECT_TRUE(options.m_bAutoStart);
    EXPECT_EQ(options.m_strPrecision, "15");
    EXPECT_EQ(options.m_nRightClickTime, 2000u);
    EXPECT_FALSE(std::filesystem::exists(store.FilePath()));
}

TEST(OptionsStore, WrittenOptionsComeBackAndStandInTheSettingsGroup) {
    CTempConfigDir config;
    CRecordingMessageBox messages;
    Options options;
    options.m_bAutoStart = false;
    options.m_strPrecision = "20";
    options.m_nRightClickTime = 750;
    {
        COptionsStore store("Tactilo");
        EXPECT_TRUE(WriteOptions(store, options, messages));
    }
    EXPECT_TRUE(messages.Messages().empty());

    COptionsStore store("Tactilo");
    const Options readBack = ReadOptions(store);
    EXPECT_FALSE(readBack.m_bAutoStart);
    EXPECT_EQ(readBack.m_strPrecision, "20");
    EXPECT_EQ(readBack.m_nRightClickTime, 750u);

    const std::string strFile = ReadFile(store.FilePath());
    for (const char* szLine :
         {"[SETTINGS]\n", "AutoStart=0\n", "Precision=20\n", "RightClickTime=750\n"}) {
        EXPECT_NE(strFile.find(szLine), std::string::npos) << szLine << " in\n" << strFile;
    }
}

// QSettings would remember the first configuration folder of the process; the store must
// follow XDG_CONFIG_HOME wherever it points now.
TEST(OptionsStore, FollowsTheConfigFolderOfTheMoment) {
    CTempConfigDir first;
    COptionsStore store("Tactilo");
    ASSERT_EQ(store.WriteProfileString("SETTINGS", "Precision", "30"), 0);
    {
        CTempConfigDir second;
        EXPECT_EQ(store.GetProfileString("SETTINGS", "Precision", "15"), "15");
        ASSERT_EQ(store.WriteProfileString("SETTINGS", "Precision", "5"), 0);
    }
    EXPECT_EQ(store.GetProfileString("SETTINGS", "Precision", "15"), "30");
}

TEST(OptionsStore, AStoredValueOfTheWrongKindGivesTheDefault) {
    CTempConfigDir config;
    COptionsStore store("Tactilo");
    std::filesystem::create_directories(config.Path() + "/Brenhold");
    std::ofstream(store.FilePath()) << "[SETTINGS]\nAutoStart=yes\nRightClickTime=\nPrecision=12\n";
    const Options options = ReadOptions(store);
    EXPECT_TRUE(options.m_bAutoStart);
    EXPECT_EQ(options.m_nRightClickTime, 2000u);
    EXPECT_EQ(options.m_strPrecision, "12");
    EXPECT_EQ(PrecisionSelection(options.m_strPrecision), 1);
}

// Something that is no file where the file belongs: every key fails on its own, with the
// error number the store documents.
TEST(OptionsStore, AnUnwritableFileFailsEveryKeyWithEacces) {
    CTempConfigDir config;
    COptionsStore store("Tactilo");
    std::filesystem::create_directories(store.FilePath());
    CRecordingMessageBox messages;
    EXPECT_FALSE(WriteOptions(store, Options{}, messages));
    ASSERT_EQ(messages.Messages().size(), 3u);
    EXPECT_EQ(messages.Messages()[0].first, "Writing AutoStart failed. Error: 13");
    EXPECT_EQ(messages.Messages()[1].first, "Writing Precision failed. Error: 13");
    EXPECT_EQ(messages.Messages()[2].first, "Writing RightClickTime failed. Error: 13");
}

TEST(OptionsStore, TheProgramsNameIsItsFileName) {
    // This test program's own file, as /proc/self/exe names it.
    EXPECT_EQ(COptionsStore::ExecutableFileName(), "app_ui_tests");
}

}  // namespace

// A file edited by hand: whatever the window's field would refuse reads as the default, so a
// wrapped or cut number can never switch the right click off.
TEST(OptionsStore, HandEditedValuesOutsideTheFieldsRangeReadAsTheDefault) {
    CTempConfigDir config;
    int nRow = 0;
    for (const auto& [szStored, nExpectedMs] : {std::pair{"99999999999", 2000u},
                                                {"-1", 2000u},
                                                {"-2147483648", 2000u},
                                                {"4294967295", 2000u},
                                                {"5001", 2000u},
                                                {"5000", 5000u},
                                                {"0", 0u}}) {
        // A file per row: the toolkit caches a file whose size and time look unchanged.
        COptionsStore store("Row" + std::to_string(nRow++));
        std::filesystem::create_directories(std::filesystem::path(store.FilePath()).parent_path());
        std::ofstream(store.FilePath())
            << "[SETTINGS]\nRightClickTime=" << szStored << "\nPrecision=99999999999\n";
        const Options options = ReadOptions(store);
        EXPECT_EQ(options.m_nRightClickTime, nExpectedMs) << szStored;
        EXPECT_EQ(PrecisionSelection(options.m_strPrecision), PRECISION_FALLBACK_INDEX);
    }
}
