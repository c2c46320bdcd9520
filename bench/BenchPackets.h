#pragma once

#include <array>
#include <string>

#include "devices/TouchDevice.h"
#include "touch/BitString.h"

// Packets and a device for the benchmarks. The device's calibration is linear across the
// whole 1920 x 1080 screen (the 10 %, centre and 90 % anchors all agree), so a benchmark can
// tell which pixel a raw point lands on: x = raw x * 1.875, y = raw y * 1.0546875.

inline std::array<unsigned char, 3> BenchPacketBytes(bool bTouch, int nRawX, int nRawY) {
    return {static_cast<unsigned char>(0x80 | (bTouch ? 0x40 : 0) | ((nRawX >> 7) & 7) << 3 |
                                       ((nRawY >> 7) & 7)),
            static_cast<unsigned char>(nRawX & 0x7F), static_cast<unsigned char>(nRawY & 0x7F)};
}

// The packet as the reader hands it to the processor: 24 characters '0'/'1'.
inline std::string BenchPacketText(bool bTouch, int nRawX, int nRawY) {
    std::string strText;
    for (unsigned char nByte : BenchPacketBytes(bTouch, nRawX, nRawY)) {
        strText += ByteToBits(nByte);
    }
    return strText;
}

inline TouchDevice BenchDevice(int nPort = 7, const char* szBaudRate = "256000") {
    TouchDevice device;
    device.m_strName = "Bench";
    device.m_strMonitor = "screen";
    device.m_strPort = "COM" + std::to_string(nPort);
    device.m_strBaudRate = szBaudRate;
    device.m_bConnect = 1;
    device.m_rcMonitor = {0, 0, 1920, 1080};
    device.m_dScaleX = 1920.0 / 1024.0;
    device.m_dScaleY = 1080.0 / 1024.0;
    device.m_dRawMinX = 0.0;
    device.m_dRawMaxX = 1023.0;
    device.m_dRawMinY = 0.0;
    device.m_dRawMaxY = 1023.0;
    device.m_dCenterX = 512.0;
    device.m_dCenterY = 512.0;
    device.m_dLeftX = 102.4;
    device.m_dRightX = 921.6;
    device.m_dSpanX = 819.2;
    device.m_dTopY = 102.4;
    device.m_dBottomY = 921.6;
    device.m_dSpanY = 819.2;
    return device;
}
