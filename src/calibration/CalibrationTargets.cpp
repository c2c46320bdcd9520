#include "calibration/CalibrationTargets.h"

namespace {

struct TargetSlot {
    double dFractionX;
    double dFractionY;
    const char* szLabel;
};

constexpr std::array<TargetSlot, CAL_TARGET_COUNT> g_calTargets = {{
    {0.1, 0.1, "1010"},
    {0.1, 0.9, "1090"},
    {0.5, 0.5, "5050"},
    {0.9, 0.1, "9010"},
    {0.9, 0.9, "9090"},
}};

}  // namespace

const char* CalTargetLabel(int nTarget) {
    if (nTarget < 0 || nTarget >= CAL_TARGET_COUNT) {
        return "";
    }
    return g_calTargets[nTarget].szLabel;
}

std::array<CalPoint, CAL_TARGET_COUNT> CalTargetPositions(int nWidth, int nHeight) {
    std::array<CalPoint, CAL_TARGET_COUNT> positions;
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        // The conversion truncates toward zero, as the drawing always has.
        positions[i].x = static_cast<int>(nWidth * g_calTargets[i].dFractionX);
        positions[i].y = static_cast<int>(nHeight * g_calTargets[i].dFractionY);
    }
    return positions;
}
