// tactilo-wininfo: what the Windows back-ends see on this machine, one line each. A first
// look at a machine (or a Wine prefix) before the windows exist.
//
//   tactilo-wininfo            monitors, the COM ports that open, the stored options
//   tactilo-wininfo COMn       opens COMn as a touch screen would be opened and prints the
//                              packets it sends, until the port fails or the program ends
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/Options.h"
#include "monitors/Monitor.h"
#include "serial/Port.h"
#include "win32/RegistryOptionsStore.h"
#include "win32/Win32Module.h"
#include "win32/Win32MonitorSource.h"
#include "win32/Win32SerialLine.h"

namespace {

void PrintMachine() {
    std::printf("Program: %s\n", ModuleFilePath().c_str());
    CWin32MonitorSource monitors;
    for (const MonitorInfo& monitor : monitors.EnumMonitors()) {
        const ScreenRect& rc = monitor.rcMonitor;
        std::printf("Monitor %s: %d,%d - %d,%d\n", MonitorName(monitor.strDeviceName).c_str(),
                    rc.left, rc.top, rc.right, rc.bottom);
    }
    for (int nPort = 1; nPort <= 16; ++nPort) {
        CPort port(std::make_unique<CWin32SerialLine>());
        try {
            port.Open(nPort, 9600, 8, 0, 0);
            std::printf("Port COM%d: opens\n", nPort);
        } catch (const CPortException& exception) {
            // 2: no such port; anything else is a port that is there but will not open.
            if (exception.Error() != 2) {
                std::printf("Port COM%d: %s\n", nPort, exception.GetErrorMessage().c_str());
            }
        }
    }
    CRegistryOptionsStore store;
    const Options options = ReadOptions(store);
    std::printf("Options: AutoStart %d, Precision %s, RightClickTime %u\n",
                options.m_bAutoStart ? 1 : 0, options.m_strPrecision.c_str(),
                options.m_nRightClickTime);
}

int ShowPackets(int nPort) {
    CPort port(std::make_unique<CWin32SerialLine>());
    try {
        port.Open(nPort, 9600, 8, 0, 0);
    } catch (const CPortException& exception) {
        std::fprintf(stderr, "tactilo-wininfo: COM%d: %s\n", nPort,
                     exception.GetErrorMessage().c_str());
        return 1;
    }
    port.SetTimeouts(0, 0, 0, 0, 0);
    std::string strPacket;
    for (;;) {
        const PacketStatus status = port.ReadPacket(strPacket);
        if (status == PacketStatus::DeviceGone || status == PacketStatus::Stopped) {
            return 1;
        }
        std::printf("%s%s\n", strPacket.c_str(), status == PacketStatus::Whole ? "" : " (cut)");
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], "COM", 3) == 0) {
        return ShowPackets(std::atoi(argv[1] + 3));
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: tactilo-wininfo [COMn]\n");
        return 2;
    }
    PrintMachine();
    return 0;
}
