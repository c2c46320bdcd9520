#pragma once

#include <string>
#include <vector>

#include "devices/DetectRun.h"
#include "devices/DeviceSettings.h"
#include "devices/DeviceSettingsValues.h"
#include "serial/PortChoices.h"
#include "win32/ui/Win32PostedCalls.h"

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
//   Detect 1021      | beside the baud rate; selects the rate CDetectRun finds
//   progress 1022    | while detecting: how many rates were tried
//
// Detect listens at each rate in turn on a thread of CDetectRun's, with the dialog's message
// loop running; its reports come back as WM_RUN_POSTED. Cancel or closing ends the search.
class CWin32SelectConnection final : private IDetectRunView {
public:
    // Runs the dialog modally over hOwner on values; true after Save, values read back.
    // Detect reads the port through fnMakeDetectLine (a CWin32SerialLine when empty).
    static bool RunModal(HINSTANCE hInstance, HWND hOwner, DeviceSettingsValues& values,
                         bool bModify, IMonitorSource& monitors, IMessageBox& messages,
                         CDetectRun::LineFactory fnMakeDetectLine = {});

private:
    CWin32SelectConnection(IMonitorSource& monitors, IMessageBox& messages,
                           CDetectRun::LineFactory fnMakeDetectLine);
    ~CWin32SelectConnection() override = default;
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    bool OnSave();
    void OnNameChanged();
    CDeviceSettings::Choices ReadControls() const;
    void Focus(CDeviceSettings::Field field);
    // The dialog ends: a running search is stopped first.
    void End(INT_PTR nResult);

    // IDetectRunView: what CDetectRun says to show.
    void EnableForDetect(const Enabled& enabled) override;
    void ShowDetectProgress(int nStep, int nSteps, const std::string& strStatus) override;
    void SelectBaudRow(int nRow) override;

    CDeviceSettings m_settings;
    CWin32PostedCalls m_calls;
    CDetectRun m_detectRun;
    DeviceSettingsValues m_values;
    bool m_bModify = false;
    HWND m_hWnd = nullptr;
};

// The COM ports COM1 to COM64, each listed as "COMn" (" — in use" when another program holds
// it): those the system names (QueryDosDevice) and those that answer a query-only open, which
// neither reads nor sets up the line. Ports that only a driver's own link names (Wine's
// dosdevices, some virtual port drivers) are found by the second.
std::vector<PortChoice> Win32PortChoices();
