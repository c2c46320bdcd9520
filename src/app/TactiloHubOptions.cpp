// The three options (right-click delay, double-click precision, start with the desktop), the
// OK and Cancel buttons, and the device file. Everything the window changes lives in memory
// until OK writes it.

#include "app/AutoStart.h"
#include "app/MessageBox.h"
#include "app/Options.h"
#include "app/TactiloHub.h"
#include "devices/AppDirectory.h"

void CTactiloHub::InitOptions() {
    const Options options = ReadOptions(m_services.options);
    m_bAutoStart = options.m_bAutoStart;
    m_nRightClickTime = options.m_nRightClickTime;
    // Only the precision is read back as its entry: a delay edited by hand beyond 5000 in the
    // options file is used as it is rather than greeting the user with a message at start-up.
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
    Options options;
    options.m_bAutoStart = m_bAutoStart;
    options.m_strPrecision = m_strPrecision;
    options.m_nRightClickTime = m_nRightClickTime;
    WriteOptions(m_services.options, options, m_services.messages);
    ApplyAutoStart(m_services.autoStart, m_bAutoStart, GetAppDirectory(),
                   AutoStartSuffix(m_bSwitchS, m_bSwitchC, m_bSwitchCs, m_bSwitchCsw));
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
    // A missing file is the first start; a file that is there but unreadable must be told,
    // or the empty list would look like the devices were gone.
    if (!bLoaded && !m_services.deviceStore.Problem().empty()) {
        m_services.messages.Show(m_services.deviceStore.Problem(), MessageIcon::Error);
    }
    return bLoaded;
}

bool CTactiloHub::SaveDevices() {
    return m_services.deviceStore.SaveDevices(m_arrDeviceLines);
}
