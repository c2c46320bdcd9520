#include "serial/DeviceConnection.h"

#include "app/MessageBox.h"
#include "devices/NumberText.h"
#include "devices/TouchDevice.h"
#include "serial/ConnectionView.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"
#include "touch/TouchProcessor.h"

CDeviceConnection::CDeviceConnection(Dependencies dependencies) : m_deps(std::move(dependencies)) {}

void CDeviceConnection::Connect(TouchDevice& activeDevice, bool bConnect, bool bShowErrors) {
    Disconnect();
    if (bConnect && Open(activeDevice, bShowErrors)) {
        return;
    }
    m_deps.view.SetTrayIcon(ICON_NOT_CONNECTED);
    // The two texts differ on purpose: lower case after a failed connect, capital N after
    // the user disconnected.
    m_deps.view.SetTrayTooltip(bConnect ? "Tactilo - not connected" : "Tactilo - Not connected");
    activeDevice.m_bConnect = 0;
    if (m_deps.view.GetRowCheck(activeDevice.m_nIndex)) {
        m_deps.view.SetRowCheck(activeDevice.m_nIndex, false);
    }
    m_deps.view.EnableCalibrate(false);
}

bool CDeviceConnection::Open(TouchDevice& activeDevice, bool bShowErrors) {
    const int nBaudRate = TextToInt(activeDevice.m_strBaudRate);
    const int nPort = GetPortNumber(activeDevice.m_strPort);
    if (!OpenPort(nPort, nBaudRate, bShowErrors)) {
        return false;
    }
    m_deps.touch.SetActiveDevice(activeDevice);
    m_deps.reader.RunReader(true);
    m_deps.view.SetTrayIcon(ICON_CONNECTED);
    m_deps.view.SetTrayTooltip(ConnectedTooltip(activeDevice));
    activeDevice.m_bConnect = 1;
    if (!m_deps.view.GetRowCheck(activeDevice.m_nIndex)) {
        m_deps.view.SetRowCheck(activeDevice.m_nIndex, true);
    }
    m_deps.view.EnableCalibrate(true);
    m_deps.touch.SetTrayRightClick(false);
    return true;
}

void CDeviceConnection::ShowAway() {
    m_deps.view.SetTrayIcon(ICON_NOT_CONNECTED);
    m_deps.view.SetTrayTooltip("Tactilo - not connected");
    m_deps.view.EnableCalibrate(false);
}

bool CDeviceConnection::OpenPort(int nPort, int nBaudRate, bool bShowErrors) {
    try {
        m_deps.port.Open(nPort, static_cast<unsigned>(nBaudRate), 8, 0, 0);
        m_deps.port.SetTimeouts(0, 0, 0, 0, 0);
        m_strLastOpenFailure.clear();
        m_nLastOpenError = 0;
        return true;
    } catch (const CPortException& error) {
        // The system says why, in its own words; a failure the user can fix alone (a port
        // they may not open) carries the fix, and every report of it says how.
        const PortFailureText failure = m_deps.port.DescribeFailure(nPort, error);
        m_strLastOpenFailure = OpenFailureText(failure);
        m_nLastOpenError = error.Error();
        char szMessage[1000];
        error.GetErrorMessage(szMessage, sizeof szMessage);
        std::string strShown = szMessage;
        if (!failure.strAdvice.empty()) {
            strShown += "\n\n" + failure.strAdvice;
        }
        if (bShowErrors) {
            m_deps.messages.Show(strShown, MessageIcon::Error);
        }
    } catch (...) {
        m_strLastOpenFailure = "COM" + std::to_string(nPort) + ": Unexpected exception";
        m_nLastOpenError = 0;
        m_deps.port.Close();
        m_deps.messages.Show("Unexpected exception", MessageIcon::Error);
    }
    return false;
}

bool CDeviceConnection::Disconnect() {
    if (!m_deps.port.IsOpen() && !m_deps.reader.Started()) {
        return false;
    }
    m_deps.reader.RunReader(false);
    m_deps.touch.ReleaseHeldButtonsAfterStop();
    // The reader is gone already (the stop joins it); the pause is kept for serial drivers
    // that need a moment between the last read and the close.
    if (m_deps.sleepMs) {
        m_deps.sleepMs(DISCONNECT_PAUSE_MS);
    }
    m_deps.port.Close();
    return true;
}

std::string CDeviceConnection::OpenFailureText(const PortFailureText& failure) {
    return failure.strAdvice.empty() ? failure.strLine : failure.strLine + ". " + failure.strAdvice;
}

int CDeviceConnection::GetPortNumber(std::string strPort) {
    for (std::size_t nPos = strPort.find("COM"); nPos != std::string::npos;
         nPos = strPort.find("COM", nPos)) {
        strPort.erase(nPos, 3);
    }
    return TextToInt(strPort);
}

std::string CDeviceConnection::ConnectedTooltip(const TouchDevice& device) {
    return device.m_strName + " - " + device.m_strMonitor + " " + device.m_strPort + " " +
           device.m_strBaudRate;
}
