#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <utility>

#include "PanelModel.h"
#include "calibration/CalibrationCapture.h"
#include "devices/TouchDevice.h"

// Round trip: a simulated panel with a known linear raw model is calibrated through the
// capture (five targets, thirty jittered polls each), then random screen points are turned
// into raw readings and mapped back with the pointer mapping's rules. The mapped point must
// land within the bound derived in PanelModel.h.

namespace {

using namespace std::chrono_literals;

const PanelRow g_panels[] = {
    {"Plain", {0, 0, 1920, 1080}, {50, 900.0 / 1920}, {80, 850.0 / 1080}, false},
    {"MirroredX", {0, 0, 1920, 1080}, {980, -900.0 / 1920}, {80, 850.0 / 1080}, false},
    {"MirroredBoth", {0, 0, 1280, 1024}, {1000, -960.0 / 1280}, {990, -950.0 / 1024}, false},
    {"SwappedLeftOfPrimary", {-1280, 0, 0, 1024}, {30, 970.0 / 1280}, {1010, -990.0 / 1024}, true},
    {"SwappedMirroredOddSize",
     {1920, 200, 3286, 968},
     {1015, -1000.0 / 1366},
     {12, 1000.0 / 768},
     true},
    {"CoarsePanelOnALargeMonitor", {0, 0, 3840, 2160}, {60, 0.24}, {40, 0.44}, false},
};

class CalibrationRoundTripTest : public ::testing::TestWithParam<PanelRow> {};

}  // namespace

TEST_P(CalibrationRoundTripTest, RandomPointsMapBackWithinTheDerivedBound) {
    const PanelRow& panel = GetParam();
    const ScreenRect& rc = panel.rcMonitor;
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    std::mt19937 random(20240611);

    // Calibrate: thirty polls per target with jitter whose sum is 0..29.
    CCalibrationCapture capture(nWidth, nHeight);
    std::chrono::milliseconds now{0};
    capture.Start(now);
    const auto positions = CalTargetPositions(nWidth, nHeight);
    for (const CalPoint& target : positions) {
        const CalPoint raw = ControllerRaw(panel, target.x, target.y);
        std::uniform_int_distribution<int> jitter(-3, 3);
        std::uniform_int_distribution<int> extra(0, 29);
        int aJitter[30];
        for (int i = 0; i < 30; i += 2) {
            aJitter[i] = jitter(random);
            aJitter[i + 1] = -aJitter[i];
        }
        for (int i = 0, n = extra(random); i < n; ++i) {
            ++aJitter[i];
        }
        for (int i = 0; i < 30; ++i) {
            const CalPoint published =
                Published(panel, {raw.x + aJitter[i], raw.y + aJitter[(i + 7) % 30]});
            now += 10ms;
            capture.Poll({true, published.x, published.y}, now);
        }
        now += 10ms;
        capture.Poll({false, CAL_RELEASED_RAW, CAL_RELEASED_RAW}, now);
    }
    ASSERT_EQ(capture.State(), CaptureState::Finished);
    const CalibrationNumbers n = *capture.Snapshot().numbers;

    const double dBoundX = Bound(panel.x, nWidth);
    const double dBoundY = Bound(panel.y, nHeight);
    std::uniform_int_distribution<int> pickX(2, nWidth - 3);
    std::uniform_int_distribution<int> pickY(0, nHeight - 1);
    double dWorstX = 0;
    double dWorstY = 0;
    for (int i = 0; i < 5000; ++i) {
        const int nPixelX = pickX(random);
        const int nPixelY = pickY(random);
        const CalPoint raw = Published(panel, ControllerRaw(panel, nPixelX, nPixelY));
        double dX =
            MapAxis(raw.x, n.m_dLeftX, n.m_dRightX, n.m_dCenterX, n.m_dScaleX, nWidth, rc.left);
        double dY =
            MapAxis(raw.y, n.m_dTopY, n.m_dBottomY, n.m_dCenterY, n.m_dScaleY, nHeight, rc.top);
        // Kept on the monitor as the pointer is: x two pixels inside, y on the edge.
        if (dX < rc.left)
            dX = rc.left + 2;
        if (dX > rc.right)
            dX = rc.right - 2;
        dY = std::clamp<double>(dY, rc.top, rc.bottom);
        const int nMappedX = static_cast<int>(dX);
        const int nMappedY = static_cast<int>(dY);
        dWorstX = std::max(dWorstX, std::abs(nMappedX - (rc.left + nPixelX)) * 1.0);
        dWorstY = std::max(dWorstY, std::abs(nMappedY - (rc.top + nPixelY)) * 1.0);
    }
    EXPECT_LE(dWorstX, dBoundX);
    EXPECT_LE(dWorstY, dBoundY);
    RecordProperty("worst_x_px", std::to_string(dWorstX));
    RecordProperty("worst_y_px", std::to_string(dWorstY));
}

INSTANTIATE_TEST_SUITE_P(Panels, CalibrationRoundTripTest, ::testing::ValuesIn(g_panels),
                         [](const auto& info) { return std::string(info.param.szName); });
