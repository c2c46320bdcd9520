#include "PipedProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "ChildProcess.h"
#include "TestTime.h"

CPipedProcess::CPipedProcess(const std::vector<std::string>& vecArgs,
                             const std::map<std::string, std::string>& mapEnv) {
    char szLog[] = "/tmp/tactilo-piped-XXXXXX";
    const int logFd = mkstemp(szLog);
    int inPipe[2];
    int outPipe[2];
    if (logFd < 0 || pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make pipes for a child process");
    }
    m_strLogPath = szLog;
    m_strName = vecArgs.empty() ? std::string() : vecArgs.front();

    std::vector<char*> vecArgv;
    for (const std::string& strArg : vecArgs) {
        vecArgv.push_back(const_cast<char*>(strArg.c_str()));
    }
    vecArgv.push_back(nullptr);

    // A program that dies early must fail the test, not kill it with SIGPIPE on Send.
    signal(SIGPIPE, SIG_IGN);
    m_pid = fork();
    if (m_pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        for (const auto& [strName, strValue] : mapEnv) {
            setenv(strName.c_str(), strValue.c_str(), 1);
        }
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(logFd, 2);
        execvp(vecArgv[0], vecArgv.data());
        _exit(127);
    }
    close(logFd);
    close(inPipe[0]);
    close(outPipe[1]);
    m_inFd = inPipe[1];
    m_outFd = outPipe[0];
    fcntl(m_outFd, F_SETFL, fcntl(m_outFd, F_GETFL) | O_NONBLOCK);
}

CPipedProcess::~CPipedProcess() {
    CloseInput();
    End();
    FailOnSanitizerReport(ErrorLog(), m_strName);
    if (m_outFd >= 0) {
        close(m_outFd);
    }
    unlink(m_strLogPath.c_str());
}

bool CPipedProcess::Send(const std::string& strText) {
    std::size_t nDone = 0;
    while (m_inFd >= 0 && nDone < strText.size()) {
        const ssize_t nWritten = write(m_inFd, strText.data() + nDone, strText.size() - nDone);
        if (nWritten < 0 && errno != EINTR) {
            return false;
        }
        nDone += nWritten > 0 ? static_cast<std::size_t>(nWritten) : 0;
    }
    return m_inFd >= 0;
}

void CPipedProcess::CloseInput() {
    if (m_inFd >= 0) {
        close(m_inFd);
        m_inFd = -1;
    }
}

bool CPipedProcess::ReadLine(std::string& strLine, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Scaled(timeout);
    for (;;) {
        if (const std::size_t nEnd = m_strPending.find('\n'); nEnd != std::string::npos) {
            strLine = m_strPending.substr(0, nEnd);
            m_strPending.erase(0, nEnd + 1);
            m_vecLines.push_back(strLine);
            return true;
        }
        const auto nLeftMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 deadline - std::chrono::steady_clock::now())
                                 .count();
        if (nLeftMs <= 0) {
            return false;
        }
        pollfd fd = {m_outFd, POLLIN, 0};
        const int nReady = poll(&fd, 1, static_cast<int>(nLeftMs));
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady <= 0) {
            return false;
        }
        char acBuffer[4096];
        const ssize_t nRead = read(m_outFd, acBuffer, sizeof acBuffer);
        if (nRead == 0) {
            return false;  // output closed
        }
        if (nRead > 0) {
            m_strPending.append(acBuffer, static_cast<std::size_t>(nRead));
        }
    }
}

bool CPipedProcess::WaitForLine(const std::string& strWanted, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Scaled(timeout);
    std::string strLine;
    while (ReadLine(strLine, std::chrono::duration_cast<std::chrono::milliseconds>(
                                 deadline - std::chrono::steady_clock::now()))) {
        if (strLine == strWanted) {
            return true;
        }
    }
    return false;
}

std::string CPipedProcess::ErrorLog() const {
    return ReadTextFile(m_strLogPath);
}

std::string CPipedProcess::ToolPath(const std::string& strName) {
    // TACTILO_TOOLS_DIR in the environment tries other builds of the tools.
    const char* szDir = getenv("TACTILO_TOOLS_DIR");
    return std::string(szDir && *szDir ? szDir : TACTILO_TOOLS_DIR) + "/" + strName;
}
