// The three options (right-click delay, double-click precision, start with the desktop), the
// OK and Cancel buttons, and the device file. Everything the window changes lives in memory
// until OK writes it.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/AutoStart.h"
#include "app/MessageBox.h"
#include "app/TactiloDlg.h"
#include "devices/AppDirectory.h"

void CTactiloDlg::InitOptions() {
    const Options options = ReadOptions(m_services.options);
    m_bAutoStart = options.m_bAutoStart;
    m_nRightClickTime = options.m_nRightClickTime;
    UpdateData(false);
    auto* pPrecision = findChild<QComboBox*>("ctl1009");
    pPrecision->setCurrentIndex(PrecisionSelection(options.m_strPrecision));
    // Only the precision is read back here: a delay edited by hand beyond 5000 in the options
    // file is used as it is rather than greeting the user with a message at start-up.
    m_strPrecision = pPrecision->currentText().toStdString();
    m_touch.SetPrecision(PrecisionPixels(m_strPrecision));
    m_touch.SetRightClickTime(m_nRightClickTime);
}

bool CTactiloDlg::UpdateData(bool bSaveAndValidate) {
    auto* pDelay = findChild<QLineEdit*>("ctl1008");
    auto* pPrecision = findChild<QComboBox*>("ctl1009");
    auto* pAutoStart = findChild<QCheckBox*>("ctl1010");
    if (!bSaveAndValidate) {
        pDelay->setText(QString::number(m_nRightClickTime));
        const int nIndex =
            pPrecision->findText(QString::fromStdString(m_strPrecision), Qt::MatchExactly);
        if (nIndex >= 0) {
            pPrecision->setCurrentIndex(nIndex);
        }
        pAutoStart->setChecked(m_bAutoStart);
        return true;
    }
    unsigned nDelayMs = 0;
    std::string strMessage;
    if (!ParseRightClickTime(pDelay->text().toStdString(), nDelayMs, strMessage)) {
        m_services.messages.Show(strMessage, MessageIcon::Exclamation);
        pDelay->setFocus();
        pDelay->selectAll();
        return false;
    }
    m_nRightClickTime = nDelayMs;
    m_strPrecision = pPrecision->currentText().toStdString();
    m_bAutoStart = pAutoStart->isChecked();
    return true;
}

void CTactiloDlg::OnOkButton() {
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

void CTactiloDlg::OnCancelButton() {
    UpdateData(false);
    OnHideToTray();
}

bool CTactiloDlg::LoadDevices() {
    const bool bLoaded = m_services.deviceStore.LoadDevices(m_arrDeviceLines);
    // A missing file is the first start; a file that is there but unreadable must be told,
    // or the empty list would look like the devices were gone.
    if (!bLoaded && !m_services.deviceStore.Problem().empty()) {
        m_services.messages.Show(m_services.deviceStore.Problem(), MessageIcon::Error);
    }
    return bLoaded;
}

bool CTactiloDlg::SaveDevices() {
    return m_services.deviceStore.SaveDevices(m_arrDeviceLines);
}
