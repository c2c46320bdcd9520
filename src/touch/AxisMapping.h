#pragma once

#include "devices/TouchDevice.h"

class ITraceSink;

// One axis of the calibration: the raw values at the 10 % line (A), the 90 % line (B) and
// the centre (C) of the monitor, the scale S in pixels per raw unit, and the monitor's size N
// and origin O along the axis.
struct AxisCalibration {
    double dLine10 = 0.0;  // A
    double dLine90 = 0.0;  // B
    double dCenter = 0.0;  // C
    double dScale = 0.0;   // S
    int nSize = 0;         // N
    int nOrigin = 0;       // O
};

AxisCalibration XAxisOf(const TouchDevice& device);
AxisCalibration YAxisOf(const TouchDevice& device);

// Maps a raw value to a screen pixel (double), piecewise from the anchor nearest to it, and
// traces which anchor was used ("X50 ->\n", "Y10\n", ...). See AxisMapping.cpp.
double MapXAxis(const AxisCalibration& axis, double dRaw, ITraceSink& trace);
double MapYAxis(const AxisCalibration& axis, double dRaw, ITraceSink& trace);
