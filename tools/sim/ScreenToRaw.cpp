#include "ScreenToRaw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/TraceSink.h"

namespace {

constexpr int g_nRawMax = 1023;

// The driver's mapping names the piece it used in its trace ("X10 ->\n", "X50 <-\n", ...);
// reading that back keeps this inverse tied to the driver's own choice of piece instead of a
// second copy of its rules.
class CAnchorTrace final : public ITraceSink {
public:
    void Trace(const char* szText) override { m_szLast = szText; }
    AxisAnchor Anchor() const {
        if (std::strncmp(m_szLast + 1, "10", 2) == 0) {
            return AxisAnchor::Line10;
        }
        return std::strncmp(m_szLast + 1, "90", 2) == 0 ? AxisAnchor::Line90 : AxisAnchor::Centre;
    }

private:
    const char* m_szLast = "X50";
};

double AnchorRaw(const AxisCalibration& axis, AxisAnchor anchor) {
    switch (anchor) {
        case AxisAnchor::Line10:
            return axis.dLine10;
        case AxisAnchor::Centre:
            return axis.dCenter;
        case AxisAnchor::Line90:
            return axis.dLine90;
    }
    return 0.0;
}

double AnchorPixel(const AxisCalibration& axis, AxisAnchor anchor) {
    switch (anchor) {
        case AxisAnchor::Line10:
            return axis.nSize / 10.0 + axis.nOrigin;
        case AxisAnchor::Centre:
            return axis.nSize / 2.0 + axis.nOrigin;
        case AxisAnchor::Line90:
            return (9 * axis.nSize) / 10.0 + axis.nOrigin;
    }
    return 0.0;
}

std::string AxisProblem(const AxisCalibration& axis, const char* szName) {
    for (double dValue : {axis.dLine10, axis.dLine90, axis.dCenter, axis.dScale}) {
        if (!std::isfinite(dValue)) {
            return std::string(szName) + " calibration holds a number that is not finite";
        }
    }
    if (axis.dScale <= 0.0) {
        return std::string(szName) + " scale is not positive (the device is not calibrated)";
    }
    if (axis.nSize <= 0) {
        return std::string(szName) + " monitor size is not positive";
    }
    return {};
}

}  // namespace

AxisAnchor AnchorOf(const AxisCalibration& axis, double dRaw, double* pdPixel) {
    CAnchorTrace trace;
    // Both axes map alike; only their trace texts differ.
    const double dPixel = MapXAxis(axis, dRaw, trace);
    if (pdPixel) {
        *pdPixel = dPixel;
    }
    return trace.Anchor();
}

int MapScreenToRaw(const AxisCalibration& axis, double dPixel) {
    const double dSign = axis.dLine90 > axis.dLine10 ? 1.0 : -1.0;
    int nBest = -1;
    double dBestError = std::numeric_limits<double>::infinity();
    auto consider = [&](int nRaw, const AxisAnchor* pRequired) {
        double dMapped = 0.0;
        const AxisAnchor anchor = AnchorOf(axis, nRaw, &dMapped);
        const double dError = std::abs(dMapped - dPixel);
        if ((!pRequired || anchor == *pRequired) && dError < dBestError) {
            dBestError = dError;
            nBest = nRaw;
        }
    };

    for (AxisAnchor anchor : {AxisAnchor::Line10, AxisAnchor::Centre, AxisAnchor::Line90}) {
        const double dRaw =
            AnchorRaw(axis, anchor) + dSign * (dPixel - AnchorPixel(axis, anchor)) / axis.dScale;
        if (!std::isfinite(dRaw)) {
            continue;
        }
        // The exact answer lies between two whole raw values; either may be the nearer once
        // mapped, and each must belong to the piece it was solved on.
        const double dFloor = std::clamp(std::floor(dRaw), 0.0, double(g_nRawMax));
        consider(static_cast<int>(dFloor), &anchor);
        consider(static_cast<int>(std::min(dFloor + 1.0, double(g_nRawMax))), &anchor);
    }
    if (nBest < 0) {
        // The pixel lies in a gap between pieces, or beyond what ten bits can reach.
        for (int nRaw = 0; nRaw <= g_nRawMax; ++nRaw) {
            consider(nRaw, nullptr);
        }
    }
    return nBest;
}

CScreenToRaw::CScreenToRaw(const TouchDevice& device)
    : m_x(XAxisOf(device)), m_y(YAxisOf(device)), m_bSwap(device.m_bSwapXY != 0) {}

std::string CScreenToRaw::Problem() const {
    std::string strProblem = AxisProblem(m_x, "x");
    return strProblem.empty() ? AxisProblem(m_y, "y") : strProblem;
}

RawPoint CScreenToRaw::Map(double dPixelX, double dPixelY) const {
    const int nRawX = MapScreenToRaw(m_x, dPixelX);
    const int nRawY = MapScreenToRaw(m_y, dPixelY);
    // The driver swaps the decoded fields before mapping, so with a swap the raw value of
    // the x axis travels in the y field.
    return m_bSwap ? RawPoint{nRawY, nRawX} : RawPoint{nRawX, nRawY};
}
