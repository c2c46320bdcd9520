// Any text through ParseDeviceLine: parsing never fails, and formatting what was parsed
// gives a line that parses to the same record and formats to the same line again
// (format after parse is idempotent), whatever the text, numbers or garbage it held.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "devices/TouchDevice.h"

namespace {

void Check(bool bHolds) {
    if (!bHolds) {
        std::abort();
    }
}

bool SameNumber(double dFirst, double dSecond) {
    return (std::isnan(dFirst) && std::isnan(dSecond)) || dFirst == dSecond;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string strInput(reinterpret_cast<const char*>(pData), nSize);
    const TouchDevice first = ParseDeviceLine(strInput);
    const std::string strLine = FormatDeviceLine(first);
    const TouchDevice second = ParseDeviceLine(strLine);
    Check(FormatDeviceLine(second) == strLine);

    // What survives a round trip exactly: the texts (no ';' can be in a parsed field), the
    // integers, and the numbers once they have been rounded to six decimals.
    Check(second.m_strName == first.m_strName && second.m_strMonitor == first.m_strMonitor &&
          second.m_strPort == first.m_strPort && second.m_strBaudRate == first.m_strBaudRate);
    Check(second.m_bConnect == first.m_bConnect && second.m_rcMonitor == first.m_rcMonitor &&
          second.m_nIndex == first.m_nIndex && second.m_bSwapXY == first.m_bSwapXY);
    const TouchDevice third = ParseDeviceLine(FormatDeviceLine(second));
    for (auto pMember :
         {&TouchDevice::m_dScaleX, &TouchDevice::m_dScaleY, &TouchDevice::m_dRawMinX,
          &TouchDevice::m_dRawMaxX, &TouchDevice::m_dRawMinY, &TouchDevice::m_dRawMaxY,
          &TouchDevice::m_dCenterX, &TouchDevice::m_dCenterY, &TouchDevice::m_dLeftX,
          &TouchDevice::m_dRightX, &TouchDevice::m_dSpanX, &TouchDevice::m_dTopY,
          &TouchDevice::m_dBottomY, &TouchDevice::m_dSpanY}) {
        Check(SameNumber(third.*pMember, second.*pMember));
    }
    return 0;
}
