#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

CChildProcess::CChildProcess(const std::vector<std::string>& vecArgs,
                             const std::map<std::string, std::string>& mapEnv) {
    char szLog[] = "/tmp/tactilo-child-XXXXXX";
    const int logFd = mkstemp(szLog);
    if (logFd < 0) {
        throw std::runtime_error("cannot make a log file");
    }
    m_strLogPath = szLog;
    m_strName = vecArgs.empty() ? std::string() : vecArgs.front();

    std::vector<char*> vecArgv;
    for (const std::string& strArg : vecArgs) {
        vecArgv.push_back(const_cast<char*>(strArg.c_str()));
    }
    vecArgv.push_back(nullptr);

    m_pid = fork();
    if (m_pid < 0) {
        close(logFd);
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        for (const auto& [strName, strValue] : mapEnv) {
            setenv(strName.c_str(), strValue.c_str(), 1);
        }
        const int nullFd = open("/dev/null", O_RDONLY);
        dup2(nullFd, 0);
        dup2(logFd, 1);
        dup2(logFd, 2);
        setpgid(0, 0);
        execvp(vecArgv[0], vecArgv.data());
        _exit(127);
    }
    close(logFd);
}

CChildProcess::~CChildProcess() {
    End();
    FailOnSanitizerReport(Log(), m_strName);
    unlink(m_strLogPath.c_str());
}

bool CProcessLife::Running() {
    if (m_bReaped) {
        return false;
    }
    int nStatus = 0;
    const pid_t result = waitpid(m_pid, &nStatus, WNOHANG);
    if (result == m_pid) {
        m_bReaped = true;
        m_nStatus = nStatus;
        return false;
    }
    return result == 0;
}

bool CProcessLife::Signal(int nSignal) {
    return !m_bReaped && kill(m_pid, nSignal) == 0;
}

int CProcessLife::Wait(std::chrono::milliseconds timeout) {
    if (WaitUntil([this] { return !Running(); }, timeout)) {
        return m_nStatus;
    }
    return -1;
}

void CProcessLife::End() {
    if (Running()) {
        Signal(SIGTERM);
        if (Wait(std::chrono::seconds(3)) == -1) {
            Signal(SIGKILL);
            Wait(std::chrono::seconds(3));
        }
    }
}

std::string ReadTextFile(const std::string& strPath) {
    std::ifstream file(strPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string CChildProcess::Log() const {
    return ReadTextFile(m_strLogPath);
}

std::string SanitizerReport(const std::string& strLog) {
    // The first line of every report of AddressSanitizer, LeakSanitizer, ThreadSanitizer and
    // UndefinedBehaviorSanitizer (the last names the source position before these words).
    static const char* const s_aszMarkers[] = {
        "ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "WARNING: ThreadSanitizer",
        "ERROR: ThreadSanitizer",  ": runtime error: ",
    };
    size_t nFirst = std::string::npos;
    for (const char* szMarker : s_aszMarkers) {
        nFirst = std::min(nFirst, strLog.find(szMarker));
    }
    if (nFirst == std::string::npos) {
        return {};
    }
    const size_t nLineStart = strLog.rfind('\n', nFirst);
    return strLog.substr(nLineStart == std::string::npos ? 0 : nLineStart + 1);
}

void FailOnSanitizerReport(const std::string& strLog, const std::string& strWhat) {
    const std::string strReport = SanitizerReport(strLog);
    if (!strReport.empty()) {
        ADD_FAILURE() << "the child " << strWhat << " reported:\n" << strReport;
    }
}
