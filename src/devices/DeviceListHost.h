#pragma once

#include "devices/DeviceSettingsValues.h"

// What the device list asks of the main window, which owns the connection and the dialogs.
class IDeviceListHost {
public:
    virtual ~IDeviceListHost() = default;

    // Connects (bConnect) or disconnects the active device. Connecting disconnects first;
    // success ticks the active device's row, failure or a disconnect unticks it, through
    // IDeviceListView::SetCheck. bShowErrors: a port that will not open is reported.
    virtual void Connect(bool bConnect, bool bShowErrors) = 0;
    // Exchanges the window's members with its controls; false when validation failed. (The
    // Remove command ends with UpdateData(false), which refreshes the controls.)
    virtual bool UpdateData(bool bSaveAndValidate) = 0;
    // Runs the Device Settings dialog modally on values; bModify preselects the values'
    // monitor, port and baud rate. True after Save, with values read back; false after Cancel,
    // with values untouched.
    virtual bool RunDeviceSettings(DeviceSettingsValues& values, bool bModify) = 0;
    // Modify and Remove act on the selected row: enabled while there is one.
    virtual void EnableModifyRemove(bool bEnable) = 0;
};
