#include <gtest/gtest.h>

#include <cmath>

#include "RecordingTraceSink.h"
#include "touch/AxisMapping.h"

namespace {

// The worked axis: forward, monitor from 0, 1920 wide, A = 180, B = 860, C = 517.
const AxisCalibration g_worked{180, 860, 517, 1920.0 / 850.0, 1920, 0};

struct MapRow {
    double dRaw;
    double dExpected;
    const char* szTrace;
};

class WorkedAxis : public ::testing::TestWithParam<MapRow> {};

}  // namespace

TEST_P(WorkedAxis, MapsFromTheNearestAnchor) {
    CRecordingTraceSink trace;
    EXPECT_NEAR(MapXAxis(g_worked, GetParam().dRaw, trace), GetParam().dExpected, 0.005);
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{GetParam().szTrace});
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedAxis,
    ::testing::Values(
        MapRow{600, 1147.48, "X50 ->\n"},     // rule 1: nearer the centre than the 90 % line
        MapRow{700, 1366.59, "X90 ->\n"},     // rule 4
        MapRow{517, 953.22, "X10 ->\n"},      // exactly on the centre falls to the 10 % line
        MapRow{1000, 2044.24, "X90 ->\n"}));  // off the monitor: kept on it by the caller

TEST(AxisMapping, RuleTwoUsesTheCentreOnTheNearSide) {
    CRecordingTraceSink trace;
    // 400 is nearer the centre (117) than the 10 % line (220), below the centre: rule 2.
    const double dPixel = MapXAxis(g_worked, 400, trace);
    EXPECT_NEAR(dPixel, 960 + (400 - 517) * (1920.0 / 850.0), 1e-9);
    EXPECT_EQ(trace.Lines().front(), "X50 ->\n");
}

TEST(AxisMapping, ReverseAxisMirrorsAndTracesLeftward) {
    // An axis whose lines lie symmetric about the centre, and its mirror image with raw
    // values falling toward the right edge.
    const AxisCalibration forward{180, 860, 520, 1920.0 / 850.0, 1920, 0};
    const AxisCalibration reverse{860, 180, 520, 1920.0 / 850.0, 1920, 0};
    struct Row {
        double dRaw;
        const char* szTrace;
    };
    for (const Row& row :
         {Row{434, "X50 <-\n"}, Row{520, "X10 <-\n"}, Row{900, "X10 <-\n"}, Row{200, "X90 <-\n"}}) {
        CRecordingTraceSink trace;
        const double dMirrored = MapXAxis(reverse, row.dRaw, trace);
        EXPECT_EQ(trace.Lines().front(), row.szTrace) << row.dRaw;
        // Mirrored raw values land on the same pixels, except that a value exactly at the
        // centre maps from the 10 % line both ways.
        if (row.dRaw != 520) {
            CRecordingTraceSink forwardTrace;
            const double dForward = MapXAxis(forward, 2 * 520 - row.dRaw, forwardTrace);
            EXPECT_NEAR(dMirrored, dForward, 1e-9) << row.dRaw;
        }
    }
}

TEST(AxisMapping, YAxisTracesWithoutDirectionAndUsesItsOrigin) {
    const AxisCalibration yAxis{100, 900, 500, 1.0, 1000, -1000};
    CRecordingTraceSink trace;
    EXPECT_DOUBLE_EQ(MapYAxis(yAxis, 500, trace), -500);  // on the centre: the 10 % line
    EXPECT_DOUBLE_EQ(MapYAxis(yAxis, 650, trace), -350);  // centre
    EXPECT_DOUBLE_EQ(MapYAxis(yAxis, 950, trace), -50);   // 90 % line
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"Y10\n", "Y50\n", "Y90\n"}));
}
