#pragma once

#include <functional>
#include <string>

#include "serial/SerialLine.h"

class CPort;
class CReaderThread;
class CTouchProcessor;
class IConnectionView;
class IMessageBox;
struct TouchDevice;

constexpr unsigned ICON_NOT_CONNECTED = 132;
constexpr unsigned ICON_CONNECTED = 139;
constexpr unsigned ICON_RIGHT_CLICK_ARMED = 140;

// Brings the active device on line and off line: opens its port at its baud rate, starts the
// reader, and shows the outcome (tray icon and tooltip, the row's check box, Calibrate).
// Every connect disconnects first, so there is never more than one open port or reader.
class CDeviceConnection {
public:
    struct Dependencies {
        CPort& port;
        CReaderThread& reader;
        CTouchProcessor& touch;
        IConnectionView& view;
        IMessageBox& messages;
        std::function<void(int nMs)> sleepMs;  // the pause between stopping and closing
    };

    explicit CDeviceConnection(Dependencies dependencies);

    // Connects (bConnect) or disconnects activeDevice, updating its m_bConnect.
    void Connect(TouchDevice& activeDevice, bool bConnect, bool bShowErrors);
    // Brings activeDevice on line with no port open yet, exactly as a successful Connect
    // ends (icon, tooltip, tick, Calibrate, no armed right click); false, changing nothing
    // shown, when its port does not open.
    bool Open(TouchDevice& activeDevice, bool bShowErrors);
    // The chosen device is away: shown as not connected, while its row stays ticked and its
    // line keeps its flag, for it is opened again as soon as it can be.
    void ShowAway();
    // Opens the port with the device line settings (8 data bits, no parity, one stop bit) and
    // time-outs that make reads wait for their bytes. Errors are shown when bShowErrors.
    bool OpenPort(int nPort, int nBaudRate, bool bShowErrors);
    // Why the last OpenPort failed, as one line in the system's words naming the port and
    // the reason ("COM2 (/dev/ttyUSB0): Permission denied" on Linux, "COM2: Access is
    // denied." on Windows), followed by what the user can do about it when there is
    // something (see ISerialLine::DescribeFailure). Empty after a success.
    const std::string& LastOpenFailure() const { return m_strLastOpenFailure; }
    // The system's error number of the last OpenPort failure (ENOENT, EBUSY, ...; Windows'
    // own numbers on Windows), 0 after a
    // success or when there was none.
    int LastOpenError() const { return m_nLastOpenError; }
    // Stops the reader, lets go of what a touch holds, pauses, closes the port; false when
    // no port was open.
    bool Disconnect();

    // "COM3" gives 3: every "COM" removed, the rest read as a number (0 when there is none).
    static int GetPortNumber(std::string strPort);
    // "Touch 1 - DISPLAY1 COM3 9600"
    static std::string ConnectedTooltip(const TouchDevice& device);

    // The LastOpenFailure text of a described failure: the line, then the advice.
    static std::string OpenFailureText(const PortFailureText& failure);

    static constexpr int DISCONNECT_PAUSE_MS = 500;

private:
    Dependencies m_deps;
    std::string m_strLastOpenFailure;
    int m_nLastOpenError = 0;
};
