#pragma once

#include <string>

#include "devices/TouchDevice.h"

// What the Device Settings dialog edits for one device: the caller fills it before running
// the dialog and reads it back after Save. The six calibration numbers only travel through
// the dialog, so that a device keeps them across a Modify; a new device gets 0.0.
struct DeviceSettingsValues {
    std::string m_strName;
    std::string m_strMonitor;
    ScreenRect m_rcMonitor;
    std::string m_strPort;
    std::string m_strBaudRate;
    int m_bConnect = 0;
    int m_bSwapXY = 0;
    double m_dScaleX = 0.0;
    double m_dScaleY = 0.0;
    double m_dRawMinX = 0.0;
    double m_dRawMaxX = 0.0;
    double m_dRawMaxY = 0.0;
    double m_dRawMinY = 0.0;

    bool operator==(const DeviceSettingsValues&) const = default;
};

// The record's part that the dialog edits.
DeviceSettingsValues ValuesFromDevice(const TouchDevice& device);
// Stores the dialog's values into the record; everything else of it stays.
void StoreValues(const DeviceSettingsValues& values, TouchDevice& device);
