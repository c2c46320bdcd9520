#pragma once

#include <cstdio>
#include <string>

class CPort;

// The raw packet view: reads a port the way the driver does and prints every packet it
// frames, so a controller (or the simulator) can be checked without the driver.
//
//   what ReadPacket says   what is printed
//   Whole                  "touch=1 x=18 y=692 bits=110001010001001000110100"
//   CutShort               "cut short: <running count>" (its text is no touch, not shown)
//   DeviceGone             "COMn: device gone", then pauses of 0.1 s doubling up to 2 s
//                          with a new open after each; "COMn: back" once it opens
//   Stopped                the summary "packets: <whole> whole, <cut> cut short"; Run ends
//
// The pauses wait on the port's wake-up, so a stop request never waits for a pause.
class CPacketView {
public:
    CPacketView(CPort& port, int nPort, unsigned nBaudRate, std::FILE* pOut);

    // Opens the port with the driver's settings (8 data bits, no parity, one stop bit, all
    // time-outs 0). On failure prints the port's error text and returns false.
    bool Open();
    // Reads and prints until the port is woken (CPort::Wake). Returns the exit status.
    int Run();

    // "touch=1 x=18 y=692 bits=..." for a whole packet's text.
    static std::string FormatPacket(const std::string& strText);

    unsigned long long WholeCount() const { return m_nWhole; }
    unsigned long long CutShortCount() const { return m_nCutShort; }

private:
    bool TryOpen(std::string& strError);
    // false when stopped while waiting.
    bool Reconnect();
    void Print(const std::string& strLine);

    CPort& m_port;
    int m_nPort;
    unsigned m_nBaudRate;
    std::FILE* m_pOut;
    unsigned long long m_nWhole = 0;
    unsigned long long m_nCutShort = 0;
};
