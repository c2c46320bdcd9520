#pragma once

#include <array>

#include "calibration/CalibrationTargets.h"

// The misclick check: do five readings describe one panel? It runs before anything is
// computed, so a target touched in the wrong place never becomes a stored calibration.
//
// The targets lie on two columns, two rows and the middle, so on a sound panel the two left
// readings agree in x, the two right ones in x, the two top ones in y, the two bottom ones in
// y, and the centre reading lies at the middle of the corners on both axes. Each comparison
// is allowed a share of the distance between the targets on its axis (raw units, the absolute
// value: raw axes may run either way).
//
// The share is 8 %. What a sound panel produces:
//   - non-linearity: resistive overlays are specified at 1.5 to 2 % of full scale, others
//     better. 2 % of full scale is 2.5 % of the target distance per reading, so two readings
//     that should agree can differ by 5 % when their errors point opposite ways.
//   - mounting: an overlay a degree or two off turns the axes. The pair across the longer
//     side moves by tan(angle) times that side, measured against the shorter side: on a 16:9
//     monitor 1 degree is 3.1 % and 2 degrees are 6.2 % of the vertical target distance.
// 5 % would refuse a widescreen overlay mounted 1.6 degrees off in every round, leaving it no
// way to calibrate at all. The misclicks that matter are far beyond 8 %: a finger 290 pixels
// off on 1920 x 1080 is 19 % (horizontal) or 34 % (vertical), a target touched twice or in
// the wrong corner 50 to 100 %. And a reading accepted at the limit moves an edge by half of
// it (each edge is the mean of two readings), 4 %, the size of a cheap panel's own error.
constexpr double CAL_MISCLICK_TOLERANCE = 0.08;

enum class CalCheckVerdict {
    Consistent,   // one panel: compute the numbers
    Misplaced,    // a target looks touched in the wrong place: nTarget names it
    AxesSwapped,  // the readings describe a panel whose x follows the screen's y
};

struct CalCheckResult {
    CalCheckVerdict verdict = CalCheckVerdict::Consistent;
    int nTarget = -1;  // the target index that looks misplaced
    bool operator==(const CalCheckResult&) const = default;
};

// readings: by target index, as the capture holds them.
CalCheckResult CheckCalibrationReadings(const std::array<CalPoint, CAL_TARGET_COUNT>& readings,
                                        double dTolerance = CAL_MISCLICK_TOLERANCE);
