#include "devices/TouchDevice.h"

#include "devices/NumberText.h"

namespace {

void AppendField(std::string& strLine, const std::string& strField) {
    strLine += strField;
    strLine += ';';
}

}  // namespace

std::string FormatDeviceLine(TouchDevice device) {
    std::string strLine;
    strLine.reserve(200);
    AppendField(strLine, device.m_strName);
    AppendField(strLine, device.m_strMonitor);
    AppendField(strLine, device.m_strPort);
    AppendField(strLine, device.m_strBaudRate);
    AppendField(strLine, IntToText(device.m_bConnect));
    AppendField(strLine, IntToText(device.m_rcMonitor.left));
    AppendField(strLine, IntToText(device.m_rcMonitor.right));
    AppendField(strLine, IntToText(device.m_rcMonitor.top));
    AppendField(strLine, IntToText(device.m_rcMonitor.bottom));
    for (double dValue : {device.m_dScaleX, device.m_dRawMaxX, device.m_dRawMinX, device.m_dScaleY,
                          device.m_dRawMaxY, device.m_dRawMinY, device.m_dCenterX,
                          device.m_dCenterY, device.m_dLeftX, device.m_dRightX, device.m_dSpanX,
                          device.m_dTopY, device.m_dBottomY, device.m_dSpanY}) {
        AppendField(strLine, DoubleToText(dValue));
    }
    AppendField(strLine, IntToText(device.m_nIndex));
    AppendField(strLine, IntToText(device.m_bSwapXY));
    return strLine;
}

TouchDevice ParseDeviceLine(std::string strLine) {
    TouchDevice device;
    double* const apNumbers[] = {&device.m_dScaleX,  &device.m_dRawMaxX, &device.m_dRawMinX,
                                 &device.m_dScaleY,  &device.m_dRawMaxY, &device.m_dRawMinY,
                                 &device.m_dCenterX, &device.m_dCenterY, &device.m_dLeftX,
                                 &device.m_dRightX,  &device.m_dSpanX,   &device.m_dTopY,
                                 &device.m_dBottomY, &device.m_dSpanY};

    std::size_t nStart = 0;
    for (int k = 0; k < 25; ++k) {
        const std::size_t nEnd = strLine.find(';', nStart);
        if (nEnd == std::string::npos) {
            break;
        }
        std::string strToken = strLine.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        switch (k) {
            case 0:
                device.m_strName = std::move(strToken);
                break;
            case 1:
                device.m_strMonitor = std::move(strToken);
                break;
            case 2:
                device.m_strPort = std::move(strToken);
                break;
            case 3:
                device.m_strBaudRate = std::move(strToken);
                break;
            case 4:
                device.m_bConnect = TextToInt(strToken);
                break;
            case 5:
                device.m_rcMonitor.left = TextToInt(strToken);
                break;
            case 6:
                device.m_rcMonitor.right = TextToInt(strToken);
                break;
            case 7:
                device.m_rcMonitor.top = TextToInt(strToken);
                break;
            case 8:
                device.m_rcMonitor.bottom = TextToInt(strToken);
                break;
            case 23:
                // Row positions are 16-bit: keep the low 16 bits as a signed number.
                device.m_nIndex = static_cast<std::int16_t>(
                    static_cast<std::uint16_t>(static_cast<unsigned>(TextToInt(strToken))));
                break;
            case 24:
                device.m_bSwapXY = TextToInt(strToken);
                break;
            default:
                *apNumbers[k - 9] = TextToDouble(strToken);
                break;
        }
    }
    return device;
}
