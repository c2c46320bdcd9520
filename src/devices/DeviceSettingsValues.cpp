#include "devices/DeviceSettingsValues.h"

DeviceSettingsValues ValuesFromDevice(const TouchDevice& device) {
    DeviceSettingsValues values;
    values.m_strName = device.m_strName;
    values.m_strMonitor = device.m_strMonitor;
    values.m_rcMonitor = device.m_rcMonitor;
    values.m_strPort = device.m_strPort;
    values.m_strBaudRate = device.m_strBaudRate;
    values.m_bConnect = device.m_bConnect;
    values.m_bSwapXY = device.m_bSwapXY;
    values.m_dScaleX = device.m_dScaleX;
    values.m_dScaleY = device.m_dScaleY;
    values.m_dRawMinX = device.m_dRawMinX;
    values.m_dRawMaxX = device.m_dRawMaxX;
    values.m_dRawMaxY = device.m_dRawMaxY;
    values.m_dRawMinY = device.m_dRawMinY;
    return values;
}

void StoreValues(const DeviceSettingsValues& values, TouchDevice& device) {
    device.m_strName = values.m_strName;
    device.m_strMonitor = values.m_strMonitor;
    device.m_rcMonitor = values.m_rcMonitor;
    device.m_strPort = values.m_strPort;
    device.m_strBaudRate = values.m_strBaudRate;
    device.m_bConnect = values.m_bConnect;
    device.m_bSwapXY = values.m_bSwapXY;
    device.m_dScaleX = values.m_dScaleX;
    device.m_dScaleY = values.m_dScaleY;
    device.m_dRawMinX = values.m_dRawMinX;
    device.m_dRawMaxX = values.m_dRawMaxX;
    device.m_dRawMaxY = values.m_dRawMaxY;
    device.m_dRawMinY = values.m_dRawMinY;
}
