// Options, the Run entry and the terminate message in Wine's registry and window station.
#include <gtest/gtest.h>
#include <windows.h>
#undef GetProfileInt
#undef GetProfileString
#undef WriteProfileString

#include <string>

#include "RecordingMessageBox.h"
#include "app/AutoStart.h"
#include "app/Options.h"
#include "win32/RegistryOptionsStore.h"
#include "win32/RunKeyAutoStart.h"
#include "win32/Win32Module.h"
#include "win32/Win32Text.h"

namespace {

// A key of the test's own under HKEY_CURRENT_USER, removed with everything under it.
class Win32RegistryTest : public ::testing::Test {
protected:
    Win32RegistryTest()
        : m_strKey("Software\\Brenhold\\TactiloTest" + std::to_string(GetCurrentProcessId())) {}
    ~Win32RegistryTest() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(m_strKey).c_str());
    }

    std::string ReadText(const std::string& strSubKey, const std::string& strValue) {
        wchar_t szData[512] = {};
        DWORD nBytes = sizeof szData;
        if (RegGetValueW(HKEY_CURRENT_USER, Utf8ToWide(m_strKey + strSubKey).c_str(),
                         Utf8ToWide(strValue).c_str(), RRF_RT_REG_SZ, nullptr, szData,
                         &nBytes) != ERROR_SUCCESS) {
            return "<none>";
        }
        return WideToUtf8(szData);
    }

    std::string m_strKey;
};

TEST_F(Win32RegistryTest, OptionsRoundTripAsDwordsAndTexts) {
    CRegistryOptionsStore store(m_strKey);
    const Options defaults = ReadOptions(store);
    EXPECT_TRUE(defaults.m_bAutoStart);
    EXPECT_EQ(defaults.m_strPrecision, "15");
    EXPECT_EQ(defaults.m_nRightClickTime, 2000u);

    Options options;
    options.m_bAutoStart = false;
    options.m_strPrecision = "25";
    options.m_nRightClickTime = 450;
    CRecordingMessageBox messages;
    ASSERT_TRUE(WriteOptions(store, options, messages));
    EXPECT_TRUE(messages.Messages().empty());
    const Options read = ReadOptions(store);
    EXPECT_FALSE(read.m_bAutoStart);
    EXPECT_EQ(read.m_strPrecision, "25");
    EXPECT_EQ(read.m_nRightClickTime, 450u);
    EXPECT_EQ(ReadText("\\SETTINGS", "Precision"), "25");

    // A value of the wrong type reads as its default, not as garbage.
    ASSERT_EQ(store.WriteProfileString("SETTINGS", "RightClickTime", "450"), 0);
    EXPECT_EQ(store.GetProfileInt("SETTINGS", "RightClickTime", 2000), 2000);
}

TEST_F(Win32RegistryTest, RunEntryQuotesThePathAndGoesAway) {
    CRunKeyAutoStart autoStart(m_strKey + "\\Run");
    ASSERT_TRUE(ApplyAutoStart(autoStart, true, "C:\\Program Files\\Tactilo\\", " /cs"));
    EXPECT_EQ(ReadText("\\Run", "Tactilo"), "\"C:\\Program Files\\Tactilo\\Tactilo.exe\" /cs");
    ASSERT_TRUE(ApplyAutoStart(autoStart, true, "C:\\Tools\\", ""));
    EXPECT_EQ(ReadText("\\Run", "Tactilo"), "\"C:\\Tools\\Tactilo.exe\"");

    EXPECT_TRUE(ApplyAutoStart(autoStart, false, "C:\\Tools\\", ""));
    EXPECT_EQ(ReadText("\\Run", "Tactilo"), "<none>");
    EXPECT_TRUE(autoStart.Remove());  // no entry is no failure
}

TEST(Win32Module, TerminateMessageBelongsToOneExecutable) {
    const std::string strPath = ModuleFilePath();
    EXPECT_EQ(Win32AppDirectory() + "win32_tests.exe", strPath);
    EXPECT_EQ(TerminateMessageName("C:\\T\\Tactilo.exe"),
              "BRENHOLD-QX-TerminateBrenholdTactilo-C:\\T\\Tactilo.exe");
    const unsigned nMessage = RegisterTerminateMessage(strPath);
    EXPECT_GE(nMessage, 0xC000u);  // registered messages live above 0xC000
    EXPECT_EQ(RegisterTerminateMessage(strPath), nMessage);
    EXPECT_NE(RegisterTerminateMessage(strPath + "x"), nMessage);
}

// --help on Windows names Windows' places: the registry key, the files beside the program,
// the COM ports Windows assigns; nothing of the Linux paths and links.
TEST(Win32Module, UsageTextNamesTheRegistryAndNoLinuxPath) {
    const std::string strText =
        UsageText(Win32UsageFacts("C:\\Tools\\", CRegistryOptionsStore().KeyName()));
    for (const char* szExpected :
         {"  devices     C:\\Tools\\Settings.dat\n", "  manual      C:\\Tools\\Help.pdf\n",
          "  options     HKEY_CURRENT_USER\\Software\\Brenhold\\Tactilo\\SETTINGS"}) {
        EXPECT_NE(strText.find(szExpected), std::string::npos) << szExpected << " in\n" << strText;
    }
    for (const char* szLinux : {"/tmp", "/dev/", "ln -s", ".conf", "/Brenhold/"}) {
        EXPECT_EQ(strText.find(szLinux), std::string::npos) << szLinux << " in\n" << strText;
    }
}

}  // namespace
