#pragma once

#include <string>
#include <vector>

// One serial device the system reports, as the port list shows it. Filled from udev on Linux
// (CUdevPortEnumerator); every text may be empty when the device does not say.
struct SerialPortInfo {
    std::string strDevicePath;    // "/dev/ttyUSB0"
    std::string strById;          // "/dev/serial/by-id/usb-FTDI_..._A12-if00-port0", or ""
    std::string strDescription;   // the vendor's product name: "FT232R USB UART"
    std::string strManufacturer;  // "FTDI"
    std::string strSerialNumber;  // "A12"
};

// What the system knows of a path without opening it.
struct PortFacts {
    std::string strDevice;  // the device node the path ends at ("" when nothing is there)
    bool bPseudoTerminal = false;
    bool bMayOpen = true;  // the user has read access
    bool bInUse = false;   // a process holds it open
    std::string strGroup;  // the node's owning group ("dialout")
};

// The system side of the port list: enumerating ports, looking at a path, making a link.
class IPortSystem {
public:
    virtual ~IPortSystem() = default;
    virtual std::vector<SerialPortInfo> EnumeratePorts() = 0;
    virtual PortFacts Inspect(const std::string& strPath) = 0;
    // Links COMn to strTarget; 0 or an errno.
    virtual int LinkPort(int nPort, const std::string& strTarget) = 0;
};
