// The three options (right-click delay, double-click precision, start with the desktop), the
// OK and Cancel buttons, and the device file. Everything the window changes lives in memory
// until OK writes it.

#include <iostream>

#include "app/AutoStart.h"
#include "app/MessageBox.h"
#include "app/Options.h"
#include "app/TactiloHub.h"
#include "devices/AppDirectory.h"
#include "devices/LegacyText.h"
#include "tray/TrayShell.h"

void CTactiloHub::InitOptions() {
    const Options options = ReadOptions(m_services.options);
    m_bAutoStart = options.m_bAutoStart;
    m_nRightClickTime = options.m_nRightClickTime;
    // The precision is read back as its entry; a delay edited by hand outside the field's
    // range has already become the default (ReadOptions).
    m_strPrecision =
        PRECISION_ENTRIES[static_cast<std::size_t>(PrecisionSelection(options.m_strPrecision))];
    UpdateData(false);
    m_touch.SetPrecision(PrecisionPixels(m_strPrecision));
    m_touch.SetRightClickTime(m_nRightClickTime);
}

bool CTactiloHub::UpdateData(bool bSaveAndValidate) {
    if (!bSaveAndValidate) {
        m_view.SetOptionControls({std::to_string(m_nRightClickTime), m_strPrecision, m_bAutoStart});
        return true;
    }
    const OptionControls controls = m_view.GetOptionControls();
    unsigned nDelayMs = 0;
    std::string strMessage;
    if (!ParseRightClickTime(controls.strDelay, nDelayMs, strMessage)) {
        m_services.messages.Show(strMessage, MessageIcon::Exclamation);
        m_view.FocusDelay();
        return false;
    }
    m_nRightClickTime = nDelayMs;
    m_strPrecision = controls.strPrecision;
    m_bAutoStart = controls.bAutoStart;
    return true;
}

void CTactiloHub::OnOkButton() {
    if (!UpdateData(true)) {
        return;
    }
    OnHideToTray();
    m_touch.SetPrecision(PrecisionPixels(m_strPrecision));
    m_touch.SetRightClickTime(m_nRightClickTime);
    // The entry first, so that "AutoStart" records what is really on disk: an entry that
    // could not be written leaves the option off, one that could not be removed leaves it on.
    if (!ApplyAutoStart(m_services.autoStart, m_bAutoStart, GetAppDirectory(),
                        AutoStartSuffix(m_bSwitchS, m_bSwitchC, m_bSwitchCs, m_bSwitchCsw))) {
        m_services.messages.Show(std::string("Writing ") + OPTION_AUTO_START + " failed. " +
                                     m_services.autoStart.Problem(),
                                 MessageIcon::None);
        m_bAutoStart = !m_bAutoStart;
        UpdateData(false);
    }
    Options options;
    options.m_bAutoStart = m_bAutoStart;
    options.m_strPrecision = m_strPrecision;
    options.m_nRightClickTime = m_nRightClickTime;
    WriteOptions(m_services.options, options, m_services.messages);
    // Saying nothing here would lose every device change without a word.
    if (!SaveDevices()) {
        m_services.messages.Show(m_services.deviceStore.Problem(), MessageIcon::Error);
    }
}

void CTactiloHub::OnCancelButton() {
    UpdateData(false);
    OnHideToTray();
}

bool CTactiloHub::LoadDevices() {
    const bool bLoaded = m_services.deviceStore.LoadDevices(m_arrDeviceLines);
    m_vecSavedLines = m_arrDeviceLines.Lines();
    // A missing file is the first start; a file that is there but unreadable must be told,
    // or the empty list would look like the devices were gone.
    if (!bLoaded && !m_services.deviceStore.Problem().empty()) {
        m_services.messages.Show(m_services.deviceStore.Problem(), MessageIcon::Error);
    }
    return bLoaded;
}

bool CTactiloHub::SaveDevices() {
    if (!m_services.deviceStore.SaveDevices(m_arrDeviceLines)) {
        return false;
    }
    m_vecSavedLines = m_arrDeviceLines.Lines();
    return true;
}

// Device changes (a calibration, Add, Modify, Remove, a tick) live in memory until OK. Exit
// does not wait for an answer, since a logout cannot give one, but it says what it drops, so
// that a calibration is not lost without a word.
void CTactiloHub::TellUnsavedDevices() {
    const std::vector<std::string> vecNames =
        UnsavedDeviceNames(m_vecSavedLines, m_arrDeviceLines.Lines());
    if (vecNames.empty()) {
        return;
    }
    std::string strNames;
    for (const std::string& strName : vecNames) {
        strNames += (strNames.empty() ? "" : ", ") + ShownField(strName);
    }
    const std::string strText = "Tactilo ended without saving the changes to " + strNames +
                                ". OK in the Device Manager saves them.";
    std::cerr << "Tactilo: " << strText << std::endl;
    m_services.trayShell.ShowNotification("Tactilo - changes not saved", strText,
                                          NotificationIcon::Warning);
}
