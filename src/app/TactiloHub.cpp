#include "app/TactiloHub.h"

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <utility>

#include "app/MessageBox.h"
#include "app/TraceSink.h"
#include "app/UiDispatcher.h"
#include "app/UiTimer.h"
#include "calibration/CalibrationCodes.h"
#include "serial/PortNames.h"
#include "serial/SerialLine.h"
#include "tray/TrayShell.h"

namespace {

constexpr unsigned TRAY_ICON_ID = 132;

// Open failures that mean the device is not there: no node or a dangling link (ENOENT), a
// node whose adapter is gone or going (ENODEV, ENXIO, EIO).
bool IsAbsent(int nError) {
    return nError == ENOENT || nError == ENODEV || nError == ENXIO || nError == EIO;
}

// udev announces the nodes it makes under /dev; a pseudo-terminal (a simulator, socat) or a
// node elsewhere comes back unannounced.
bool IsAnnouncedNode(const std::string& strPath) {
    return strPath.rfind("/dev/", 0) == 0 && strPath.rfind("/dev/pts/", 0) != 0;
}

}  // namespace

CTactiloHub::CTactiloHub(Services services, Seams seams, IMainWindowView& view,
                         const CMyCommandLineInfo& switches)
    : m_bSwitchC(switches.m_bSwitchC),
      m_bSwitchCs(switches.m_bSwitchCs),
      m_bSwitchCsw(switches.m_bSwitchCsw),
      m_bSwitchS(switches.m_bSwitchS),
      m_bSwitchInstall(switches.m_bSwitchInstall),
      m_services(std::move(services)),
      m_seams(std::move(seams)),
      m_view(view),
      m_port(std::move(m_services.pLine), &m_services.trace),
      m_touch({m_services.readerOutput, m_seams.holdTimer, m_services.trace,
               [this](unsigned nIconId) { m_trayIcon.SetIconFromResource(nIconId); },
               &m_services.uiOutput}),
      m_reader(m_port,
               {[this](std::string strPacket) { ProcessPacket(std::move(strPacket)); },
                [this] {
                    // On the reader thread: let go of a held button with the reader's own
                    // output, then tell the user-interface thread, which reconnects.
                    m_touch.ReleaseHeldButtons();
                    const unsigned nGeneration = m_reader.Generation();
                    m_seams.dispatcher.Post([this, nGeneration] { OnDeviceGone(nGeneration); });
                },
                [this] {
                    const unsigned nGeneration = m_reader.Generation();
                    m_seams.dispatcher.Post([this, nGeneration] { OnLineNoise(nGeneration); });
                }},
               m_seams.nowMs ? m_seams.nowMs : CReaderThread::Clock(CReaderThread::SteadyClockMs)),
      m_connection({m_port, m_reader, m_touch, *this, m_services.messages, m_services.sleepMs}),
      m_trayIcon(m_services.trayShell, this),
      m_deviceList(m_view.DeviceListView(), m_arrDeviceLines, m_activeDevice, *this) {}

CTactiloHub::~CTactiloHub() {
    OnDestroy();
}

bool CTactiloHub::OnInitDialog() {
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
    m_view.HideWindow();
    const bool bAnySwitch =
        m_bSwitchS || m_bSwitchC || m_bSwitchCs || m_bSwitchCsw || m_bSwitchInstall;
    RunStartupActions(m_bSwitchC, m_bSwitchCs, m_bSwitchCsw);
    if (!bAnySwitch && m_arrDeviceLines.IsEmpty()) {
        OnShowFromTray();
    }
    return true;
}

void CTactiloHub::OnHandOver(const CMyCommandLineInfo& switches) {
    // A calibration already on screen keeps going; the second one would only stack on it.
    const bool bCalibrate = switches.m_bSwitchC || switches.m_bSwitchCs || switches.m_bSwitchCsw;
    if (bCalibrate && !m_touch.Calibrating() &&
        RunStartupActions(switches.m_bSwitchC, switches.m_bSwitchCs, switches.m_bSwitchCsw)) {
        return;
    }
    OnShowFromTray();
}

// A device whose port is away at start-up (an adapter not plugged in yet, a port another
// program is still letting go of) stays the chosen one, as a device that goes away later
// does: its row stays ticked, its line keeps its connect flag, and it is opened as soon as it
// can be.
void CTactiloHub::ConnectAtStartup() {
    Disconnect();
    if (m_connection.Open(m_activeDevice, false)) {
        return;
    }
    ReportStartupFailure();
    WaitForActiveDevice();
}

void CTactiloHub::WaitForActiveDevice() {
    m_connection.ShowAway();
    m_nReconnectPauseMs = FIRST_RECONNECT_PAUSE_MS;
    ScheduleReconnect();
}

// The start-up connect puts up no message box: the program often starts with the desktop,
// with nobody there to answer one. A device that does not come up is still worth one line on
// standard error and one notification from the tray icon, or nobody would learn why.
void CTactiloHub::ReportStartupFailure() {
    const std::string& strFailure = m_connection.LastOpenFailure();
    if (m_port.IsOpen() || strFailure.empty()) {
        return;
    }
    std::cerr << "Tactilo: " << strFailure << std::endl;
    m_services.trayShell.ShowNotification("Tactilo - not connected", strFailure,
                                          NotificationIcon::Warning);
}

// The calibrating switches, in the order c, cs, csw. True when the last of them left the
// window hidden in the tray; otherwise the window is to show once they are done.
bool CTactiloHub::RunStartupActions(bool bSwitchC, bool bSwitchCs, bool bSwitchCsw) {
    bool bHidden = false;
    if (bSwitchC) {
        OnCalibrate();
    }
    if (bSwitchCs) {
        OnCalibrate();
        OnHideToTray();
        bHidden = true;
    }
    if (bSwitchCsw) {
        OnCalibrate();
        bHidden = m_nStatus != CAL_ERR_NOT_CONNECTED && m_nStatus != CAL_ERR_NO_MONITOR &&
                  m_nStatus != CAL_ERR_TIMEOUT;
        if (bHidden) {
            OnHideToTray();
        }
    }
    return bHidden;
}

void CTactiloHub::Connect(bool bConnect, bool bShowErrors) {
    StopReconnecting();
    m_connection.Connect(m_activeDevice, bConnect, bShowErrors);
}

bool CTactiloHub::Disconnect() {
    StopReconnecting();
    return m_connection.Disconnect();
}

void CTactiloHub::RunReader(bool bStart) {
    m_reader.RunReader(bStart);
}

void CTactiloHub::ProcessPacket(std::string strPacket) {
    m_touch.ProcessPacket(std::move(strPacket));
}

void CTactiloHub::OnTimer(unsigned nId, std::uint64_t nTouch) {
    m_touch.OnTimer(nId, nTouch);
}

// The active device's line failed (a USB adapter unplugged, a dock undocked, a controller
// switched off). The device stays the chosen one, shown as away, and is opened again as
// soon as it can be (see ScheduleReconnect), without messages.
void CTactiloHub::OnDeviceGone(unsigned nReaderGeneration) {
    if (nReaderGeneration != m_reader.Generation() || !m_reader.Started()) {
        return;  // from a reader that has been replaced or stopped meanwhile
    }
    m_reader.RunReader(false);
    // The reader let go of what a touch held when the line failed, but it went on reading
    // after its pause: a touch that came then pressed again, and no lift will follow now.
    m_touch.ReleaseHeldButtonsAfterStop();
    m_port.Close();
    WaitForActiveDevice();
}

// The reader's guard keeps the line's data from acting; the user learns why the touch
// screen does nothing, once per episode (the guard says when one begins). The usual cause
// is a baud rate that differs from the controller's.
void CTactiloHub::OnLineNoise(unsigned nReaderGeneration) {
    if (nReaderGeneration != m_reader.Generation() || !m_reader.Started()) {
        return;
    }
    const std::string strText = LineNoiseText(m_activeDevice);
    m_services.trace.Trace((strText + "\n").c_str());
    m_services.trayShell.ShowNotification("Tactilo", strText, NotificationIcon::Warning);
}

std::string CTactiloHub::LineNoiseText(const TouchDevice& device) {
    return device.m_strPort + " sends data that is not a touch screen's at " +
           device.m_strBaudRate + " baud: check the baud rate in Device Settings";
}

void CTactiloHub::OnReconnectTimer() {
    TryReconnect();
}

// An adapter plugged back in is opened as soon as the system announces it: an absent device
// waits for that alone, and one retried on a timer is tried at once instead of at the next
// retry.
void CTactiloHub::OnPortAdded() {
    if (ReconnectPending()) {
        StopReconnecting();
        TryReconnect();
    }
}

void CTactiloHub::TryReconnect() {
    if (!m_connection.Open(m_activeDevice, false)) {
        m_nReconnectPauseMs = std::min(m_nReconnectPauseMs * 2, LAST_RECONNECT_PAUSE_MS);
        ScheduleReconnect();
    }
}

// A device that is not there is tried again when udev announces a tty, and not before:
// retrying it on a timer would only poll. A port that is there but refused (EBUSY: another
// program holds it; EACCES) frees up unannounced, so it keeps the growing pause, as does any
// away device where nothing announces ports. The first try after an outage comes after the
// first pause: the port last opened, so there is no failure yet to go by.
void CTactiloHub::ScheduleReconnect() {
    if (ComesBackAnnounced()) {
        m_bAwaitingPort = true;
    } else {
        m_seams.reconnectTimer.Start(m_nReconnectPauseMs);
    }
}

bool CTactiloHub::ComesBackAnnounced() const {
    if (!m_bPortsAnnounced || !IsAbsent(m_connection.LastOpenError())) {
        return false;
    }
    const int nPort = CDeviceConnection::GetPortNumber(m_activeDevice.m_strPort);
    return IsAnnouncedNode(PortTargetPath(nPort));
}

void CTactiloHub::StopReconnecting() {
    m_seams.reconnectTimer.Stop();
    m_bAwaitingPort = false;
}

bool CTactiloHub::ReconnectPending() const {
    return m_bAwaitingPort || m_seams.reconnectTimer.IsActive();
}

void CTactiloHub::OnCommand(unsigned nId) {
    // The tray calls from inside its own event handling; Exit destroys the tray, so every
    // command runs once that handling has returned.
    m_seams.dispatcher.Post([this, nId] { RunCommand(nId); });
}

void CTactiloHub::RunCommand(unsigned nId) {
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
}

void CTactiloHub::OnShowFromTray() {
    m_view.RestoreWindow();
    m_trayIcon.SetDefaultMenuItem(ID_HIDE_TO_TRAY, false);
    SetTrayIcon(m_port.IsOpen() ? ICON_CONNECTED : ICON_NOT_CONNECTED);
    m_touch.SetTrayRightClick(false);
}

void CTactiloHub::OnHideToTray() {
    m_view.HideWindow();
    m_trayIcon.SetDefaultMenuItem(ID_SHOW_FROM_TRAY, false);
    SetTrayIcon(m_port.IsOpen() ? ICON_CONNECTED : ICON_NOT_CONNECTED);
    m_touch.SetTrayRightClick(false);
}

void CTactiloHub::OnToggleTrayRightClick() {
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

// Exit works while a dialog is open, since every dialog is modal to the window only: the
// dialog ends as Cancel, then the usual exit runs, which reads the options back (telling the
// user about a bad one) and ends the program whatever they hold, saving nothing.
void CTactiloHub::OnTrayExit() {
    m_view.EndOwnedDialogs();
    if (m_bExiting) {
        return;  // Exit again while the first one shows its message: that one goes on
    }
    m_bExiting = true;
    UpdateData(true);
    TellUnsavedDevices();
    OnDestroy();
    m_view.HideWindow();
    m_view.EndProgram();
}

void CTactiloHub::OnTrayAbout() {
    m_view.ShowAbout();
}

void CTactiloHub::OnTrayHelp() {
    if (const std::string strReason = m_view.OpenHelp(); !strReason.empty()) {
        m_services.messages.Show(strReason, MessageIcon::Exclamation);
    }
}

void CTactiloHub::OnTerminate() {
    m_view.EndOwnedDialogs();
    m_trayIcon.RemoveIcon();
    OnDestroy();
    m_view.HideWindow();
    m_view.EndProgram();
}

void CTactiloHub::OnDestroy() {
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    Disconnect();
    m_trayIcon.RemoveIcon();
}

void CTactiloHub::SetTrayIcon(unsigned nIconId) {
    m_trayIcon.SetIconFromResource(nIconId);
}

void CTactiloHub::SetTrayTooltip(const std::string& strText) {
    m_trayIcon.SetTooltip(strText);
}

bool CTactiloHub::GetRowCheck(int nRow) const {
    return m_view.DeviceListView().GetCheck(nRow);
}

void CTactiloHub::SetRowCheck(int nRow, bool bChecked) {
    m_view.DeviceListView().SetCheck(nRow, bChecked);
}

bool CTactiloHub::RunDeviceSettings(DeviceSettingsValues& values, bool bModify) {
    return m_view.RunDeviceSettings(values, bModify);
}

void CTactiloHub::EnableCalibrate(bool bEnable) {
    m_view.EnableCalibrate(bEnable);
}
