#pragma once

// A simulated touch panel with a known linear raw model, and the pointer mapping written
// from its rules apart from the application's own: for round-trip tests of calibration.

#include <algorithm>
#include <cmath>

#include "calibration/CalibrationTargets.h"
#include "devices/TouchDevice.h"

struct AxisModel {
    double dRaw0;      // raw value at the monitor's first pixel
    double dPerPixel;  // raw units per pixel; negative: mirrored
    double Raw(double dPixel) const { return dRaw0 + dPerPixel * dPixel; }
};

struct PanelRow {
    const char* szName;
    ScreenRect rcMonitor;
    AxisModel x;  // raw along the screen's x axis
    AxisModel y;
    bool bSwapXY;  // the controller reports the screen's x axis in its y channel
};

// The controller's two channels for a point in monitor pixels, rounded as a controller does.
inline CalPoint ControllerRaw(const PanelRow& panel, double dPixelX, double dPixelY) {
    const int nX = static_cast<int>(std::lround(panel.x.Raw(dPixelX)));
    const int nY = static_cast<int>(std::lround(panel.y.Raw(dPixelY)));
    return panel.bSwapXY ? CalPoint{nY, nX} : CalPoint{nX, nY};
}

// What the touch processor publishes: the channels after the device's swap.
inline CalPoint Published(const PanelRow& panel, CalPoint controller) {
    return panel.bSwapXY ? CalPoint{controller.y, controller.x} : controller;
}

// The pointer mapping of one axis, written from its rules and kept apart from the
// application's own: anchor on the centre, the 10 % or the 90 % line, whichever the raw value
// is nearest in its half; direction from the order of the two lines.
inline double MapAxis(double dRaw, double dA, double dB, double dC, double dScale, int nSize,
                      int nOrigin) {
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
        case Centre:
            return (nSize / 2.0 + nOrigin) + dSign * (dR - dC) * dScale;
        case Line10:
            return (nSize / 10.0 + nOrigin) + dSign * (dR - dA) * dScale;
        case Line90:
            return ((9 * nSize) / 10.0 + nOrigin) + dSign * (dR - dB) * dScale;
    }
    return 0;
}

// How far a point mapped through a calibration of such a panel may land from where it was
// aimed, in pixels, after the rounding and truncation on the way:
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
inline double Bound(const AxisModel& axis, int nSize) {
    const double dG = std::abs(axis.dPerPixel);
    const double dU = 1.0 / dG;
    const double dErrLine = 1.5 + dG;
    const double dErrMax = 13.0 / 4 + dG;
    const double dSpanErr = 10.0 / 8 * 2 * dErrLine;
    const double dEps = dSpanErr / (dG * nSize - dSpanErr);
    const double dDistance = 0.2 * nSize + 2 * dErrMax * dU;
    return dDistance * dEps + (0.5 + dErrMax) * dU * (1 + dEps) + 1;
}
