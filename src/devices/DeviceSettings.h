#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "devices/DeviceSettingsValues.h"
#include "devices/TouchDevice.h"
#include "serial/PortChoices.h"

class IMessageBox;
class IMonitorSource;
class IPortSystem;

// What the Device Settings dialog decides for one device, whatever draws it: the entries of
// its lists, the ones it opens with, what Save refuses and what it stores. The dialog (the Qt
// one is CSelectConnection) shows the lists and the selection it is given and hands back what
// the user chose, by row.
//
//   list      entries                               opens with (Add)  Modify picks
//   --------  ------------------------------------  ----------------  ---------------------
//   monitors  the monitors now, by name             the first         m_strMonitor
//   ports     ListPortChoices, stored as "COMn"     the first         m_strPort
//   baud      9600 4800 2400 1200                   2400              m_strBaudRate
//
// Modify picks by case-insensitive whole-text match; an empty or unknown value picks nothing
// (row -1). Save refuses, with a message, a name longer than 20 characters, a name or monitor
// holding ';' or a line break (the settings line has no escape: a ';' would shift every later
// field of the device when it is read again), and a new adapter that cannot be linked.
// A row of -1 stores an empty port or baud rate and keeps the monitor. Texts that came from
// the file keep their bytes unless the user changed them (StoredText).
class CDeviceSettings {
public:
    struct Dependencies {
        IMonitorSource& monitors;
        IPortSystem& portSystem;
        IMessageBox& messages;
    };
    struct MonitorEntry {
        std::string strName;
        ScreenRect rcMonitor;
    };
    // What the user chose, as the dialog reads it; rows index the lists, -1 for none.
    struct Choices {
        std::string strName;  // as shown and edited, UTF-8
        bool bConnect = false;
        bool bSwapXY = false;
        int nMonitor = -1;
        int nPort = -1;
        int nBaudRate = -1;
    };
    // The control the user is sent back to after a refusal.
    enum class Field { None, Name, Monitor, Port };

    static constexpr int MAX_NAME_CHARS = 20;
    static constexpr std::array<const char*, 4> BAUD_RATES = {"9600", "4800", "2400", "1200"};
    static constexpr int DEFAULT_BAUD_ROW = 2;  // "2400"

    explicit CDeviceSettings(Dependencies dependencies);

    // Lists the monitors and the ports as they are now (opening none) and chooses the rows the
    // dialog opens with.
    void Open(const DeviceSettingsValues& values, bool bModify);
    const std::vector<MonitorEntry>& Monitors() const { return m_vecMonitors; }
    const std::vector<PortChoice>& Ports() const { return m_vecPorts; }
    // The name as the dialog shows it, and the rows and ticks it opens with.
    std::string ShownName() const;
    const Choices& Initial() const { return m_initial; }

    // Reads the name and the ticks into the values: false, after a message, when the name is
    // refused (refused then names the control).
    bool ReadName(const Choices& choices, Field& refused);
    // Save: the name and ticks, then the port (linking a new adapter first), the baud rate and
    // the monitor. False, after a message, when something was refused; the dialog stays.
    bool Save(const Choices& choices, Field& refused);

    const DeviceSettingsValues& Values() const { return m_values; }

    // Detect, which finds the baud rate by listening at each rate (CBaudDetector) while the
    // user touches the screen:
    //
    //   step          decides
    //   DetectPort    the port of the chosen row, set up first if it is a new adapter;
    //                 0 after a message when no port is chosen or it cannot be set up
    //   DetectRates   the rates of the baud list, in its order (the fastest first)
    //   DetectStatus  the text the dialog shows while a rate is tried
    //   Detected      the baud row to select, or -1 after a message saying why none
    int DetectPort(const Choices& choices);
    static std::vector<unsigned> DetectRates();
    static std::string DetectStatus(unsigned nBaudRate);
    int Detected(int nPort, unsigned nBaudRate, int nOpenError, const std::string& strOpenFailure);

    // Where the port list comes from instead of ListPortChoices: Windows names its COM ports
    // itself and needs no links. Set before Open.
    void SetPortLister(std::function<std::vector<PortChoice>()> fnListPorts) {
        m_fnListPorts = std::move(fnListPorts);
    }

    // A text's length as the dialog's edit counts it: in UTF-16 units.
    static int NameLength(const std::string& strUtf8);
    // The most the name field may hold while it shows strShown (UTF-8), in UTF-16 units:
    // typing stops at 20, but a longer name from the device file is shown whole (Save refuses
    // it until it is shortened) rather than cut without a word. So the limit is the longer of
    // 20 and the text, and follows the text down as the user shortens it. A view applies it
    // when it fills the field and after every change of the text.
    static int NameLimit(const std::string& strShown);

private:
    bool LinkChosenPort(int nRow);
    bool Refuse(const std::string& strText, const char* szMessage);

    Dependencies m_deps;
    DeviceSettingsValues m_values;
    std::vector<MonitorEntry> m_vecMonitors;  // of this opening, entry i for row i
    std::vector<PortChoice> m_vecPorts;       // of this opening, entry i for row i
    Choices m_initial;
    std::function<std::vector<PortChoice>()> m_fnListPorts;
};
