#pragma once

#include <cstdint>
#include <string>

#include "calibration/CalibrationGuide.h"
#include "calibration/CalibrationNumbers.h"
#include "devices/DeviceSettingsValues.h"
#include "devices/TouchDevice.h"

class IDeviceListView;

// The three option controls of the Device Manager as text and tick, as a user left them.
struct OptionControls {
    std::string strDelay;      // the right-click delay edit, as typed
    std::string strPrecision;  // the selected precision entry ("5" ... "30")
    bool bAutoStart = false;   // "Run Tactilo on Startup"
};

// One run of the calibration page: the hub fills the first part, the page the rest.
struct CalibrationRun {
    ScreenRect rcMonitor;  // the monitor the page covers, in native pixels
    std::string strDevice;
    bool bAccepted = false;      // the page ended with numbers worth storing
    CalibrationNumbers numbers;  // when bAccepted
    std::uint32_t nResult = 0;   // CAL_ERR_TIMEOUT when a target's time ran out, else 0
    CalOutcome outcome = CalOutcome::Cancelled;
};

// What the hub (CTactiloHub) needs of the window that shows it: the Device Manager window
// with its controls, and the modal dialogs it owns. The hub decides; a view only shows what it
// is told and reports what the user did by calling the hub's operations. User-interface
// thread only. The Qt view is CTactiloDlg.
class IMainWindowView {
public:
    virtual ~IMainWindowView() = default;

    // The list control of the devices, alive as long as the view.
    virtual IDeviceListView& DeviceListView() = 0;

    // The window hides into the tray and comes back from it (un-minimised, raised, active).
    virtual void HideWindow() = 0;
    virtual void RestoreWindow() = 0;
    virtual void EnableCalibrate(bool bEnable) = 0;
    virtual void EnableModifyRemove(bool bEnable) = 0;

    // The option controls. SetOptionControls leaves the precision as it is when the text is
    // no entry of its list.
    virtual OptionControls GetOptionControls() const = 0;
    virtual void SetOptionControls(const OptionControls& controls) = 0;
    // The delay was refused: the user goes back to it with its text selected.
    virtual void FocusDelay() = 0;

    // Modal dialogs, owned by the window, each returning once the user (or EndOwnedDialogs)
    // ended it. Device Settings: true after Save with values read back, false after Cancel
    // with values untouched.
    virtual bool RunDeviceSettings(DeviceSettingsValues& values, bool bModify) = 0;
    virtual void RunCalibration(CalibrationRun& run) = 0;
    // One About box at a time: asked again while one is open, that one comes to the front.
    virtual void ShowAbout() = 0;
    // Opens the manual; the text to tell the user when that failed, else empty.
    virtual std::string OpenHelp() = 0;
    // Ends every dialog of the window still open as Cancel (the calibration page as ESC),
    // the newest first; their modal loops return afterwards.
    virtual void EndOwnedDialogs() = 0;
    // The hub has let go of everything: the program ends once the window is gone.
    virtual void EndProgram() = 0;
};
