#pragma once

#include <array>
#include <optional>

#include "calibration/CalibrationTargets.h"

struct TouchDevice;

// The five averaged raw readings of a calibration, one per target (raw controller units,
// after the device's X/Y swap).
struct CalReadings {
    CalPoint topLeft;
    CalPoint topRight;
    CalPoint bottomRight;
    CalPoint bottomLeft;
    CalPoint centre;

    // From readings held by target index (the order the targets are touched in).
    static CalReadings FromTargets(const std::array<CalPoint, CAL_TARGET_COUNT>& readings);
};

// The fourteen calibration numbers, in the device record's memory order and with its names.
// Raw values are controller units; the scales are pixels per raw unit.
struct CalibrationNumbers {
    double m_dScaleX = 0.0;
    double m_dScaleY = 0.0;
    double m_dRawMinX = 0.0;
    double m_dRawMaxX = 0.0;
    double m_dRawMinY = 0.0;
    double m_dRawMaxY = 0.0;
    double m_dCenterX = 0.0;
    double m_dCenterY = 0.0;
    double m_dLeftX = 0.0;
    double m_dRightX = 0.0;
    double m_dSpanX = 0.0;
    double m_dTopY = 0.0;
    double m_dBottomY = 0.0;
    double m_dSpanY = 0.0;

    bool operator==(const CalibrationNumbers&) const = default;
};

// Computes the numbers for a monitor nWidth by nHeight pixels. Empty when two targets that
// should lie 80 % of the monitor apart read the same raw value in x or in y: such a capture
// has no span to divide by, and a device stored with infinite scales would throw every touch
// off the screen.
std::optional<CalibrationNumbers> ComputeCalibration(const CalReadings& readings, int nWidth,
                                                     int nHeight);

// Copies the fourteen numbers into a device record, field by field; nothing else changes.
void StoreCalibration(const CalibrationNumbers& numbers, TouchDevice& device);
