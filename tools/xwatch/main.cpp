// tactilo-xwatch: prints every pointer button press, release and motion that an X server
// processes, one line each, as another client of that server. Usage:
//   tactilo-xwatch [--flush-ms N] [DISPLAY]

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "PointerEventText.h"
#include "PointerRecording.h"
#include "SignalPipe.h"

namespace {

const char* const g_szUsage =
    "usage: tactilo-xwatch [--flush-ms N] [DISPLAY]\n"
    "  Prints one line per pointer press, release and motion the X server processes:\n"
    "  kind, button, root x, root y, state=<mask>, time=<server ms>. The first line is\n"
    "  'ready' once every later event is seen. Every N ms (default 20, 1..1000) a round\n"
    "  trip makes the server send the events it holds back. Stops on SIGINT or SIGTERM.\n";

std::mutex g_outputMutex;

void PrintLine(const std::string& strLine) {
    std::lock_guard lock(g_outputMutex);
    std::fputs(strLine.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // a script reading a pipe or a file waits for each line
}

}  // namespace

int main(int argc, char** argv) {
    long nFlushMs = 20;
    std::string strDisplay;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--flush-ms") == 0 && i + 1 < argc) {
            char* pEnd = nullptr;
            nFlushMs = std::strtol(argv[++i], &pEnd, 10);
            if (*pEnd != '\0' || nFlushMs < 1 || nFlushMs > 1000) {
                std::fputs(g_szUsage, stderr);
                return 2;
            }
        } else if (argv[i][0] != '-' && strDisplay.empty()) {
            strDisplay = argv[i];
        } else {
            std::fputs(g_szUsage, stderr);
            return 2;
        }
    }
    if (strDisplay.empty()) {
        const char* szDisplay = std::getenv("DISPLAY");
        strDisplay = szDisplay ? szDisplay : "";
    }
    if (strDisplay.empty()) {
        std::fputs("tactilo-xwatch: no display (give one or set DISPLAY)\n", stderr);
        return 2;
    }

    CSignalPipe signals({SIGINT, SIGTERM, SIGHUP});
    CPointerRecording recording(
        strDisplay, [](const PointerEvent& event) { PrintLine(FormatPointerEvent(event)); });
    if (!recording.Ok()) {
        std::fprintf(stderr, "tactilo-xwatch: %s: %s\n", strDisplay.c_str(),
                     recording.Error().c_str());
        return 1;
    }
    PrintLine("ready");

    pollfd fd = {signals.ReadFd(), POLLIN, 0};
    for (;;) {
        const int nReady = poll(&fd, 1, static_cast<int>(nFlushMs));
        if (nReady > 0) {
            break;
        }
        if (nReady < 0 && errno != EINTR) {
            break;
        }
        recording.Flush();
    }
    // What the server still holds comes out before the end.
    recording.Flush();
    return 0;
}
