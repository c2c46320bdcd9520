#include "ScriptSource.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

CScriptSource::CScriptSource(int fd, int stopFd) : m_fd(fd), m_stopFd(stopFd) {}

CScriptSource::~CScriptSource() {
    if (m_fd > 0) {
        close(m_fd);
    }
}

CScriptSource::Status CScriptSource::Next(std::string& strLine, Deadline deadline) {
    for (;;) {
        if (const std::size_t nEnd = m_strBuffer.find('\n'); nEnd != std::string::npos) {
            strLine = m_strBuffer.substr(0, nEnd);
            m_strBuffer.erase(0, nEnd + 1);
            ++m_nLine;
            return Status::Line;
        }
        if (m_bEnd) {
            if (m_strBuffer.empty()) {
                return Status::End;
            }
            strLine.swap(m_strBuffer);
            m_strBuffer.clear();
            ++m_nLine;
            return Status::Line;
        }
        int nTimeoutMs = -1;
        if (deadline) {
            using namespace std::chrono;
            const auto left = *deadline - steady_clock::now();
            if (left <= steady_clock::duration::zero()) {
                return Status::Timeout;
            }
            nTimeoutMs = static_cast<int>(ceil<milliseconds>(left).count());
        }
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        const int nReady = poll(fds, 2, nTimeoutMs);
        if (nReady == 0) {
            continue;  // the deadline is checked above
        }
        if (nReady < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_bEnd = true;
            continue;
        }
        if (fds[1].revents & POLLIN) {
            return Status::Stopped;
        }
        char acBuffer[4096];
        const ssize_t nRead = read(m_fd, acBuffer, sizeof acBuffer);
        if (nRead > 0) {
            m_strBuffer.append(acBuffer, static_cast<std::size_t>(nRead));
        } else if (nRead == 0 || (errno != EINTR && errno != EAGAIN)) {
            m_bEnd = true;
        }
    }
}
