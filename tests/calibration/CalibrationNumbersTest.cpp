#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "calibration/CalibrationNumbers.h"
#include "calibration/CalibrationTargets.h"
#include "devices/TouchDevice.h"

namespace {

struct NumbersRow {
    const char* szName;
    CalReadings readings;
    int nWidth;
    int nHeight;
    std::optional<CalibrationNumbers> expected;
};

// Fields in memory order: scale x, scale y, min x, max x, min y, max y, centre x, centre y,
// left x, right x, span x, top y, bottom y, span y.
CalibrationNumbers Numbers(double dScaleX, double dScaleY, double dRawMinX, double dRawMaxX,
                           double dRawMinY, double dRawMaxY, double dCenterX, double dCenterY,
                           double dLeftX, double dRightX, double dSpanX, double dTopY,
                           double dBottomY, double dSpanY) {
    return {dScaleX,  dScaleY, dRawMinX, dRawMaxX, dRawMinY, dRawMaxY, dCenterX,
            dCenterY, dLeftX,  dRightX,  dSpanX,   dTopY,    dBottomY, dSpanY};
}

// readings: top left, top right, bottom right, bottom left, centre.
const NumbersRow g_rows[] = {
    {"WorkedExample",
     {{100, 200}, {900, 210}, {910, 800}, {110, 790}, {505, 500}},
     1920,
     1080,
     Numbers(1.92, 1.464406779661017, 5, 1005, 131, 868, 505, 499, 105, 905, 1000, 205, 795,
             737.5)},
    {"WorkedExampleMirrored",
     {{900, 800}, {100, 790}, {110, 200}, {910, 210}, {495, 505}},
     1920,
     1080,
     Numbers(1.92, 1.464406779661017, 5, 1005, 131, 868, 500, 502, 905, 105, 1000, 795, 205,
             737.5)},
    // The minimum is truncated toward zero, not floored: -89.5625 gives -89.
    {"NegativeMinimumTruncatesTowardZero",
     {{10, 100}, {811, 100}, {811, 900}, {11, 900}, {400, 500}},
     1000,
     1000,
     Numbers(1000 / 1000.625, 1.0, -89, 911, 0, 1000, 405, 500, 10.5, 811, 1000.625, 100, 900,
             1000)},
    // Equal top targets in x take the falling branch, whatever the averages say.
    {"EqualTopXTakesTheFallingBranch",
     {{500, 200}, {500, 210}, {910, 800}, {110, 790}, {505, 500}},
     1920,
     1080,
     Numbers(1920 / -500.0, 1.464406779661017, 755, 255, 131, 868, 505, 499, 305, 705, -500, 205,
             795, 737.5)},
    {"EqualLeftYTakesTheFallingBranch",
     {{100, 500}, {900, 210}, {910, 800}, {110, 500}, {505, 500}},
     1920,
     1080,
     Numbers(1.92, 1080 / -368.75, 5, 1005, 686, 317, 505, 500, 105, 905, 1000, 355, 650, -368.75)},
    // Two targets that should be 80 % apart read alike: no span, no numbers.
    {"NoSpanInX",
     {{500, 200}, {500, 210}, {500, 800}, {500, 790}, {505, 500}},
     1920,
     1080,
     std::nullopt},
    {"NoSpanInXFromUnequalReadings",
     {{100, 200}, {400, 210}, {300, 800}, {600, 790}, {505, 500}},
     1920,
     1080,
     std::nullopt},
    {"NoSpanInY",
     {{100, 500}, {900, 500}, {910, 500}, {110, 500}, {505, 500}},
     1920,
     1080,
     std::nullopt},
};

class CalibrationNumbersTest : public ::testing::TestWithParam<NumbersRow> {};

}  // namespace

TEST_P(CalibrationNumbersTest, ComputesEveryNumberExactly) {
    const NumbersRow& row = GetParam();
    const auto numbers = ComputeCalibration(row.readings, row.nWidth, row.nHeight);
    ASSERT_EQ(numbers.has_value(), row.expected.has_value());
    if (!numbers) {
        return;
    }
    // Exact comparisons on purpose: the numbers are stored with six decimals and compared by
    // the mapping, so the order of operations is part of the result.
    const CalibrationNumbers& e = *row.expected;
    EXPECT_EQ(numbers->m_dScaleX, e.m_dScaleX);
    EXPECT_EQ(numbers->m_dScaleY, e.m_dScaleY);
    EXPECT_EQ(numbers->m_dRawMinX, e.m_dRawMinX);
    EXPECT_EQ(numbers->m_dRawMaxX, e.m_dRawMaxX);
    EXPECT_EQ(numbers->m_dRawMinY, e.m_dRawMinY);
    EXPECT_EQ(numbers->m_dRawMaxY, e.m_dRawMaxY);
    EXPECT_EQ(numbers->m_dCenterX, e.m_dCenterX);
    EXPECT_EQ(numbers->m_dCenterY, e.m_dCenterY);
    EXPECT_EQ(numbers->m_dLeftX, e.m_dLeftX);
    EXPECT_EQ(numbers->m_dRightX, e.m_dRightX);
    EXPECT_EQ(numbers->m_dSpanX, e.m_dSpanX);
    EXPECT_EQ(numbers->m_dTopY, e.m_dTopY);
    EXPECT_EQ(numbers->m_dBottomY, e.m_dBottomY);
    EXPECT_EQ(numbers->m_dSpanY, e.m_dSpanY);
}

INSTANTIATE_TEST_SUITE_P(Rows, CalibrationNumbersTest, ::testing::ValuesIn(g_rows),
                         [](const auto& info) { return std::string(info.param.szName); });

TEST(CalibrationNumbers, StoringCopiesTheFourteenAndNothingElse) {
    TouchDevice device;
    device.m_strName = "Front";
    device.m_strMonitor = "DISPLAY1";
    device.m_rcMonitor = {0, 0, 1920, 1080};
    device.m_nIndex = 3;
    device.m_bSwapXY = 1;
    TouchDevice expected = device;
    expected.m_dScaleX = 1;
    expected.m_dScaleY = 2;
    expected.m_dRawMinX = 3;
    expected.m_dRawMaxX = 4;
    expected.m_dRawMinY = 5;
    expected.m_dRawMaxY = 6;
    expected.m_dCenterX = 7;
    expected.m_dCenterY = 8;
    expected.m_dLeftX = 9;
    expected.m_dRightX = 10;
    expected.m_dSpanX = 11;
    expected.m_dTopY = 12;
    expected.m_dBottomY = 13;
    expected.m_dSpanY = 14;

    StoreCalibration(Numbers(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14), device);
    EXPECT_EQ(device, expected);
}

TEST(CalibrationTargets, PositionsTruncateTowardZeroInTouchOrder) {
    using Positions = std::array<CalPoint, CAL_TARGET_COUNT>;
    // top left, bottom left, centre, top right, bottom right
    EXPECT_EQ(CalTargetPositions(1920, 1080),
              (Positions{{{192, 108}, {192, 972}, {960, 540}, {1728, 108}, {1728, 972}}}));
    EXPECT_EQ(CalTargetPositions(1366, 768),
              (Positions{{{136, 76}, {136, 691}, {683, 384}, {1229, 76}, {1229, 691}}}));
    EXPECT_EQ(CalTargetPositions(9, 9), (Positions{{{0, 0}, {0, 8}, {4, 4}, {8, 0}, {8, 8}}}));

    EXPECT_STREQ(CalTargetLabel(0), "1010");
    EXPECT_STREQ(CalTargetLabel(1), "1090");
    EXPECT_STREQ(CalTargetLabel(2), "5050");
    EXPECT_STREQ(CalTargetLabel(3), "9010");
    EXPECT_STREQ(CalTargetLabel(4), "9090");
}
