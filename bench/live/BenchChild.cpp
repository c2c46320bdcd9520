#include "BenchChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

CBenchChild::CBenchChild(const std::vector<std::string>& vecArgs) {
    int toChild[2];
    int fromChild[2];
    if (vecArgs.empty() || pipe2(toChild, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    const pid_t nParent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != nParent) {
            _exit(127);  // the parent went before the death signal was armed
        }
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        std::vector<char*> vecArgv;
        for (const std::string& strArg : vecArgs) {
            vecArgv.push_back(const_cast<char*>(strArg.c_str()));
        }
        vecArgv.push_back(nullptr);
        execvp(vecArgv[0], vecArgv.data());
        std::perror(vecArgv[0]);
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    if (pid < 0) {
        close(toChild[1]);
        close(fromChild[0]);
        return;
    }
    m_pid = pid;
    m_toChild = toChild[1];
    m_fromChild = fromChild[0];
}

CBenchChild::~CBenchChild() {
    Stop();
    if (m_toChild >= 0) {
        close(m_toChild);
    }
    if (m_fromChild >= 0) {
        close(m_fromChild);
    }
}

bool CBenchChild::Running() {
    if (m_pid <= 0 || m_bReaped) {
        return false;
    }
    if (waitpid(m_pid, &m_nStatus, WNOHANG) == m_pid) {
        m_bReaped = true;
        return false;
    }
    return true;
}

bool CBenchChild::ReadLine(std::string& strLine, int nTimeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    for (;;) {
        if (const std::size_t nEnd = m_strBuffer.find('\n'); nEnd != std::string::npos) {
            strLine = m_strBuffer.substr(0, nEnd);
            m_strBuffer.erase(0, nEnd + 1);
            return true;
        }
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (m_fromChild < 0 || remaining.count() < 0) {
            return false;
        }
        pollfd fd = {m_fromChild, POLLIN, 0};
        const int nReady = poll(&fd, 1, static_cast<int>(remaining.count()) + 1);
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady <= 0) {
            return false;
        }
        char szBuffer[512];
        const ssize_t nRead = read(m_fromChild, szBuffer, sizeof szBuffer);
        if (nRead <= 0) {
            return false;
        }
        m_strBuffer.append(szBuffer, static_cast<std::size_t>(nRead));
    }
}

bool CBenchChild::WriteLine(const std::string& strLine) {
    if (m_toChild < 0) {
        return false;
    }
    const std::string strText = strLine + "\n";
    return write(m_toChild, strText.data(), strText.size()) == static_cast<ssize_t>(strText.size());
}

int CBenchChild::Stop(int nGraceMs) {
    if (m_pid <= 0 || m_bReaped) {
        return m_nStatus;
    }
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nGraceMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(m_pid, &m_nStatus, WNOHANG) == m_pid) {
            m_bReaped = true;
            return m_nStatus;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(m_pid, SIGKILL);
    if (waitpid(m_pid, &m_nStatus, 0) == m_pid) {
        m_bReaped = true;
    }
    return m_nStatus;
}
