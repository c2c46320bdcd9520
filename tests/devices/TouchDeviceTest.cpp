#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <random>
#include <string>

#include "devices/LegacyText.h"
#include "devices/NumberText.h"
#include "devices/TouchDevice.h"

namespace {

TouchDevice WorkedDevice() {
    TouchDevice device;
    device.m_strName = "Front";
    device.m_strMonitor = "DISPLAY1";
    device.m_strPort = "COM3";
    device.m_strBaudRate = "9600";
    device.m_bConnect = 1;
    device.m_rcMonitor = {0, 0, 1920, 1080};
    device.m_dScaleX = 1.92;
    device.m_dScaleY = 1080 / 737.5;
    device.m_dRawMinX = 5;
    device.m_dRawMaxX = 1005;
    device.m_dRawMinY = 131;
    device.m_dRawMaxY = 868;
    device.m_dCenterX = 505;
    device.m_dCenterY = 499;
    device.m_dLeftX = 105;
    device.m_dRightX = 905;
    device.m_dSpanX = 1000;
    device.m_dTopY = 205;
    device.m_dBottomY = 795;
    device.m_dSpanY = 737.5;
    return device;
}

const char* const g_szWorkedLine =
    "Front;DISPLAY1;COM3;9600;1;0;1920;0;1080;1.920000;1005.000000;5.000000;1.464407;"
    "868.000000;131.000000;505.000000;499.000000;105.000000;905.000000;1000.000000;"
    "205.000000;795.000000;737.500000;0;0;";

}  // namespace

TEST(DeviceLine, WorkedDeviceFormatsByteForByte) {
    const std::string strLine = FormatDeviceLine(WorkedDevice());
    EXPECT_EQ(strLine, g_szWorkedLine);
    EXPECT_EQ(strLine.size(), 195u);
}

TEST(DeviceLine, DefaultRecordFormatsAs144Characters) {
    const std::string strLine = FormatDeviceLine(TouchDevice{});
    EXPECT_EQ(strLine.size(), 144u);
    EXPECT_EQ(strLine.substr(0, 4), ";;;;");
    EXPECT_EQ(std::count(strLine.begin(), strLine.end(), ';'), 25);
    EXPECT_EQ(strLine.substr(4, 10), "0;0;0;0;0;");
}

TEST(DeviceLine, FormatsInTheClassicLocaleWhateverTheUserLocale) {
    // Some test machines lack the locale; the test only means something where it exists.
    const char* szOld = std::setlocale(LC_ALL, nullptr);
    const std::string strOld = szOld ? szOld : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
    EXPECT_EQ(FormatDeviceLine(WorkedDevice()), g_szWorkedLine);
    EXPECT_DOUBLE_EQ(ParseDeviceLine(g_szWorkedLine).m_dSpanY, 737.5);
    std::setlocale(LC_ALL, strOld.c_str());
}

TEST(DeviceLine, WorkedLineParsesBack) {
    const TouchDevice parsed = ParseDeviceLine(g_szWorkedLine);
    TouchDevice expected = WorkedDevice();
    expected.m_dScaleY = 1.464407;  // six decimals survive the line
    EXPECT_EQ(parsed, expected);
}

TEST(DeviceLine, LinesWithoutSemicolonsGiveDefaultRecords) {
    for (const std::string& strLine : {std::string(), std::string("Front"),
                                       std::string("\0\0\x01", 3), std::string(100000, 'x')}) {
        EXPECT_EQ(ParseDeviceLine(strLine), TouchDevice{});
    }
}

TEST(DeviceLine, MissingAndExtraFields) {
    const std::string strFull = FormatDeviceLine(WorkedDevice());
    // 24 fields: the swap flag is missing.
    TouchDevice swapped = WorkedDevice();
    swapped.m_bSwapXY = 1;
    swapped.m_nIndex = 7;
    std::string strLine = FormatDeviceLine(swapped);
    EXPECT_EQ(ParseDeviceLine(strLine).m_bSwapXY, 1);
    // The last field without its ';' is lost.
    strLine.pop_back();
    EXPECT_EQ(ParseDeviceLine(strLine).m_bSwapXY, 0);
    EXPECT_EQ(ParseDeviceLine(strLine).m_nIndex, 7);
    // Extra fields and trailing text are ignored.
    EXPECT_EQ(ParseDeviceLine(strFull + "9;9;9;junk"), ParseDeviceLine(strFull));
}

TEST(DeviceLine, IndexKeepsItsLowSixteenBits) {
    struct Row {
        const char* szToken;
        int nIndex;
    };
    for (const Row& row : {Row{"65537", 1}, Row{"40000", -25536}, Row{"70000", 4464}, Row{"-1", -1},
                           Row{"32767", 32767}, Row{"32768", -32768}}) {
        std::string strLine =
            std::string(";;;;0;0;0;0;0;") + "0;0;0;0;0;0;0;0;0;0;0;0;0;0;" + row.szToken + ";0;";
        EXPECT_EQ(ParseDeviceLine(strLine).m_nIndex, row.nIndex) << row.szToken;
    }
}

TEST(DeviceLine, NegativeRectangleRoundTrips) {
    TouchDevice device;
    device.m_rcMonitor = {-1280, 0, 0, 1024};
    const std::string strLine = FormatDeviceLine(device);
    EXPECT_NE(strLine.find(";-1280;0;0;1024;"), std::string::npos);
    EXPECT_EQ(ParseDeviceLine(strLine).m_rcMonitor, device.m_rcMonitor);
}

TEST(DeviceLine, TextFieldsAreKeptByteForByte) {
    TouchDevice device;
    device.m_strName = std::string(" \xe4\xf6 tab\there ");
    device.m_strMonitor = "DISPLAY\x01";
    const TouchDevice parsed = ParseDeviceLine(FormatDeviceLine(device));
    EXPECT_EQ(parsed.m_strName, device.m_strName);
    EXPECT_EQ(parsed.m_strMonitor, device.m_strMonitor);
}

// Formatting what was parsed from a formatted line gives the same line, for any values.
TEST(DeviceLine, FormatParseFormatIsStable) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> number(-1e6, 1e6);
    for (int nRound = 0; nRound < 2000; ++nRound) {
        TouchDevice device;
        device.m_strName = "Dev" + std::to_string(nRound);
        device.m_bConnect = static_cast<int>(random() % 2);
        device.m_rcMonitor = {static_cast<int>(random() % 5000) - 2500, 0, 1920, 1080};
        for (double* pValue : {&device.m_dScaleX, &device.m_dScaleY, &device.m_dCenterX,
                               &device.m_dSpanY, &device.m_dBottomY}) {
            *pValue = number(random);
        }
        device.m_nIndex = static_cast<std::int16_t>(random());
        const std::string strLine = FormatDeviceLine(device);
        ASSERT_EQ(FormatDeviceLine(ParseDeviceLine(strLine)), strLine);
    }
}

namespace {

struct IntRow {
    const char* szToken;
    int nValue;
};
struct DoubleRow {
    const char* szToken;
    double dValue;
};

}  // namespace

TEST(NumberText, IntegersReadLikeAtoi) {
    for (const IntRow& row :
         {IntRow{"12abc", 12}, IntRow{"abc", 0}, IntRow{"", 0}, IntRow{" 3", 3}, IntRow{"1.9", 1},
          IntRow{"-42", -42}, IntRow{"+7", 7}, IntRow{"\t\n 5", 5}, IntRow{"- 5", 0},
          IntRow{"--5", 0}, IntRow{"2147483647", 2147483647},
          // Beyond the int range: the limit of the sign, never the low 32 bits.
          IntRow{"2147483648", 2147483647}, IntRow{"4294967297", 2147483647},
          IntRow{"99999999999999999999999", 2147483647}, IntRow{"-2147483648", INT_MIN},
          IntRow{"-2147483649", INT_MIN}, IntRow{"-99999999999999999999", INT_MIN}}) {
        EXPECT_EQ(TextToInt(row.szToken), row.nValue) << '"' << row.szToken << '"';
    }
}

TEST(NumberText, NumbersReadLikeAtof) {
    for (const DoubleRow& row :
         {DoubleRow{"2.5e1", 25.0}, DoubleRow{"1.5", 1.5}, DoubleRow{"abc", 0.0},
          DoubleRow{"", 0.0}, DoubleRow{" -3.25x", -3.25}, DoubleRow{".5", 0.5},
          DoubleRow{"5.", 5.0}, DoubleRow{"1e", 1.0}, DoubleRow{"+2", 2.0},
          DoubleRow{"1e-400", 0.0}, DoubleRow{"1E3", 1000.0},
          // Hexadecimal is the number 0 followed by other text.
          DoubleRow{"0x10", 0.0}, DoubleRow{"0x1p4", 0.0}, DoubleRow{"-0X1A", 0.0},
          DoubleRow{"0x", 0.0}}) {
        EXPECT_DOUBLE_EQ(TextToDouble(row.szToken), row.dValue) << '"' << row.szToken << '"';
    }
    EXPECT_TRUE(std::isinf(TextToDouble("1e400")));
    EXPECT_TRUE(std::isinf(TextToDouble("-inf")));
    EXPECT_TRUE(std::isnan(TextToDouble("nan")));
}

TEST(TouchDevice, NumberFieldsBeyondTheirRangeOrInHexReadAsTheOldFilesDo) {
    const TouchDevice device =
        ParseDeviceLine("n;m;COM1;9600;4294967297;-4294967297;0x10;0;0;0x1p4;1e2;");
    EXPECT_EQ(device.m_bConnect, INT_MAX);
    EXPECT_EQ(device.m_rcMonitor.left, INT_MIN);
    EXPECT_EQ(device.m_rcMonitor.right, 0);
    EXPECT_EQ(device.m_dScaleX, 0.0);
    EXPECT_EQ(device.m_dRawMaxX, 100.0);
}

TEST(NumberText, FixedPointWithSixDecimals) {
    EXPECT_EQ(DoubleToText(1.5), "1.500000");
    EXPECT_EQ(DoubleToText(-1), "-1.000000");
    EXPECT_EQ(DoubleToText(0.1234567), "0.123457");
    EXPECT_EQ(DoubleToText(1080 / 737.5), "1.464407");
    EXPECT_EQ(DoubleToText(1e300).size(), 301u + 7u);
}

namespace {

struct TextRow {
    const char* szName;
    std::string strStored;  // bytes in the file
    std::string strShown;   // UTF-8 on the screen
};

class LegacyTextTable : public ::testing::TestWithParam<TextRow> {};

}  // namespace

// Shown as UTF-8 when the bytes are UTF-8, else as Windows-1252; stored back byte for byte
// while the text is not edited.
TEST_P(LegacyTextTable, ShowsTheBytesAndKeepsThemWhenUnedited) {
    const TextRow& row = GetParam();
    EXPECT_EQ(DisplayText(row.strStored), row.strShown);
    EXPECT_EQ(StoredText(DisplayText(row.strStored), row.strStored), row.strStored);
    EXPECT_EQ(StoredText(row.strShown + "2", row.strStored), row.strShown + "2");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LegacyTextTable,
    ::testing::Values(TextRow{"Ascii", "Front", "Front"},
                      TextRow{"Utf8", "Ger\xC3\xA4t", "Ger\xC3\xA4t"},
                      TextRow{"Cp1252", "Ger\xE4t", "Ger\xC3\xA4t"},
                      TextRow{"Cp1252Euro", "\x80 5", "\xE2\x82\xAC 5"},
                      TextRow{"UndefinedByte", "a\x81", "a\xC2\x81"},
                      TextRow{"Overlong", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
                      TextRow{"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
                      TextRow{"CutSequence", "\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},
                      TextRow{"BeyondUnicode", "\xF4\x90\x80\x80",
                              "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}),
    [](const auto& info) { return std::string(info.param.szName); });

TEST(LegacyText, AFieldTheUserRetypedIsStoredAsTyped) {
    // The same letters typed again are the same text: the old bytes stay.
    EXPECT_EQ(StoredText("Ger\xC3\xA4t", "Ger\xE4t"), "Ger\xE4t");
    EXPECT_EQ(StoredText("Ger\xC3\xA4te", "Ger\xE4t"), "Ger\xC3\xA4te");
    EXPECT_TRUE(IsUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsUtf8("\xF0\x9F\x98"));
}
