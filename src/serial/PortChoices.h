#pragma once

#include <string>
#include <vector>

#include "serial/SerialPortInfo.h"

// The entries of the Device Settings port list. Nothing is opened to build it: which device
// stands behind each COMn, whether it is held open and whether the user may open it all come
// from the system's records, so listing never reprograms a line somebody else is using.
//
//   COMn has                          | listed as
//   ----------------------------------+---------------------------------------------------
//   a link to an enumerated device    | "COM3 — FTDI FT232R USB UART (ttyUSB0)"
//   a link to a pseudo-terminal       | "COM2 (pts/4)"  (the simulator)
//   a link to anything else, dangling | not listed
//   no link, /dev/ttyS<n-1> answers   | "COM1 (ttyS0)"
//   no link, no such UART             | not listed
//   an enumerated device no COMn      | "FTDI FT232R USB UART (ttyUSB0) — new COM4"; Save
//   reaches                           | links COM4 to its by-id path
//
// Every entry may end in " — in use" and " — no permission (group dialout)".
struct PortChoice {
    int nPort = 0;              // the COMn this entry is (or becomes)
    std::string strText;        // what the list shows
    std::string strLinkTarget;  // not empty: Save must link COMn here first
    bool bInUse = false;
    bool bNoAccess = false;
};

// COM1..COM<LAST_LISTED_PORT> are considered.
constexpr int LAST_LISTED_PORT = 64;

std::vector<PortChoice> ListPortChoices(IPortSystem& system);

// "FTDI FT232R USB UART": the manufacturer, unless the product name begins with it.
std::string PortDescription(const SerialPortInfo& info);

// How to get the right to open a port owned by strGroup: "sudo adduser $USER dialout".
std::string AccessFixText(const std::string& strDevice, const std::string& strGroup);
