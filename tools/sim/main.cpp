// tactilo-sim: a touch controller on a pseudo-terminal, driven by a script.
// See docs/simulator.md.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "PtyDevice.h"
#include "PtyServer.h"
#include "ScriptRunner.h"
#include "ScriptSource.h"
#include "SignalPipe.h"
#include "serial/PortNames.h"

namespace {

const char* const g_szUsage =
    "usage: tactilo-sim [--link COMn] [--keep-open] [--stall-ms N] [--seed N] [--strays MS]\n"
    "                   [--controller-baud N] [SCRIPT | -]\n"
    "  Serves a simulated touch controller on a pseudo-terminal and prints its path.\n"
    "  --link COMn   make COMn open it ($XDG_CONFIG_HOME/Brenhold/ports/COMn)\n"
    "  --keep-open   after the script, keep the line open until SIGINT/SIGTERM\n"
    "  --stall-ms N  how long a write waits for a reader before bytes are dropped (2000)\n"
    "  --seed N      seed for 'garbage', 'stray', 'noise' and 'strays' (1)\n"
    "  --strays MS   one random byte every MS milliseconds among whatever plays\n"
    "  --controller-baud N\n"
    "                the controller sends at N baud; the port reads what a receiver at\n"
    "                the rate its reader set would make of that\n"
    "  SCRIPT        script file, or '-' (the default) for standard input, read live\n";

// The earlier of two optional deadlines.
CScriptSource::Deadline Earliest(CScriptSource::Deadline first, CScriptSource::Deadline second) {
    if (!first || (second && *second < *first)) {
        return second;
    }
    return first;
}

// After the script, with --keep-open: plays what falls due (strays, a late character) until
// a signal comes.
void KeepOpen(CScriptRunner& runner, CPtyDevice& device, int stopFd) {
    for (;;) {
        int nTimeoutMs = -1;
        if (const auto due = Earliest(runner.NextDue(), device.NextDue())) {
            const auto left = *due - std::chrono::steady_clock::now();
            nTimeoutMs = static_cast<int>(
                std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
        }
        pollfd fd = {stopFd, POLLIN, 0};
        if (poll(&fd, 1, nTimeoutMs) > 0 || runner.Idle() == CScriptRunner::Result::Stopped ||
            !device.Idle()) {
            return;
        }
    }
}

bool ParsePortName(const char* szName, int& nPort) {
    if (strncasecmp(szName, "COM", 3) != 0) {
        return false;
    }
    char* pEnd = nullptr;
    const long nValue = std::strtol(szName + 3, &pEnd, 10);
    if (pEnd == szName + 3 || *pEnd != '\0' || nValue < 1 || nValue > 255) {
        return false;
    }
    nPort = static_cast<int>(nValue);
    return true;
}

bool ParseCount(const char* szText, long nMax, long& nValue) {
    char* pEnd = nullptr;
    nValue = std::strtol(szText, &pEnd, 10);
    return pEnd != szText && *pEnd == '\0' && nValue >= 0 && nValue <= nMax;
}

}  // namespace

int main(int argc, char** argv) {
    int nPort = 0;
    bool bKeepOpen = false;
    long nStallMs = 2000;
    long nSeed = 1;
    long nStraysMs = 0;
    long nControllerBaud = 0;
    std::string strScript = "-";
    bool bScriptGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (strArg == "--link" && bHasValue && ParsePortName(argv[i + 1], nPort)) {
            ++i;
        } else if (strArg == "--keep-open") {
            bKeepOpen = true;
        } else if (strArg == "--stall-ms" && bHasValue &&
                   ParseCount(argv[i + 1], 3600000, nStallMs)) {
            ++i;
        } else if (strArg == "--seed" && bHasValue && ParseCount(argv[i + 1], 0x7fffffff, nSeed)) {
            ++i;
        } else if (strArg == "--strays" && bHasValue &&
                   ParseCount(argv[i + 1], g_nMaxDurationMs, nStraysMs)) {
            ++i;
        } else if (strArg == "--controller-baud" && bHasValue &&
                   ParseCount(argv[i + 1], 4000000, nControllerBaud) && nControllerBaud >= 50) {
            ++i;
        } else if (strArg == "-h" || strArg == "--help") {
            std::fputs(g_szUsage, stdout);
            return 0;
        } else if (!bScriptGiven && (strArg == "-" || strArg[0] != '-')) {
            strScript = strArg;
            bScriptGiven = true;
        } else {
            std::fprintf(stderr, "tactilo-sim: bad argument '%s'\n%s", strArg.c_str(), g_szUsage);
            return 2;
        }
    }

    CSignalPipe signals({SIGINT, SIGTERM, SIGHUP});
    int scriptFd = 0;
    if (strScript != "-") {
        scriptFd = open(strScript.c_str(), O_RDONLY | O_CLOEXEC);
        if (scriptFd < 0) {
            std::fprintf(stderr, "tactilo-sim: cannot read '%s': %s\n", strScript.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }
    CScriptSource source(scriptFd, signals.ReadFd());
    const std::string strSourceName = strScript == "-" ? "stdin" : strScript;

    CPtyServer server(signals.ReadFd(), static_cast<int>(nStallMs));
    std::string strError;
    if (!server.Open(strError) || (nPort > 0 && !server.Link(PortLinkPath(nPort), strError))) {
        std::fprintf(stderr, "tactilo-sim: %s\n", strError.c_str());
        return 2;
    }
    std::printf("%s\n", server.SlavePath().c_str());
    std::fflush(stdout);
    if (nPort > 0) {
        std::fprintf(stderr, "tactilo-sim: COM%d -> %s\n", nPort, server.SlavePath().c_str());
    }

    CPtyDevice device(server, signals.ReadFd(), static_cast<int>(nControllerBaud));
    CScriptRunner runner(device, static_cast<unsigned>(nSeed));
    if (nStraysMs > 0) {
        SimCommand strays;
        strays.op = SimOp::Strays;
        strays.nValue = static_cast<int>(nStraysMs);
        runner.Execute(strays, strError);
    }
    int nErrors = 0;
    bool bStopped = false;
    for (;;) {
        std::string strLine;
        const CScriptSource::Status status =
            source.Next(strLine, Earliest(runner.NextDue(), device.NextDue()));
        if (status == CScriptSource::Status::Timeout) {
            // No line yet: strays and a late character still go out at their time.
            if (runner.Idle() == CScriptRunner::Result::Stopped || !device.Idle()) {
                bStopped = true;
                break;
            }
            continue;
        }
        if (status == CScriptSource::Status::Stopped) {
            bStopped = true;
            break;
        }
        if (status == CScriptSource::Status::End) {
            break;
        }
        SimCommand command;
        strError.clear();
        CScriptRunner::Result result = CScriptRunner::Result::Failed;
        if (ParseScriptLine(strLine, command, strError)) {
            result = runner.Execute(command, strError);
        }
        if (result == CScriptRunner::Result::Failed) {
            std::fprintf(stderr, "%s:%d: %s\n", strSourceName.c_str(), source.LineNumber(),
                         strError.c_str());
            ++nErrors;
        } else if (result == CScriptRunner::Result::Stopped) {
            bStopped = true;
            break;
        } else if (result == CScriptRunner::Result::Quit) {
            break;
        }
    }
    if (bKeepOpen && !bStopped) {
        KeepOpen(runner, device, signals.ReadFd());
    } else if (!bStopped && device.Settle()) {
        server.Drain();  // a script that ends right after its last packet still has it read
    }
    // CPtyServer's destructor removes the link and closes the line.
    return nErrors == 0 ? 0 : 1;
}
