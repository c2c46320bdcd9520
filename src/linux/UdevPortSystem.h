#pragma once

#include "serial/SerialPortInfo.h"

// The port list's view of a Linux system: ports from udev (the kernel's device tree, and
// udev's database for the /dev/serial/by-id links when udevd runs), facts about a path from
// stat, access and /proc. Nothing here opens a port.
class CUdevPortSystem final : public IPortSystem {
public:
    // Every tty with a device behind it: USB adapters (ttyUSB*, ttyACM*), built-in UARTs
    // that the kernel found hardware for, and others the kernel reports. Virtual terminals,
    // pseudo-terminals and UART slots without hardware are left out.
    std::vector<SerialPortInfo> EnumeratePorts() override;
    PortFacts Inspect(const std::string& strPath) override;
    int LinkPort(int nPort, const std::string& strTarget) override;
};

// "dialout" for a node owned by that group; "" when there is no node.
std::string PortGroup(const std::string& strPath);
