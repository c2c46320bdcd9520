#include "calibration/CalibrationCheck.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Naming the misplaced target. The six comparisons say that something is off, not what: a
// corner touched too far right spoils its column and also moves the middle the centre is
// compared with. So each target in turn is left out, the panel is rebuilt from the other
// four (a column or row with one corner left takes that corner's value), and the others are
// measured against it. The target whose absence leaves the most consistent four is named;
// among several that leave consistent fours, the one furthest from where the rest put it.

namespace {

using Readings = std::array<CalPoint, CAL_TARGET_COUNT>;

constexpr double g_dInfinite = std::numeric_limits<double>::infinity();

// |dValue| as a share of dDistance; a zero distance makes any difference infinite.
double Share(double dValue, double dDistance) {
    const double dAbs = std::abs(dValue);
    if (dAbs == 0.0) {
        return 0.0;
    }
    return dDistance > 0.0 ? dAbs / dDistance : g_dInfinite;
}

// The mean of the listed coordinates of the targets, leaving out nSkip.
template <typename Get>
double Line(const Readings& r, int nA, int nB, int nSkip, Get get) {
    if (nA == nSkip) {
        return get(r[nB]);
    }
    if (nB == nSkip) {
        return get(r[nA]);
    }
    return (get(r[nA]) + get(r[nB])) / 2.0;
}

struct Deviations {
    double dOthers = 0.0;   // the largest share among the targets kept
    double dSkipped = 0.0;  // the share by which the target left out misses the rest
};

// Every reading's miss as a share of its axis' target distance; nSkip (or -1) left out of
// the model and measured against it.
Deviations Measure(const Readings& r, int nSkip) {
    const auto x = [](const CalPoint& pt) { return static_cast<double>(pt.x); };
    const auto y = [](const CalPoint& pt) { return static_cast<double>(pt.y); };
    const double dLeft = Line(r, CAL_TOP_LEFT, CAL_BOTTOM_LEFT, nSkip, x);
    const double dRight = Line(r, CAL_TOP_RIGHT, CAL_BOTTOM_RIGHT, nSkip, x);
    const double dTop = Line(r, CAL_TOP_LEFT, CAL_TOP_RIGHT, nSkip, y);
    const double dBottom = Line(r, CAL_BOTTOM_LEFT, CAL_BOTTOM_RIGHT, nSkip, y);
    const double dDistX = std::abs(dRight - dLeft);
    const double dDistY = std::abs(dBottom - dTop);

    // Where each target should read, from the lines.
    std::array<double, CAL_TARGET_COUNT> shares{};
    const auto miss = [&](int nTarget, double dX, double dY) {
        shares[nTarget] =
            std::max(Share(r[nTarget].x - dX, dDistX), Share(r[nTarget].y - dY, dDistY));
    };
    miss(CAL_TOP_LEFT, dLeft, dTop);
    miss(CAL_BOTTOM_LEFT, dLeft, dBottom);
    miss(CAL_TOP_RIGHT, dRight, dTop);
    miss(CAL_BOTTOM_RIGHT, dRight, dBottom);
    miss(CAL_CENTRE, (dLeft + dRight) / 2.0, (dTop + dBottom) / 2.0);

    Deviations result;
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        if (i == nSkip) {
            result.dSkipped = shares[i];
        } else {
            result.dOthers = std::max(result.dOthers, shares[i]);
        }
    }
    return result;
}

// The six comparisons on all five readings. A corner's miss from its line is half the
// difference of its pair, so the pair limit is twice the share.
bool IsConsistent(const Readings& r, double dTolerance) {
    const double dLeft = (r[CAL_TOP_LEFT].x + r[CAL_BOTTOM_LEFT].x) / 2.0;
    const double dRight = (r[CAL_TOP_RIGHT].x + r[CAL_BOTTOM_RIGHT].x) / 2.0;
    const double dTop = (r[CAL_TOP_LEFT].y + r[CAL_TOP_RIGHT].y) / 2.0;
    const double dBottom = (r[CAL_BOTTOM_LEFT].y + r[CAL_BOTTOM_RIGHT].y) / 2.0;
    const double dDistX = std::abs(dRight - dLeft);
    const double dDistY = std::abs(dBottom - dTop);
    const double shares[] = {
        Share(r[CAL_TOP_LEFT].x - r[CAL_BOTTOM_LEFT].x, dDistX),
        Share(r[CAL_TOP_RIGHT].x - r[CAL_BOTTOM_RIGHT].x, dDistX),
        Share(r[CAL_TOP_LEFT].y - r[CAL_TOP_RIGHT].y, dDistY),
        Share(r[CAL_BOTTOM_LEFT].y - r[CAL_BOTTOM_RIGHT].y, dDistY),
        Share(r[CAL_CENTRE].x - (dLeft + dRight) / 2.0, dDistX),
        Share(r[CAL_CENTRE].y - (dTop + dBottom) / 2.0, dDistY),
    };
    return std::all_of(std::begin(shares), std::end(shares),
                       [dTolerance](double dShare) { return dShare <= dTolerance; });
}

int MostLikelyMisplaced(const Readings& r, double dTolerance) {
    int nBest = CAL_CENTRE;
    Deviations best{g_dInfinite, 0.0};
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        const Deviations d = Measure(r, i);
        const bool bConsistent = d.dOthers <= dTolerance;
        const bool bBestConsistent = best.dOthers <= dTolerance;
        const bool bBetter = bConsistent && bBestConsistent   ? d.dSkipped > best.dSkipped
                             : bConsistent != bBestConsistent ? bConsistent
                                                              : d.dOthers < best.dOthers;
        if (bBetter) {
            best = d;
            nBest = i;
        }
    }
    return nBest;
}

}  // namespace

CalCheckResult CheckCalibrationReadings(const Readings& readings, double dTolerance) {
    if (IsConsistent(readings, dTolerance)) {
        return {};
    }
    // An overlay whose controller reports its axes the other way round gives readings that
    // fit one panel once x and y are exchanged. Touching again cannot mend that; the X/Y swap
    // setting can.
    Readings exchanged = readings;
    for (CalPoint& pt : exchanged) {
        pt = {pt.y, pt.x};
    }
    if (IsConsistent(exchanged, dTolerance)) {
        return {CalCheckVerdict::AxesSwapped, -1};
    }
    return {CalCheckVerdict::Misplaced, MostLikelyMisplaced(readings, dTolerance)};
}
