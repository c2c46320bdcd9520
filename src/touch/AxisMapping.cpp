#include "touch/AxisMapping.h"

#include <cmath>

#include "app/TraceSink.h"

// The controller's raw scale is not linear across the glass, so each axis is mapped from one
// of three calibrated anchors: the 10 % line, the centre, or the 90 % line. Forward axes have
// raw values growing toward the right/bottom (B > A); reverse axes (B <= A) are mirrored.
// The first rule that holds picks the anchor:
//
//   rule  forward (B > A)                    reverse (B <= A)                   anchor
//   1     |R-B| >= |R-C| and R > C           |R-B| >= |R-C| and R < C           centre
//   2     |R-A| >= |R-C| and R < C           |R-A| >= |R-C| and R > C           centre
//   3     R <= C                             R >= C                             10 % line
//   4     otherwise                          otherwise                          90 % line
//
// and maps   centre: N/2 + O ± (R-C)·S   10 %: N/10 + O ± (R-A)·S   90 %: 9N/10 + O ± (R-B)·S
// with + forward and − reverse. A raw value exactly on the centre falls to rule 3.

namespace {

enum class Anchor { Center, Line10, Line90 };

Anchor ChooseAnchor(const AxisCalibration& axis, double dRaw, bool bForward) {
    const double A = axis.dLine10;
    const double B = axis.dLine90;
    const double C = axis.dCenter;
    const double R = dRaw;
    const bool bPastCenterTowardB = bForward ? R > C : R < C;
    const bool bPastCenterTowardA = bForward ? R < C : R > C;
    if (std::fabs(R - B) >= std::fabs(R - C) && bPastCenterTowardB) {
        return Anchor::Center;
    }
    if (std::fabs(R - A) >= std::fabs(R - C) && bPastCenterTowardA) {
        return Anchor::Center;
    }
    if (bForward ? R <= C : R >= C) {
        return Anchor::Line10;
    }
    return Anchor::Line90;
}

double MapAxis(const AxisCalibration& axis, double dRaw, ITraceSink& trace,
               const char* const* aszTraces) {
    const bool bForward = axis.dLine90 > axis.dLine10;
    const double dSign = bForward ? 1.0 : -1.0;
    const int nTrace = bForward ? 0 : 3;
    const double N = axis.nSize;
    const double O = axis.nOrigin;
    switch (ChooseAnchor(axis, dRaw, bForward)) {
        case Anchor::Center:
            trace.Trace(aszTraces[nTrace + 0]);
            return (N / 2.0 + O) + dSign * (dRaw - axis.dCenter) * axis.dScale;
        case Anchor::Line10:
            trace.Trace(aszTraces[nTrace + 1]);
            return (N / 10.0 + O) + dSign * (dRaw - axis.dLine10) * axis.dScale;
        case Anchor::Line90:
        default:
            trace.Trace(aszTraces[nTrace + 2]);
            return (static_cast<double>(9 * axis.nSize) / 10.0 + O) +
                   dSign * (dRaw - axis.dLine90) * axis.dScale;
    }
}

const char* const g_aszXTraces[] = {"X50 ->\n", "X10 ->\n", "X90 ->\n",
                                    "X50 <-\n", "X10 <-\n", "X90 <-\n"};
const char* const g_aszYTraces[] = {"Y50\n", "Y10\n", "Y90\n", "Y50\n", "Y10\n", "Y90\n"};

}  // namespace

AxisCalibration XAxisOf(const TouchDevice& device) {
    return {device.m_dLeftX,
            device.m_dRightX,
            device.m_dCenterX,
            device.m_dScaleX,
            device.m_rcMonitor.right - device.m_rcMonitor.left,
            device.m_rcMonitor.left};
}

AxisCalibration YAxisOf(const TouchDevice& device) {
    return {device.m_dTopY,
            device.m_dBottomY,
            device.m_dCenterY,
            device.m_dScaleY,
            device.m_rcMonitor.bottom - device.m_rcMonitor.top,
            device.m_rcMonitor.top};
}

double MapXAxis(const AxisCalibration& axis, double dRaw, ITraceSink& trace) {
    return MapAxis(axis, dRaw, trace, g_aszXTraces);
}

double MapYAxis(const AxisCalibration& axis, double dRaw, ITraceSink& trace) {
    return MapAxis(axis, dRaw, trace, g_aszYTraces);
}
