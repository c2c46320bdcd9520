#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "calibration/CalibrationCheck.h"

namespace {

using Readings = std::array<CalPoint, CAL_TARGET_COUNT>;

// A panel over a 1920 x 1080 monitor as real ones are: raw units 0..4095 across, either
// direction, the overlay turned by some degrees about the middle, and a bow of some share of
// full scale (each axis bends most in the middle of the other).
struct Panel {
    double dDegrees = 0.0;
    double dBow = 0.0;  // non-linearity, share of full scale
    bool bMirrorX = false;
    bool bMirrorY = false;

    CalPoint Raw(double dX, double dY) const {
        constexpr double dW = 1920, dH = 1080;
        const double dAngle = dDegrees * std::numbers::pi / 180.0;
        const double dCx = dX - dW / 2, dCy = dY - dH / 2;
        double dU = (dW / 2 + dCx * std::cos(dAngle) - dCy * std::sin(dAngle)) / dW;
        double dV = (dH / 2 + dCx * std::sin(dAngle) + dCy * std::cos(dAngle)) / dH;
        dU += dBow * 4 * dV * (1 - dV);
        dV += dBow * 4 * dU * (1 - dU);
        const double dRawX = (bMirrorX ? 1 - dU : dU) * 4095;
        const double dRawY = (bMirrorY ? 1 - dV : dV) * 4095;
        return {static_cast<int>(std::lround(dRawX)), static_cast<int>(std::lround(dRawY))};
    }

    // The readings of touches on the targets, each moved by an offset in pixels.
    Readings Touches(const std::array<CalPoint, CAL_TARGET_COUNT>& offsets = {}) const {
        const auto targets = CalTargetPositions(1920, 1080);
        Readings readings;
        for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
            readings[i] = Raw(targets[i].x + offsets[i].x, targets[i].y + offsets[i].y);
        }
        return readings;
    }
};

// The target touched instead of nTarget, as an offset from nTarget.
CalPoint Instead(int nTarget, int nTouched) {
    const auto targets = CalTargetPositions(1920, 1080);
    return {targets[nTouched].x - targets[nTarget].x, targets[nTouched].y - targets[nTarget].y};
}

Readings Exchanged(Readings readings) {
    for (CalPoint& pt : readings) {
        pt = {pt.y, pt.x};
    }
    return readings;
}

struct CheckRow {
    const char* szName;
    Readings readings;
    CalCheckResult expected;
};

constexpr CalCheckResult g_ok{};
constexpr CalCheckResult Misplaced(int nTarget) {
    return {CalCheckVerdict::Misplaced, nTarget};
}

const Readings g_worked = {{{100, 200}, {110, 790}, {505, 500}, {900, 210}, {910, 800}}};
const Readings g_workedMirrored = {{{900, 800}, {910, 210}, {495, 505}, {100, 790}, {110, 200}}};

const CheckRow g_rows[] = {
    {"WorkedExample", g_worked, g_ok},
    {"WorkedExampleMirrored", g_workedMirrored, g_ok},
    {"StraightPanelMirroredBoth", Panel{0, 0, true, true}.Touches(), g_ok},
    {"OneDegreeOff", Panel{1.0}.Touches(), g_ok},
    {"TwoDegreesOffOnAWideMonitor", Panel{-2.0, 0, true}.Touches(), g_ok},
    {"TwoPercentNonLinear", Panel{0, 0.02}.Touches(), g_ok},
    {"OneDegreeAndTwoPercent", Panel{1.0, 0.02, false, true}.Touches(), g_ok},
    {"ASloppyFingerOnEveryTarget",
     Panel{}.Touches({{{12, -9}, {-10, 11}, {14, 8}, {-13, -12}, {9, 14}}}), g_ok},
    {"CentreTouched290PixelsRight", Panel{}.Touches({{{}, {}, {290, 0}, {}, {}}}),
     Misplaced(CAL_CENTRE)},
    {"CentreTouched290PixelsUpOnAMirroredPanel",
     Panel{1.0, 0.01, true, true}.Touches({{{}, {}, {0, -290}, {}, {}}}), Misplaced(CAL_CENTRE)},
    {"TopRightTouchedAtTheBottomRight",
     Panel{}.Touches({{{}, {}, {}, Instead(CAL_TOP_RIGHT, CAL_BOTTOM_RIGHT), {}}}),
     Misplaced(CAL_TOP_RIGHT)},
    {"BottomLeftTouchedAtTheTopRight",
     Panel{0.5}.Touches({{{}, Instead(CAL_BOTTOM_LEFT, CAL_TOP_RIGHT), {}, {}, {}}}),
     Misplaced(CAL_BOTTOM_LEFT)},
    {"TopLeftTouchedTwice",  // the second target read where the first was
     Panel{}.Touches({{{}, Instead(CAL_BOTTOM_LEFT, CAL_TOP_LEFT), {}, {}, {}}}),
     Misplaced(CAL_BOTTOM_LEFT)},
    {"CentreTouchedTwice",  // the top right target read where the centre was
     Panel{0, 0, true}.Touches({{{}, {}, {}, Instead(CAL_TOP_RIGHT, CAL_CENTRE), {}}}),
     Misplaced(CAL_TOP_RIGHT)},
    {"BottomRightTouchedAtTheCentre",
     Panel{}.Touches({{{}, {}, {}, {}, Instead(CAL_BOTTOM_RIGHT, CAL_CENTRE)}}),
     Misplaced(CAL_BOTTOM_RIGHT)},
    {"AxesReportedTheOtherWayRound",
     Exchanged(Panel{0.5}.Touches()),
     {CalCheckVerdict::AxesSwapped, -1}},
};

class CalibrationCheckTest : public ::testing::TestWithParam<CheckRow> {};

}  // namespace

TEST_P(CalibrationCheckTest, TellsOnePanelFromAMisclick) {
    const CheckRow& row = GetParam();
    EXPECT_EQ(CheckCalibrationReadings(row.readings), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Readings, CalibrationCheckTest, ::testing::ValuesIn(g_rows),
                         [](const auto& info) { return std::string(info.param.szName); });

// Why not 5 %: a widescreen overlay turned 2 degrees puts its top pair 6.2 % of the vertical
// target distance apart, in every round the user tries.
TEST(CalibrationCheck, TheToleranceLetsATwoDegreeWidescreenMountThrough) {
    const Readings readings = Panel{2.0}.Touches();
    EXPECT_EQ(CheckCalibrationReadings(readings, 0.05).verdict, CalCheckVerdict::Misplaced);
    EXPECT_EQ(CheckCalibrationReadings(readings).verdict, CalCheckVerdict::Consistent);
}
