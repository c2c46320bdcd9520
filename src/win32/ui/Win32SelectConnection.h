#pragma once

#include <vector>

#include "devices/DeviceSettings.h"
#include "devices/DeviceSettingsValues.h"
#include "serial/PortChoices.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

class IMessageBox;
class IMonitorSource;

// "Device Settings" (template 131) on Windows: the Win32 view of CDeviceSettings, which
// decides what is listed, preselected, refused and saved, as CSelectConnection is the Qt one.
//
//   control          | shows                         | Save reads
//   -----------------+-------------------------------+---------------------------
//   Connect 1012     | m_bConnect                    | the tick
//   Device name 1013 | the name, NameLimit() long     | the text
//   Monitor 1014     | CDeviceSettings::Monitors()   | the row
//   Com port 1015    | Win32PortChoices()            | the row
//   Baud rate 1016   | CDeviceSettings::BAUD_RATES   | the row
//   X/Y-Swap 1019    | m_bSwapXY                     | the tick
class CWin32SelectConnection {
public:
    // Runs the dialog modally over hOwner on values; true after Save, values read back.
    static bool RunModal(HINSTANCE hInstance, HWND hOwner, DeviceSettingsValues& values,
                         bool bModify, IMonitorSource& monitors, IMessageBox& messages);

private:
    CWin32SelectConnection(IMonitorSource& monitors, IMessageBox& messages);
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    bool OnSave();
    void OnNameChanged();
    CDeviceSettings::Choices ReadControls() const;
    void Focus(CDeviceSettings::Field field);

    CDeviceSettings m_settings;
    DeviceSettingsValues m_values;
    bool m_bModify = false;
    HWND m_hWnd = nullptr;
};

// The COM ports COM1 to COM64, each listed as "COMn" (" — in use" when another program holds
// it): those the system names (QueryDosDevice) and those that answer a query-only open, which
// neither reads nor sets up the line. Ports that only a driver's own link names (Wine's
// dosdevices, some virtual port drivers) are found by the second.
std::vector<PortChoice> Win32PortChoices();
