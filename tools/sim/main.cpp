// tactilo-sim: a touch controller on a pseudo-terminal, driven by a script.
// See docs/simulator.md.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "PtyServer.h"
#include "ScriptRunner.h"
#include "ScriptSource.h"
#include "SignalPipe.h"
#include "serial/PortNames.h"

namespace {

const char* const g_szUsage =
    "usage: tactilo-sim [--link COMn] [--keep-open] [--stall-ms N] [--seed N] [SCRIPT | -]\n"
    "  Serves a simulated touch controller on a pseudo-terminal and prints its path.\n"
    "  --link COMn   make COMn open it ($XDG_CONFIG_HOME/Brenhold/ports/COMn)\n"
    "  --keep-open   after the script, keep the line open until SIGINT/SIGTERM\n"
    "  --stall-ms N  how long a write waits for a reader before bytes are dropped (2000)\n"
    "  --seed N      seed for 'garbage' and 'stray' (1)\n"
    "  SCRIPT        script file, or '-' (the default) for standard input, read live\n";

// The pseudo-terminal and the real clock, for the script runner.
class CPtyDevice final : public ISimDevice {
public:
    CPtyDevice(CPtyServer& server, int stopFd) : m_server(server), m_stopFd(stopFd) {}

    Clock::time_point Now() override { return Clock::now(); }

    bool SleepUntil(Clock::time_point when) override {
        for (;;) {
            const auto left = when - Clock::now();
            if (left <= Clock::duration::zero()) {
                return true;
            }
            const auto nNs = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            const timespec timeout = {static_cast<time_t>(nNs / 1000000000),
                                      static_cast<long>(nNs % 1000000000)};
            pollfd fd = {m_stopFd, POLLIN, 0};
            if (ppoll(&fd, 1, &timeout, nullptr) > 0) {
                return false;
            }
        }
    }

    bool Write(const std::vector<unsigned char>& vecBytes) override {
        return m_server.Write(vecBytes.data(), vecBytes.size()) != CPtyServer::WriteResult::Stopped;
    }

    void Echo(const std::string& strText) override {
        std::printf("%s\n", strText.c_str());
        std::fflush(stdout);
    }

    bool Hangup(std::string&) override {
        m_server.Hangup();
        return true;
    }

    bool Reopen(std::string& strError) override {
        if (!m_server.Open(strError)) {
            return false;
        }
        std::fprintf(stderr, "tactilo-sim: reopened on %s\n", m_server.SlavePath().c_str());
        return true;
    }

private:
    CPtyServer& m_server;
    int m_stopFd;
};

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

    CPtyDevice device(server, signals.ReadFd());
    CScriptRunner runner(device, static_cast<unsigned>(nSeed));
    int nErrors = 0;
    bool bStopped = false;
    for (;;) {
        std::string strLine;
        const CScriptSource::Status status = source.Next(strLine);
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
        signals.WaitForSignal();
    } else if (!bStopped) {
        server.Drain();  // a script that ends right after its last packet still has it read
    }
    // CPtyServer's destructor removes the link and closes the line.
    return nErrors == 0 ? 0 : 1;
}
