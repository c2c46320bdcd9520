// tactilo-packets: prints the touch packets that arrive on a port, framed as the driver
// frames them, or finds the baud rate a controller speaks.
// Usage: tactilo-packets COMn [baud] | tactilo-packets --detect COMn [listen-ms]

#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PacketView.h"
#include "SignalPipe.h"
#include "devices/DeviceSettings.h"
#include "linux/PosixSerialLine.h"
#include "serial/BaudDetector.h"
#include "serial/Port.h"
#include "touch/ReaderThread.h"

namespace {

const char* const g_szUsage =
    "usage: tactilo-packets COMn [baud]\n"
    "       tactilo-packets --detect COMn [listen-ms]\n"
    "  Opens COMn as the driver does (8 data bits, no parity, one stop bit; 9600 baud\n"
    "  unless given) and prints each packet: touch flag, raw x, raw y and its 24 bits.\n"
    "  Stops on SIGINT or SIGTERM.\n"
    "  --detect: while the screen is touched, listens at 9600, 4800, 2400 and 1200 baud\n"
    "  in turn (2000 ms each unless given) and prints the first rate whose stream frames\n"
    "  as a touch screen's (exit 0), or says that none did (exit 1).\n";

bool ParseNumber(const char* szText, long nMin, long nMax, long& nValue) {
    char* pEnd = nullptr;
    nValue = std::strtol(szText, &pEnd, 10);
    return pEnd != szText && *pEnd == '\0' && nValue >= nMin && nValue <= nMax;
}

bool ParsePort(const char* szText, long& nPort) {
    return strncasecmp(szText, "COM", 3) == 0 && ParseNumber(szText + 3, 1, 255, nPort);
}

int Detect(int nPort, int nListenMs) {
    CSignalPipe signals({SIGINT, SIGTERM, SIGHUP});
    CPort port(std::make_unique<CPosixSerialLine>());
    CBaudDetector detector(port, CReaderThread::SteadyClockMs);
    const std::string strName = "COM" + std::to_string(nPort);
    detector.SetProgress([&](unsigned nRate) {
        std::fprintf(stderr, "%s: listening at %u baud\n", strName.c_str(), nRate);
    });
    std::vector<unsigned> vecRates;
    for (const char* szRate : CDeviceSettings::BAUD_RATES) {
        vecRates.push_back(static_cast<unsigned>(std::atoi(szRate)));
    }
    // A signal cancels the search; the end of the search ends the watch for one.
    int fdsDone[2] = {-1, -1};
    if (pipe(fdsDone) != 0) {
        std::perror("tactilo-packets: pipe");
        return 1;
    }
    std::thread canceller([&] {
        pollfd fds[2] = {{signals.ReadFd(), POLLIN, 0}, {fdsDone[0], POLLIN, 0}};
        while (poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        if (fds[0].revents != 0) {
            detector.Cancel();
        }
    });
    const unsigned nFound = detector.Detect(nPort, vecRates, nListenMs);
    const char cDone = 1;
    [[maybe_unused]] const ssize_t nWritten = write(fdsDone[1], &cDone, 1);
    canceller.join();
    close(fdsDone[0]);
    close(fdsDone[1]);
    if (nFound != 0) {
        std::printf("%u\n", nFound);
        return 0;
    }
    if (!detector.OpenFailure().empty()) {
        std::fprintf(stderr, "tactilo-packets: %s\n", detector.OpenFailure().c_str());
    } else if (!detector.Cancelled()) {
        std::fprintf(stderr,
                     "tactilo-packets: %s: no baud rate framed a touch screen's packets (was "
                     "the screen touched?)\n",
                     strName.c_str());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--detect") == 0) {
        long nPort = 0;
        long nListenMs = CBaudDetector::LISTEN_MS;
        if (argc < 3 || argc > 4 || !ParsePort(argv[2], nPort) ||
            (argc == 4 && !ParseNumber(argv[3], 100, 600000, nListenMs))) {
            std::fputs(g_szUsage, stderr);
            return 2;
        }
        return Detect(static_cast<int>(nPort), static_cast<int>(nListenMs));
    }
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
