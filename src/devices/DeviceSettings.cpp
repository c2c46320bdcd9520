#include "devices/DeviceSettings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/MessageBox.h"
#include "devices/LegacyText.h"
#include "monitors/Monitor.h"
#include "monitors/Monitors.h"
#include "serial/DeviceConnection.h"

namespace {

const char* const g_szNameTooLong = "Please enter no more than 20 characters.";
const char* const g_szNameRefused =
    "The device name cannot contain a semicolon (;) or a line break.";
const char* const g_szMonitorRefused =
    "The name of the chosen monitor contains a semicolon (;) or a line break, which the "
    "settings cannot hold. Please choose another monitor.";

// The settings line has no escape: a ';' ends a field, a line break ends the device.
bool FitsSettingsLine(const std::string& strText) {
    return strText.find_first_of(";\r\n") == std::string::npos;
}

bool SameIgnoringCase(const std::string& strA, const std::string& strB) {
    return std::equal(strA.begin(), strA.end(), strB.begin(), strB.end(), [](char a, char b) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

// The first row whose text matches strStored as it is shown; -1 for an empty or unknown one.
template <typename Texts>
int FindRow(const Texts& texts, const std::string& strStored) {
    if (strStored.empty()) {
        return -1;
    }
    const std::string strShown = DisplayText(strStored);
    int nRow = 0;
    for (const auto& text : texts) {
        if (SameIgnoringCase(text, strShown)) {
            return nRow;
        }
        ++nRow;
    }
    return -1;
}

std::string PortName(const PortChoice& choice) {
    return "COM" + std::to_string(choice.nPort);
}

}  // namespace

CDeviceSettings::CDeviceSettings(Dependencies dependencies) : m_deps(dependencies) {}

int CDeviceSettings::NameLength(const std::string& strUtf8) {
    int nUnits = 0;
    for (const char c : strUtf8) {
        const auto nByte = static_cast<unsigned char>(c);
        if ((nByte & 0xC0) != 0x80) {
            nUnits += nByte >= 0xF0 ? 2 : 1;  // beyond the first plane: a surrogate pair
        }
    }
    return nUnits;
}

int CDeviceSettings::NameLimit(const std::string& strShown) {
    return std::max(MAX_NAME_CHARS, NameLength(strShown));
}

void CDeviceSettings::Open(const DeviceSettingsValues& values, bool bModify) {
    m_values = values;
    m_vecMonitors.clear();
    const CMonitors monitors(m_deps.monitors);
    for (int i = 0; i < monitors.GetCount(); ++i) {
        const CMonitor monitor = monitors.GetMonitor(i);
        std::string strDeviceName;
        monitor.GetDeviceName(strDeviceName);
        MonitorEntry entry;
        entry.strName = MonitorName(strDeviceName);
        monitor.GetMonitorRect(&entry.rcMonitor);
        m_vecMonitors.push_back(entry);
    }
    m_vecPorts = m_fnListPorts ? m_fnListPorts() : ListPortChoices(m_deps.portSystem);

    m_initial = {};
    m_initial.strName = ShownName();
    m_initial.bConnect = m_values.m_bConnect != 0;
    m_initial.bSwapXY = m_values.m_bSwapXY != 0;
    m_initial.nMonitor = m_vecMonitors.empty() ? -1 : 0;
    m_initial.nPort = m_vecPorts.empty() ? -1 : 0;
    m_initial.nBaudRate = DEFAULT_BAUD_ROW;
    if (bModify) {
        std::vector<std::string> vecMonitorNames;
        for (const MonitorEntry& entry : m_vecMonitors) {
            vecMonitorNames.push_back(entry.strName);
        }
        std::vector<std::string> vecPortNames;
        for (const PortChoice& choice : m_vecPorts) {
            vecPortNames.push_back(PortName(choice));
        }
        m_initial.nMonitor = FindRow(vecMonitorNames, m_values.m_strMonitor);
        // The stored "COMn", whatever its case, against each entry's COMn.
        m_initial.nPort = FindRow(vecPortNames, m_values.m_strPort);
        m_initial.nBaudRate = FindRow(BAUD_RATES, m_values.m_strBaudRate);
    }
}

std::string CDeviceSettings::ShownName() const {
    return DisplayText(m_values.m_strName);
}

bool CDeviceSettings::Refuse(const std::string& strText, const char* szMessage) {
    if (FitsSettingsLine(strText)) {
        return false;
    }
    m_deps.messages.Show(szMessage, MessageIcon::Exclamation);
    return true;
}

bool CDeviceSettings::ReadName(const Choices& choices, Field& refused) {
    refused = Field::None;
    // A name left as it was shown keeps its bytes, whatever code page they are in.
    m_values.m_strName = StoredText(choices.strName, m_values.m_strName);
    if (NameLength(choices.strName) > MAX_NAME_CHARS) {
        m_deps.messages.Show(g_szNameTooLong, MessageIcon::Exclamation);
        refused = Field::Name;
        return false;
    }
    if (Refuse(m_values.m_strName, g_szNameRefused)) {
        refused = Field::Name;
        return false;
    }
    m_values.m_bConnect = choices.bConnect ? 1 : 0;
    m_values.m_bSwapXY = choices.bSwapXY ? 1 : 0;
    return true;
}

// A detected adapter no COMn reaches yet becomes the lowest free COMn, linked to its by-id
// path so that it keeps its name across replugging and renumbering.
bool CDeviceSettings::LinkChosenPort(int nRow) {
    PortChoice& choice = m_vecPorts[static_cast<std::size_t>(nRow)];
    if (choice.strLinkTarget.empty()) {
        return true;
    }
    if (const int nError = m_deps.portSystem.LinkPort(choice.nPort, choice.strLinkTarget)) {
        m_deps.messages.Show("The port could not be set up as " + PortName(choice) + ": " +
                                 std::strerror(nError) + ".",
                             MessageIcon::Exclamation);
        return false;
    }
    choice.strLinkTarget.clear();
    return true;
}

bool CDeviceSettings::Save(const Choices& choices, Field& refused) {
    if (!ReadName(choices, refused)) {
        return false;
    }
    const bool bPortChosen =
        choices.nPort >= 0 && choices.nPort < static_cast<int>(m_vecPorts.size());
    if (bPortChosen && !LinkChosenPort(choices.nPort)) {
        refused = Field::Port;
        return false;
    }
    m_values.m_strPort =
        bPortChosen ? StoredText(PortName(m_vecPorts[static_cast<std::size_t>(choices.nPort)]),
                                 m_values.m_strPort)
                    : std::string();
    const bool bBaudChosen =
        choices.nBaudRate >= 0 && choices.nBaudRate < static_cast<int>(BAUD_RATES.size());
    m_values.m_strBaudRate =
        bBaudChosen ? StoredText(BAUD_RATES[static_cast<std::size_t>(choices.nBaudRate)],
                                 m_values.m_strBaudRate)
                    : std::string();
    if (choices.nMonitor >= 0 && choices.nMonitor < static_cast<int>(m_vecMonitors.size())) {
        const MonitorEntry& entry = m_vecMonitors[static_cast<std::size_t>(choices.nMonitor)];
        if (Refuse(entry.strName, g_szMonitorRefused)) {
            refused = Field::Monitor;
            return false;
        }
        m_values.m_rcMonitor = entry.rcMonitor;
        m_values.m_strMonitor = StoredText(entry.strName, m_values.m_strMonitor);
    }
    return true;
}

int CDeviceSettings::DetectPort(const Choices& choices) {
    if (choices.nPort < 0 || choices.nPort >= static_cast<int>(m_vecPorts.size())) {
        m_deps.messages.Show("Choose the Com port of the touch screen first.",
                             MessageIcon::Exclamation);
        return 0;
    }
    if (!LinkChosenPort(choices.nPort)) {
        return 0;
    }
    return m_vecPorts[static_cast<std::size_t>(choices.nPort)].nPort;
}

std::vector<unsigned> CDeviceSettings::DetectRates() {
    std::vector<unsigned> vecRates;
    for (const char* szRate : BAUD_RATES) {
        vecRates.push_back(static_cast<unsigned>(std::atoi(szRate)));
    }
    return vecRates;
}

std::string CDeviceSettings::DetectStatus(unsigned nBaudRate) {
    return "Listening at " + std::to_string(nBaudRate) + " baud: keep touching the screen...";
}

int CDeviceSettings::Detected(int nPort, unsigned nBaudRate, int nOpenError,
                              const std::string& strOpenFailure) {
    const std::string strRate = std::to_string(nBaudRate);
    for (std::size_t nRow = 0; nBaudRate != 0 && nRow < BAUD_RATES.size(); ++nRow) {
        if (strRate == BAUD_RATES[nRow]) {
            return static_cast<int>(nRow);
        }
    }
    std::string strText;
    if (nOpenError == EBUSY) {
        // Most often the driver itself: the device is connected on this very port.
        strText = "COM" + std::to_string(nPort) +
                  " is in use, perhaps by the connected touch screen. Untick it in the Device "
                  "Manager, then detect again.";
    } else if (!strOpenFailure.empty()) {
        strText = strOpenFailure;  // already in the system's words, naming the port
    } else {
        strText =
            "None of the baud rates 9600, 4800, 2400 and 1200 framed a touch screen's "
            "packets on COM" +
            std::to_string(nPort) +
            ". Touch the screen and keep touching it while Tactilo listens, and check the "
            "cable.";
    }
    m_deps.messages.Show(strText, MessageIcon::Exclamation);
    return -1;
}
