#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "FakeAutoStart.h"
#include "FakeOptionsStore.h"
#include "RecordingMessageBox.h"
#include "app/AutoStart.h"
#include "app/Options.h"

namespace {

TEST(Options, NothingStoredGivesTheDefaults) {
    CFakeOptionsStore store;
    const Options options = ReadOptions(store);
    EXPECT_TRUE(options.m_bAutoStart);
    EXPECT_EQ(options.m_strPrecision, "15");
    EXPECT_EQ(options.m_nRightClickTime, 2000u);
    EXPECT_EQ(PrecisionSelection(options.m_strPrecision), 2);
}

TEST(Options, StoredValuesAreRead) {
    CFakeOptionsStore store;
    store.m_mapValues = {{"SETTINGS/AutoStart", "0"},
                         {"SETTINGS/Precision", "20"},
                         {"SETTINGS/RightClickTime", "750"},
                         {"OTHER/Precision", "5"}};
    const Options options = ReadOptions(store);
    EXPECT_FALSE(options.m_bAutoStart);
    EXPECT_EQ(options.m_strPrecision, "20");
    EXPECT_EQ(options.m_nRightClickTime, 750u);
}

struct PrecisionCase {
    const char* szStored;
    int nIndex;   // the drop-down entry selected
    int nPixels;  // the precision that entry gives
};

void PrintTo(const PrecisionCase& c, std::ostream* pOut) {
    *pOut << '"' << c.szStored << '"';
}

class PrecisionTable : public ::testing::TestWithParam<PrecisionCase> {};

TEST_P(PrecisionTable, SelectsTheEntryOrTen) {
    const PrecisionCase& c = GetParam();
    const int nIndex = PrecisionSelection(c.szStored);
    EXPECT_EQ(nIndex, c.nIndex);
    EXPECT_EQ(PrecisionPixels(PRECISION_ENTRIES[static_cast<std::size_t>(nIndex)]), c.nPixels);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Options, PrecisionTable, ::testing::Values(
    PrecisionCase{"5", 0, 5},     PrecisionCase{"10", 1, 10},   PrecisionCase{"15", 2, 15},
    PrecisionCase{"20", 3, 20},   PrecisionCase{"25", 4, 25},   PrecisionCase{"30", 5, 30},
    // not an entry, however close: "10"
    PrecisionCase{"12", 1, 10},   PrecisionCase{"", 1, 10},     PrecisionCase{"015", 1, 10},
    PrecisionCase{" 15", 1, 10},  PrecisionCase{"15 ", 1, 10},  PrecisionCase{"35", 1, 10},
    PrecisionCase{"abc", 1, 10},  PrecisionCase{"-5", 1, 10}));
// clang-format on

struct DelayCase {
    const char* szText;
    bool bValid;
    unsigned nValueMs;      // when valid
    const char* szMessage;  // when not
};

void PrintTo(const DelayCase& c, std::ostream* pOut) {
    *pOut << '"' << c.szText << '"';
}

class RightClickTimeTable : public ::testing::TestWithParam<DelayCase> {};

TEST_P(RightClickTimeTable, AcceptsOnlyZeroToFiveThousand) {
    const DelayCase& c = GetParam();
    unsigned nValueMs = 1234;
    std::string strMessage;
    EXPECT_EQ(ParseRightClickTime(c.szText, nValueMs, strMessage), c.bValid);
    if (c.bValid) {
        EXPECT_EQ(nValueMs, c.nValueMs);
        EXPECT_EQ(strMessage, "");
    } else {
        EXPECT_EQ(nValueMs, 1234u) << "a refused text must leave the value alone";
        EXPECT_EQ(strMessage, c.szMessage);
    }
}

constexpr const char* g_szNotANumber = "Please enter an unsigned integer.";
constexpr const char* g_szOutOfRange = "Please enter an integer between 0 and 5000.";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Options, RightClickTimeTable, ::testing::Values(
    DelayCase{"0", true, 0, ""},
    DelayCase{"5000", true, 5000, ""},
    DelayCase{"2000", true, 2000, ""},
    DelayCase{"  750\t", true, 750, ""},
    DelayCase{"0005000", true, 5000, ""},
    DelayCase{"", false, 0, g_szNotANumber},
    DelayCase{"   ", false, 0, g_szNotANumber},
    DelayCase{"abc", false, 0, g_szNotANumber},
    DelayCase{"-1", false, 0, g_szNotANumber},
    DelayCase{"+5", false, 0, g_szNotANumber},
    DelayCase{"12ms", false, 0, g_szNotANumber},
    DelayCase{"1 000", false, 0, g_szNotANumber},
    DelayCase{"1.5", false, 0, g_szNotANumber},
    DelayCase{"5001", false, 0, g_szOutOfRange},
    DelayCase{"65536", false, 0, g_szOutOfRange},
    DelayCase{"4294967296", false, 0, g_szOutOfRange},
    DelayCase{"99999999999999999999999", false, 0, g_szOutOfRange}));
// clang-format on

TEST(Options, WritesAllThreeKeysInOrder) {
    CFakeOptionsStore store;
    CRecordingMessageBox messages;
    Options options;
    options.m_bAutoStart = false;
    options.m_strPrecision = "25";
    options.m_nRightClickTime = 0;

    EXPECT_TRUE(WriteOptions(store, options, messages));
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(store.m_vecWrites,
              (std::vector<std::string>{"SETTINGS/AutoStart", "SETTINGS/Precision",
                                        "SETTINGS/RightClickTime"}));
    const Options readBack = ReadOptions(store);
    EXPECT_FALSE(readBack.m_bAutoStart);
    EXPECT_EQ(readBack.m_strPrecision, "25");
    EXPECT_EQ(readBack.m_nRightClickTime, 0u);
}

// One message per failed key, and the keys after a failure are still written.
TEST(Options, EachFailedWriteIsReportedAndTheRestWritten) {
    CFakeOptionsStore store;
    store.m_setFailing = {"AutoStart", "RightClickTime"};
    store.m_nError = 30;
    CRecordingMessageBox messages;

    EXPECT_FALSE(WriteOptions(store, Options{}, messages));
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[0].first, "Writing AutoStart failed. Error: 30");
    EXPECT_EQ(messages.Messages()[1].first, "Writing RightClickTime failed. Error: 30");
    EXPECT_EQ(messages.Messages()[0].second, MessageIcon::None);
    EXPECT_EQ(store.m_vecWrites.size(), 3u);
    EXPECT_EQ(store.m_mapValues.at("SETTINGS/Precision"), "15");

    store.m_setFailing = {"Precision"};
    messages.Clear();
    WriteOptions(store, Options{}, messages);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].first, "Writing Precision failed. Error: 30");
}

TEST(AutoStart, OkWritesTheProgramWithTheSuffixOrRemovesTheEntry) {
    CFakeAutoStart autoStart;
    EXPECT_TRUE(ApplyAutoStart(autoStart, true, "/opt/my tactilo/bin/", " /cs"));
    ASSERT_TRUE(autoStart.m_entry);
    EXPECT_EQ(autoStart.m_entry->strProgram, "/opt/my tactilo/bin/Tactilo");
    EXPECT_EQ(autoStart.m_entry->strArguments, " /cs");

    EXPECT_TRUE(ApplyAutoStart(autoStart, false, "/opt/my tactilo/bin/", " /cs"));
    EXPECT_FALSE(autoStart.m_entry);
    EXPECT_EQ(autoStart.m_nWrites, 1);
    EXPECT_EQ(autoStart.m_nRemoves, 1);
}

}  // namespace
