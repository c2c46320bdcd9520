#pragma once

#include <string>

#include "devices/TouchDevice.h"
#include "touch/AxisMapping.h"

// Turning a screen pixel into the raw value a controller would have to send for the driver
// to put the pointer there: the inverse of the driver's piecewise axis mapping.
//
// The driver maps each axis from one of three anchors, chosen by the raw value R:
//
//   anchor     raw at anchor   pixel at anchor    chosen when (forward axis, A < B)
//   10% line   A               N/10 + O           R nearer A than C, or R == C
//   centre     C               N/2 + O            R at least as near C as the line on its side
//   90% line   B               9N/10 + O          R nearer B than C
//
// and pixel = anchor pixel +/- (R - anchor raw) * S ('-' on a mirrored axis, B <= A).
// With a measured calibration the three pieces rarely join exactly, so the inverse solves
// each piece for the pixel and keeps only answers that the forward rule would map with that
// same piece; of those, the one whose pixel comes closest wins. When a pixel falls into a gap
// between pieces, the closest raw value of all is taken.
enum class AxisAnchor { Line10, Centre, Line90 };

// Which piece the driver maps dRaw with, and the pixel it maps it to.
AxisAnchor AnchorOf(const AxisCalibration& axis, double dRaw, double* pdPixel = nullptr);
// The raw value 0..1023 whose mapping lies closest to dPixel, as described above.
int MapScreenToRaw(const AxisCalibration& axis, double dPixel);

struct RawPoint {
    int nX = 0;  // what the controller sends in the x field
    int nY = 0;
    bool operator==(const RawPoint&) const = default;
};

// A device's calibration, both axes, with its X/Y swap.
class CScreenToRaw {
public:
    explicit CScreenToRaw(const TouchDevice& device);

    // Empty when the calibration can map pixels; otherwise why not (for the script error).
    std::string Problem() const;
    // The raw fields to send so the driver puts the pointer on (nPixelX, nPixelY).
    RawPoint Map(double dPixelX, double dPixelY) const;

    const AxisCalibration& AxisX() const { return m_x; }
    const AxisCalibration& AxisY() const { return m_y; }

private:
    AxisCalibration m_x;
    AxisCalibration m_y;
    bool m_bSwap;
};
