#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <utility>

#include "calibration/CalibrationCapture.h"
#include "devices/TouchDevice.h"

// Round trip: a simulated panel with a known linear raw model is calibrated through the
// capture (five targets, thirty jittered polls each), then random screen points are turned
// into raw readings and mapped back with the pointer mapping's rules. The mapped point must
// land within a bound derived from the rounding and truncation on the way.
//
// Per axis, let g be the true raw units per pixel (negative when mirrored), u = 1/|g|, N the
// monitor size, and the 10 %, 50 %, 90 % lines at 0.1N, 0.5N, 0.9N (the mapping's anchors).
//  1. A reading: the controller reports round(model) (within 1/2), the capture truncates the
//     mean of 30 polls (within 1, the jitter's own mean being in [0, 1) here), and the target
//     is drawn at a truncated pixel, up to 1 pixel (|g| raw) before its line. So a reading is
//     within 3/2 + |g| of the model at its line.
//  2. The 10 % and 90 % values average two such readings: error e_L < 3/2 + |g|.
//  3. The centre: Min and Max are truncated (< 1 each), so (Max + Min)/2 lies within 3/2 of
//     (left + right)/2, which is within 3/2 + |g| of the model at 0.5N. The centre reading is
//     within 3/2 + |g| as well; their mean is then truncated (< 1):
//     e_C < ((3/2 + |g|) + (3 + |g|)) / 2 + 1 = 13/4 + |g|  =: e_max (>= e_L).
//  4. The span is 10/8 of the distance of the lines: off by less than d = 10/8 * 2 e_L, so the
//     scale is off by a factor within eps = d / (|g| N - d).
//  5. Mapping from an anchor at pixel P with raw value V: X = P +- (R - V) S. With R within 1/2
//     of the model at p, X - p = (p - P) eps' + (R - model(p) - e_V) u (1 + eps'), so
//     |X - p| <= D eps + (1/2 + e_max) u (1 + eps), where D, the distance from the point to
//     its anchor, is at most 0.2 N (points are mapped from the nearer anchor, each anchor
//     serving 0.2 N either side) plus what the anchor errors move the boundaries: 2 e_max u.
//  6. The pointer takes the integer part: 1 more pixel.

namespace {

using namespace std::chrono_literals;

struct AxisModel {
    double dRaw0;       // raw value at the monitor's first pixel
    double dPerPixel;   // raw units per pixel; negative: mirrored
    double Raw(double dPixel) const { return dRaw0 + dPerPixel * dPixel; }
};

struct PanelRow {
    const char* szName;
    ScreenRect rcMonitor;
    AxisModel x;     // raw along the screen's x axis
    AxisModel y;
    bool bSwapXY;    // the controller reports the screen's x axis in its y channel
};

const PanelRow g_panels[] = {
    {"Plain", {0, 0, 1920, 1080}, {50, 900.0 / 1920}, {80, 850.0 / 1080}, false},
    {"MirroredX", {0, 0, 1920, 1080}, {980, -900.0 / 1920}, {80, 850.0 / 1080}, false},
    {"MirroredBoth", {0, 0, 1280, 1024}, {1000, -960.0 / 1280}, {990, -950.0 / 1024}, false},
    {"SwappedLeftOfPrimary", {-1280, 0, 0, 1024}, {30, 970.0 / 1280}, {1010, -990.0 / 1024},
     true},
    {"SwappedMirroredOddSize", {1920, 200, 3286, 968}, {1015, -1000.0 / 1366},
     {12, 1000.0 / 768}, true},
    {"CoarsePanelOnALargeMonitor", {0, 0, 3840, 2160}, {60, 0.24}, {40, 0.44}, false},
};

// The controller's two channels for a point in monitor pixels, rounded as a controller does.
CalPoint ControllerRaw(const PanelRow& panel, double dPixelX, double dPixelY)
{
    const int nX = static_cast<int>(std::lround(panel.x.Raw(dPixelX)));
    const int nY = static_cast<int>(std::lround(panel.y.Raw(dPixelY)));
    return panel.bSwapXY ? CalPoint{nY, nX} : CalPoint{nX, nY};
}

// What the touch processor publishes: the channels after the device's swap.
CalPoint Published(const PanelRow& panel, CalPoint controller)
{
    return panel.bSwapXY ? CalPoint{controller.y, controller.x} : controller;
}

// The pointer mapping of one axis, written from its rules and kept apart from the
// application's own: anchor on the centre, the 10 % or the 90 % line, whichever the raw value
// is nearest in its half; direction from the order of the two lines.
double MapAxis(double dRaw, double dA, double dB, double dC, double dScale, int nSize, int nOrigin)
{
    const bool bForward = dB > dA;
    const double dR = dRaw;
    enum { Centre, Line10, Line90 } anchor;
    if (bForward) {
        if (std::abs(dR - dB) >= std::abs(dR - dC) && dR > dC) {
            anchor = Centre;
        } else if (std::abs(dR - dA) >= std::abs(dR - dC) && dR < dC) {
            anchor = Centre;
        } else if (dR <= dC) {
            anchor = Line10;
        } else {
            anchor = Line90;
        }
    } else {
        if (std::abs(dR - dB) >= std::abs(dR - dC) && dR < dC) {
            anchor = Centre;
        } else if (std::abs(dR - dA) >= std::abs(dR - dC) && dR > dC) {
            anchor = Centre;
        } else if (dR >= dC) {
            anchor = Line10;
        } else {
            anchor = Line90;
        }
    }
    const double dSign = bForward ? 1.0 : -1.0;
    switch (anchor) {
        case Centre: return (nSize / 2.0 + nOrigin) + dSign * (dR - dC) * dScale;
        case Line10: return (nSize / 10.0 + nOrigin) + dSign * (dR - dA) * dScale;
        case Line90: return ((9 * nSize) / 10.0 + nOrigin) + dSign * (dR - dB) * dScale;
    }
    return 0;
}

double Bound(const AxisModel& axis, int nSize)
{
    const double dG = std::abs(axis.dPerPixel);
    const double dU = 1.0 / dG;
    const double dErrLine = 1.5 + dG;
    const double dErrMax = 13.0 / 4 + dG;
    const double dSpanErr = 10.0 / 8 * 2 * dErrLine;
    const double dEps = dSpanErr / (dG * nSize - dSpanErr);
    const double dDistance = 0.2 * nSize + 2 * dErrMax * dU;
    return dDistance * dEps + (0.5 + dErrMax) * dU * (1 + dEps) + 1;
}

class CalibrationRoundTripTest : public ::testing::TestWithParam<PanelRow> {};

}  // namespace

TEST_P(CalibrationRoundTripTest, RandomPointsMapBackWithinTheDerivedBound)
{
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
        double dX = MapAxis(raw.x, n.m_dLeftX, n.m_dRightX, n.m_dCenterX, n.m_dScaleX, nWidth,
                            rc.left);
        double dY = MapAxis(raw.y, n.m_dTopY, n.m_dBottomY, n.m_dCenterY, n.m_dScaleY, nHeight,
                            rc.top);
        // Kept on the monitor as the pointer is: x two pixels inside, y on the edge.
        if (dX < rc.left) dX = rc.left + 2;
        if (dX > rc.right) dX = rc.right - 2;
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
