// tactilo-packets: prints the touch packets that arrive on a port, framed as the driver
// frames them. Usage: tactilo-packets COMn [baud]

#include <signal.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "PacketView.h"
#include "SignalPipe.h"
#include "serial/Port.h"
#include "serial/PosixSerialLine.h"

namespace {

const char* const g_szUsage =
    "usage: tactilo-packets COMn [baud]\n"
    "  Opens COMn as the driver does (8 data bits, no parity, one stop bit; 9600 baud\n"
    "  unless given) and prints each packet: touch flag, raw x, raw y and its 24 bits.\n"
    "  Stops on SIGINT or SIGTERM.\n";

bool ParseNumber(const char* szText, long nMin, long nMax, long& nValue) {
    char* pEnd = nullptr;
    nValue = std::strtol(szText, &pEnd, 10);
    return pEnd != szText && *pEnd == '\0' && nValue >= nMin && nValue <= nMax;
}

}  // namespace

int main(int argc, char** argv) {
    long nPort = 0;
    long nBaud = 9600;
    if (argc < 2 || argc > 3 || strncasecmp(argv[1], "COM", 3) != 0 ||
        !ParseNumber(argv[1] + 3, 1, 255, nPort) ||
        (argc == 3 && !ParseNumber(argv[2], 1, 4000000, nBaud))) {
        std::fputs(g_szUsage, stderr);
        return 2;
    }

    CSignalPipe signals({SIGINT, SIGTERM, SIGHUP});
    CPort port(std::make_unique<CPosixSerialLine>());
    CPacketView view(port, static_cast<int>(nPort), static_cast<unsigned>(nBaud), stdout);
    if (!view.Open()) {
        return 1;
    }
    // The signal handler may only write to the pipe; this thread turns that into a wake-up
    // of the blocked read (Wake is thread-safe, not signal-safe).
    std::thread waker([&] {
        signals.WaitForSignal();
        port.Wake();
    });
    const int nStatus = view.Run();
    waker.join();
    return nStatus;
}
