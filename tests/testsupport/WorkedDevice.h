#pragma once

#include <string>

#include "devices/TouchDevice.h"

// The worked calibration the live touch tests share, connected: in x raw 180..860 around 517
// over 1920 pixels (raw 600 -> pixel 1147, 700 -> 1366), in y raw 200..800 around 500 over
// 1080 pixels (raw 500 lies on the centre line and maps to pixel 540).
inline TouchDevice WorkedDevice(const std::string& strPort = "COM5",
                                const std::string& strBaud = "9600",
                                ScreenRect rc = {0, 0, 1920, 1080}) {
    TouchDevice device;
    device.m_strName = "Front";
    device.m_strMonitor = "screen";
    device.m_strPort = strPort;
    device.m_strBaudRate = strBaud;
    device.m_bConnect = 1;
    device.m_rcMonitor = rc;
    device.m_dLeftX = 180;
    device.m_dRightX = 860;
    device.m_dCenterX = 517;
    device.m_dScaleX = 1920.0 / 850.0;
    device.m_dTopY = 200;
    device.m_dBottomY = 800;
    device.m_dCenterY = 500;
    device.m_dScaleY = 1080.0 / 750.0;
    return device;
}
