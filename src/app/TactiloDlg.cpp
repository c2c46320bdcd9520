#include "app/TactiloDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <algorithm>
#include <iostream>
#include <utility>

#include "app/AboutDlg.h"
#include "app/Help.h"
#include "app/MessageBox.h"
#include "app/QtHoldTimer.h"
#include "calibration/CalibrationCodes.h"
#include "devices/AppDirectory.h"
#include "devices/DeviceListCtrl.h"
#include "devices/SelectConnection.h"
#include "resources/Resources.h"
#include "serial/PosixSerialLine.h"
#include "serial/SerialLine.h"

namespace {

constexpr unsigned TRAY_ICON_ID = 132;
constexpr int FIRST_RECONNECT_PAUSE_MS = 250;
constexpr int LAST_RECONNECT_PAUSE_MS = 4000;

}  // namespace

CTactiloDlg::CTactiloDlg(Services services, const CMyCommandLineInfo& switches, QWidget* pParent)
    : QDialog(pParent),
      m_bSwitchC(switches.m_bSwitchC),
      m_bSwitchCs(switches.m_bSwitchCs),
      m_bSwitchCsw(switches.m_bSwitchCsw),
      m_bSwitchS(switches.m_bSwitchS),
      m_bSwitchInstall(switches.m_bSwitchInstall),
      m_services(std::move(services)),
      m_port(std::move(m_services.pLine), &m_services.trace),
      m_pHoldTimer(std::make_unique<CQtHoldTimer>(
          [this](unsigned nId, std::uint64_t nTouch) { OnTimer(nId, nTouch); })),
      m_touch({m_services.readerOutput, *m_pHoldTimer, m_services.trace,
               [this](unsigned nIconId) { m_trayIcon.SetIconFromResource(nIconId); },
               &m_services.uiOutput}),
      m_reader(m_port, {[this](std::string strPacket) { ProcessPacket(std::move(strPacket)); },
                        [this] {
                            // On the reader thread: let go of a held button with the reader's own
                            // output, then tell the window, which reconnects.
                            m_touch.ReleaseHeldButtons();
                            const unsigned nGeneration = m_reader.Generation();
                            m_readerCalls.Post([this, nGeneration] { OnDeviceGone(nGeneration); });
                        }}),
      m_connection({m_port, m_reader, m_touch, *this, m_services.messages, m_services.sleepMs}),
      m_trayIcon(m_services.trayShell, this),
      m_pListDevices(new CDeviceListCtrl(this)),
      m_deviceList(*m_pListDevices, m_arrDeviceLines, m_activeDevice, *this) {
    m_pListDevices->SetEventHandler(&m_deviceList);
    BuildWindow();
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &CTactiloDlg::TryReconnect);
}

CTactiloDlg::~CTactiloDlg() {
    OnDestroy();
}

bool CTactiloDlg::OnInitDialog() {
    setWindowIcon(IconFromResource(TRAY_ICON_ID));
    // The commands are set whether or not a tray host took the icon: it appears, working,
    // when a host comes.
    m_trayIcon.Create("Tactilo - not connected", ICON_NOT_CONNECTED, TRAY_ICON_ID);
    m_trayIcon.SetDefaultMenuItem(ID_SHOW_FROM_TRAY, false);
    m_trayIcon.SetClickCommand(ID_TOGGLE_TRAY_RIGHT_CLICK);
    LoadDevices();
    m_deviceList.FillDeviceList();
    InitOptions();
    if (m_deviceList.SelectActiveDevice(-1)) {
        ConnectAtStartup();
    }
    hide();
    RunStartupActions();
    return true;
}

// A device whose port is away at start-up (an adapter not plugged in yet, a port another
// program is still letting go of) stays the chosen one, as a device that goes away later
// does: its row stays ticked, its line keeps its connect flag, and it is opened as soon as it
// can be.
void CTactiloDlg::ConnectAtStartup() {
    Disconnect();
    if (m_connection.Open(m_activeDevice, false)) {
        return;
    }
    ReportStartupFailure();
    WaitForActiveDevice();
}

void CTactiloDlg::WaitForActiveDevice() {
    m_connection.ShowAway();
    m_nReconnectPauseMs = FIRST_RECONNECT_PAUSE_MS;
    m_reconnectTimer.start(m_nReconnectPauseMs);
}

// The start-up connect puts up no message box: the program often starts with the desktop,
// with nobody there to answer one. A device that does not come up is still worth one line on
// standard error and one notification from the tray icon, or nobody would learn why.
void CTactiloDlg::ReportStartupFailure() {
    const std::string& strFailure = m_connection.LastOpenFailure();
    if (m_port.IsOpen() || strFailure.empty()) {
        return;
    }
    std::cerr << "Tactilo: " << strFailure << std::endl;
    m_services.trayShell.ShowNotification("Tactilo - not connected", strFailure);
}

void CTactiloDlg::RunStartupActions() {
    if (m_bSwitchC) {
        OnCalibrate();
    }
    if (m_bSwitchCs) {
        OnCalibrate();
        OnHideToTray();
    }
    if (m_bSwitchCsw) {
        OnCalibrate();
        if (m_nStatus != CAL_ERR_NOT_CONNECTED && m_nStatus != CAL_ERR_NO_MONITOR &&
            m_nStatus != CAL_ERR_TIMEOUT) {
            OnHideToTray();
        }
    }
}

void CTactiloDlg::Connect(bool bConnect, bool bShowErrors) {
    StopReconnecting();
    m_connection.Connect(m_activeDevice, bConnect, bShowErrors);
}

bool CTactiloDlg::Disconnect() {
    StopReconnecting();
    return m_connection.Disconnect();
}

void CTactiloDlg::RunReader(bool bStart) {
    m_reader.RunReader(bStart);
}

void CTactiloDlg::ProcessPacket(std::string strPacket) {
    m_touch.ProcessPacket(std::move(strPacket));
}

void CTactiloDlg::OnTimer(unsigned nId, std::uint64_t nTouch) {
    m_touch.OnTimer(nId, nTouch);
}

// The active device's line failed (a USB adapter unplugged, a dock undocked, a controller
// switched off). The device stays the chosen one, shown as away, and is opened again as
// soon as it can be, with growing pauses and without messages.
void CTactiloDlg::OnDeviceGone(unsigned nReaderGeneration) {
    if (nReaderGeneration != m_reader.Generation() || !m_reader.Started()) {
        return;  // from a reader that has been replaced or stopped meanwhile
    }
    m_reader.RunReader(false);
    m_port.Close();
    WaitForActiveDevice();
}

void CTactiloDlg::TryReconnect() {
    if (!m_connection.Open(m_activeDevice, false)) {
        m_nReconnectPauseMs = std::min(m_nReconnectPauseMs * 2, LAST_RECONNECT_PAUSE_MS);
        m_reconnectTimer.start(m_nReconnectPauseMs);
    }
}

void CTactiloDlg::StopReconnecting() {
    m_reconnectTimer.stop();
}

void CTactiloDlg::OnCommand(unsigned nId) {
    // The tray calls from inside its own event handling; Exit destroys the tray, so every
    // command runs once that handling has returned.
    QMetaObject::invokeMethod(
        this,
        [this, nId] {
            switch (nId) {
                case ID_TRAY_OPTIONS:
                case ID_SHOW_FROM_TRAY:
                    OnShowFromTray();
                    break;
                case ID_HIDE_TO_TRAY:
                    OnHideToTray();
                    break;
                case ID_TOGGLE_TRAY_RIGHT_CLICK:
                    OnToggleTrayRightClick();
                    break;
                case ID_TRAY_EXIT:
                    OnTrayExit();
                    break;
                case ID_TRAY_ABOUT:
                    OnTrayAbout();
                    break;
                case ID_TRAY_HELP:
                    OnTrayHelp();
                    break;
                default:
                    break;
            }
        },
        Qt::QueuedConnection);
}

void CTactiloDlg::OnShowFromTray() {
    CSystemTray::RestoreFromTray(this);
    m_trayIcon.SetDefaultMenuItem(ID_HIDE_TO_TRAY, false);
    SetTrayIcon(m_port.IsOpen() ? ICON_CONNECTED : ICON_NOT_CONNECTED);
    m_touch.SetTrayRightClick(false);
}

void CTactiloDlg::ShowModalWindow() {
    show();
    raise();
    activateWindow();
}

void CTactiloDlg::OnHideToTray() {
    CSystemTray::HideToTray(this);
    m_trayIcon.SetDefaultMenuItem(ID_SHOW_FROM_TRAY, false);
    SetTrayIcon(m_port.IsOpen() ? ICON_CONNECTED : ICON_NOT_CONNECTED);
    m_touch.SetTrayRightClick(false);
}

void CTactiloDlg::OnToggleTrayRightClick() {
    if (!m_touch.TrayRightClick() && !m_touch.HoldElapsed()) {
        if (m_port.IsOpen()) {
            SetTrayIcon(ICON_RIGHT_CLICK_ARMED);
            m_touch.SetTrayRightClick(true);
        }
        return;
    }
    SetTrayIcon(m_port.IsOpen() ? ICON_CONNECTED : ICON_NOT_CONNECTED);
    m_touch.SetTrayRightClick(false);
}

// Exit works while a dialog is open, since every dialog is modal to this window only: the
// dialog ends as Cancel, then the usual exit runs, which reads the options back (telling the
// user about a bad one) and ends the program whatever they hold, saving nothing.
void CTactiloDlg::OnTrayExit() {
    EndOwnedDialogs();
    if (m_bExiting) {
        return;  // Exit again while the first one shows its message: that one goes on
    }
    m_bExiting = true;
    UpdateData(true);
    OnDestroy();
    hide();
    emit exitRequested();
}

void CTactiloDlg::EndOwnedDialogs() {
    const QList<QDialog*> dialogs = findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    // The newest first: a message box may stand over the dialog that showed it.
    for (auto it = dialogs.crbegin(); it != dialogs.crend(); ++it) {
        if ((*it)->isVisible()) {
            (*it)->reject();
        }
    }
}

void CTactiloDlg::OnTrayAbout() {
    // One About box: the tray menu stays usable while it is open.
    CAboutDlg* pOpen = findChild<CAboutDlg*>(QString(), Qt::FindDirectChildrenOnly);
    if (pOpen && pOpen->isVisible()) {
        pOpen->raise();
        pOpen->activateWindow();
        return;
    }
    CAboutDlg about(this);
    about.exec();
}

void CTactiloDlg::OnTrayHelp() {
    if (const std::string strReason = OpenHelp(GetAppDirectory()); !strReason.empty()) {
        m_services.messages.Show(strReason, MessageIcon::Exclamation);
    }
}

void CTactiloDlg::OnTerminate() {
    EndOwnedDialogs();
    m_trayIcon.RemoveIcon();
    OnDestroy();
    hide();
    emit exitRequested();
}

void CTactiloDlg::OnDestroy() {
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    Disconnect();
    m_trayIcon.RemoveIcon();
}

// The close box and Alt+F4 hide the window into the tray: the program keeps running with its
// device, so it must keep the icon that brings the window back.
void CTactiloDlg::closeEvent(QCloseEvent* pEvent) {
    pEvent->ignore();
    OnHideToTray();
}

void CTactiloDlg::reject() {
    OnCancelButton();
}

void CTactiloDlg::SetTrayIcon(unsigned nIconId) {
    m_trayIcon.SetIconFromResource(nIconId);
}

void CTactiloDlg::SetTrayTooltip(const std::string& strText) {
    m_trayIcon.SetTooltip(strText);
}

bool CTactiloDlg::GetRowCheck(int nRow) const {
    return m_pListDevices->GetCheck(nRow);
}

void CTactiloDlg::SetRowCheck(int nRow, bool bChecked) {
    m_pListDevices->SetCheck(nRow, bChecked);
}

bool CTactiloDlg::RunDeviceSettings(DeviceSettingsValues& values, bool bModify) {
    return CSelectConnection::RunModal(
        values, bModify,
        {m_services.monitors, [] { return std::make_unique<CPosixSerialLine>(); },
         m_services.messages},
        this);
}

void CTactiloDlg::EnableCalibrate(bool bEnable) {
    m_pCalibrate->setEnabled(bEnable);
}
