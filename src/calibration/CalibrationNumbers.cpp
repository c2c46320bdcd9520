#include "calibration/CalibrationNumbers.h"

#include <cmath>

#include "devices/TouchDevice.h"

// Why the arithmetic looks the way it does. The targets lie on the 10 % and 90 % lines, so per
// axis two readings are averaged into the raw value of each line (the halves are double
// divisions of integer sums: 201 + 210 gives 205.5, not 205). The lines are 80 % of the
// monitor apart, so an eighth of their distance is 10 % of it: ten eighths are the raw extent
// of the whole monitor (the span), and one eighth beyond the line with the smaller raw value
// is the raw value at that edge (the minimum).
//
//   case                         branch taken              minimum is the raw value at
//   TL.x <  TR.x (x rises ->)    span = (right - left)     the left edge
//   TL.x >= TR.x (x falls ->)    span = (left - right)     the right edge
//   TL.y <  BL.y (y rises down)  span = (bottom - top)     the top edge
//   TL.y >= BL.y (y falls down)  span = (top - bottom)     the bottom edge
//
// Only the top pair decides x and only the left pair decides y; the spans use the averages.
// Minimum, maximum and centre are whole numbers (truncated toward zero) because they were
// always stored so, and the saved lines of existing devices carry them that way. The centre
// is the mean of the centre target's reading and the midpoint of the two edges, which
// spreads a panel's bow between both. The scales are pixels per raw unit over the whole
// monitor. A zero span (equal averages) has no scale; see ComputeCalibration.

namespace {

double Whole(double dValue) {
    return std::trunc(dValue);
}

}  // namespace

CalReadings CalReadings::FromTargets(const std::array<CalPoint, CAL_TARGET_COUNT>& readings) {
    CalReadings result;
    result.topLeft = readings[CAL_TOP_LEFT];
    result.topRight = readings[CAL_TOP_RIGHT];
    result.bottomRight = readings[CAL_BOTTOM_RIGHT];
    result.bottomLeft = readings[CAL_BOTTOM_LEFT];
    result.centre = readings[CAL_CENTRE];
    return result;
}

std::optional<CalibrationNumbers> ComputeCalibration(const CalReadings& readings, int nWidth,
                                                     int nHeight) {
    const CalPoint& tl = readings.topLeft;
    const CalPoint& tr = readings.topRight;
    const CalPoint& br = readings.bottomRight;
    const CalPoint& bl = readings.bottomLeft;
    const CalPoint& c = readings.centre;

    CalibrationNumbers n;
    n.m_dLeftX = (tl.x + bl.x) / 2.0;
    n.m_dRightX = (br.x + tr.x) / 2.0;
    n.m_dTopY = (tl.y + tr.y) / 2.0;
    n.m_dBottomY = (br.y + bl.y) / 2.0;
    if (n.m_dLeftX == n.m_dRightX || n.m_dTopY == n.m_dBottomY) {
        return std::nullopt;
    }

    if (tl.x < tr.x) {
        n.m_dSpanX = (n.m_dRightX - n.m_dLeftX) / 8 * 10;
        n.m_dRawMinX = Whole(n.m_dLeftX - (n.m_dRightX - n.m_dLeftX) / 8);
    } else {
        n.m_dSpanX = (n.m_dLeftX - n.m_dRightX) / 8 * 10;
        n.m_dRawMinX = Whole(n.m_dRightX - (n.m_dLeftX - n.m_dRightX) / 8);
    }
    if (tl.y < bl.y) {
        n.m_dSpanY = (n.m_dBottomY - n.m_dTopY) / 8 * 10;
        n.m_dRawMinY = Whole(n.m_dTopY - (n.m_dBottomY - n.m_dTopY) / 8);
    } else {
        n.m_dSpanY = (n.m_dTopY - n.m_dBottomY) / 8 * 10;
        n.m_dRawMinY = Whole(n.m_dBottomY - (n.m_dTopY - n.m_dBottomY) / 8);
    }

    n.m_dRawMaxX = Whole(n.m_dSpanX + n.m_dRawMinX);
    n.m_dRawMaxY = Whole(n.m_dSpanY + n.m_dRawMinY);
    n.m_dCenterX = Whole((c.x + (n.m_dRawMaxX + n.m_dRawMinX) / 2) / 2);
    n.m_dCenterY = Whole((c.y + (n.m_dRawMaxY + n.m_dRawMinY) / 2) / 2);

    n.m_dScaleX = nWidth / n.m_dSpanX;
    n.m_dScaleY = nHeight / n.m_dSpanY;
    return n;
}

void StoreCalibration(const CalibrationNumbers& numbers, TouchDevice& device) {
    device.m_dScaleX = numbers.m_dScaleX;
    device.m_dScaleY = numbers.m_dScaleY;
    device.m_dRawMinX = numbers.m_dRawMinX;
    device.m_dRawMaxX = numbers.m_dRawMaxX;
    device.m_dRawMinY = numbers.m_dRawMinY;
    device.m_dRawMaxY = numbers.m_dRawMaxY;
    device.m_dCenterX = numbers.m_dCenterX;
    device.m_dCenterY = numbers.m_dCenterY;
    device.m_dLeftX = numbers.m_dLeftX;
    device.m_dRightX = numbers.m_dRightX;
    device.m_dSpanX = numbers.m_dSpanX;
    device.m_dTopY = numbers.m_dTopY;
    device.m_dBottomY = numbers.m_dBottomY;
    device.m_dSpanY = numbers.m_dSpanY;
}
