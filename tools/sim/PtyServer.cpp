#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "ReceiverSettings.h"

namespace {

const char* const g_szHungUpTarget = "/nonexistent/tactilo-sim-hung-up";

std::string ErrnoText(const char* szWhat) {
    return std::string(szWhat) + ": " + std::strerror(errno);
}

}  // namespace

CPtyServer::CPtyServer(int stopFd, int nStallMs) : m_stopFd(stopFd), m_nStallMs(nStallMs) {}

CPtyServer::~CPtyServer() {
    Unlink();
    Hangup(false);
}

bool CPtyServer::Open(std::string& strError) {
    Hangup();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        strError = ErrnoText("cannot make a pseudo-terminal");
        return false;
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        strError = ErrnoText("cannot unlock the pseudo-terminal");
        close(master);
        return false;
    }
    // Raw before the first byte: the slave's line discipline would otherwise cook what we
    // write (wait for a newline, echo, turn 0x03 into a signal) until the reader sets raw
    // mode itself. Master and slave share one termios, so setting it here is enough.
    termios tio{};
    if (tcgetattr(master, &tio) != 0) {
        strError = ErrnoText("cannot read the pseudo-terminal settings");
        close(master);
        return false;
    }
    cfmakeraw(&tio);
    if (tcsetattr(master, TCSANOW, &tio) != 0) {
        strError = ErrnoText("cannot make the pseudo-terminal raw");
        close(master);
        return false;
    }
    const int nFlags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, nFlags | O_NONBLOCK);  // waiting is done in poll, with a limit
    m_master = master;
    m_strSlavePath = ptsname(master);
    m_slave = open(m_strSlavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    m_bDropping = false;
    m_nDropped = 0;
    m_bWarnedClosed = false;
    if (!m_strLinkPath.empty()) {
        return PointLink(m_strSlavePath, strError);
    }
    return true;
}

void CPtyServer::Drain() {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_nStallMs);
    // Bytes written to the master reach the slave's queue a moment later (the kernel passes
    // them on from a work queue, which a loaded machine runs late), so one empty reading is
    // not enough: the queue must stay empty for a while. Nothing tells when the work queue
    // has run, so this is the one wait on time here; it costs a hang-up 50 ms.
    constexpr auto EMPTY_FOR = std::chrono::milliseconds(50);
    auto emptySince = Clock::time_point::max();
    while (m_slave >= 0 && Clock::now() < deadline) {
        pollfd fd = {m_stopFd, POLLIN, 0};
        if (poll(&fd, 1, 2) > 0) {
            return;
        }
        int nQueued = 0;
        if (ioctl(m_slave, FIONREAD, &nQueued) != 0) {
            return;
        }
        const auto now = Clock::now();
        if (nQueued != 0) {
            emptySince = Clock::time_point::max();
        } else if (emptySince == Clock::time_point::max()) {
            emptySince = now;
        } else if (now - emptySince >= EMPTY_FOR) {
            return;
        }
    }
}

void CPtyServer::Hangup(bool bDrain) {
    if (m_master < 0) {
        return;
    }
    if (bDrain) {
        Drain();
    }
    close(m_master);
    m_master = -1;
    if (m_slave >= 0) {
        close(m_slave);
        m_slave = -1;
    }
    if (!m_strLinkPath.empty()) {
        std::string strIgnored;
        PointLink(g_szHungUpTarget, strIgnored);
    }
}

bool CPtyServer::ReceiverSettings(int& nBaud, LineInputFlags& flags) const {
    return m_master >= 0 && ReadReceiverSettings(m_master, nBaud, flags);
}

bool CPtyServer::Link(const std::string& strLinkPath, std::string& strError) {
    m_strLinkPath = strLinkPath;
    return PointLink(m_master >= 0 ? m_strSlavePath : g_szHungUpTarget, strError);
}

bool CPtyServer::PointLink(const std::string& strTarget, std::string& strError) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path link(m_strLinkPath);
    fs::create_directories(link.parent_path(), error);
    if (error) {
        strError = "cannot make " + link.parent_path().string() + ": " + error.message();
        return false;
    }
    const fs::path temporary = link.parent_path() / (".tactilo-sim-" + std::to_string(getpid()) +
                                                     "-" + link.filename().string());
    fs::remove(temporary, error);
    fs::create_symlink(strTarget, temporary, error);
    if (!error) {
        fs::rename(temporary, link, error);
    }
    if (error) {
        fs::remove(temporary, error);
        strError = "cannot link " + m_strLinkPath + ": " + error.message();
        return false;
    }
    m_strLinkTarget = strTarget;
    return true;
}

void CPtyServer::Unlink() {
    if (m_strLinkPath.empty()) {
        return;
    }
    // Someone may have re-pointed the link since (another simulator, a user): leave theirs.
    std::error_code error;
    if (std::filesystem::read_symlink(m_strLinkPath, error) == m_strLinkTarget && !error) {
        std::filesystem::remove(m_strLinkPath, error);
    }
    m_strLinkPath.clear();
}

CPtyServer::WriteResult CPtyServer::Write(const unsigned char* pBytes, std::size_t nCount) {
    if (m_master < 0) {
        if (!m_bWarnedClosed) {
            std::fprintf(stderr, "tactilo-sim: hung up: discarding bytes until 'reopen'\n");
            m_bWarnedClosed = true;
        }
        return WriteResult::Closed;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_nStallMs);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const ssize_t nWritten = write(m_master, pBytes + nDone, nCount - nDone);
        if (nWritten > 0) {
            nDone += static_cast<std::size_t>(nWritten);
            continue;
        }
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten < 0 && errno != EAGAIN) {
            std::fprintf(stderr, "tactilo-sim: write failed: %s\n", std::strerror(errno));
            return WriteResult::Closed;
        }
        const auto nLeftMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (m_bDropping || nLeftMs <= 0) {
            if (!m_bDropping) {
                std::fprintf(stderr,
                             "tactilo-sim: nobody reads %s: dropping bytes until it is read "
                             "again\n",
                             m_strSlavePath.c_str());
                m_bDropping = true;
            }
            m_nDropped += nCount - nDone;
            return WriteResult::Dropped;
        }
        pollfd fds[2] = {{m_master, POLLOUT, 0}, {m_stopFd, POLLIN, 0}};
        const int nReady = poll(fds, 2, static_cast<int>(nLeftMs));
        if (nReady > 0 && (fds[1].revents & POLLIN)) {
            return WriteResult::Stopped;
        }
    }
    if (m_bDropping) {
        std::fprintf(stderr, "tactilo-sim: %s is read again; %llu bytes were dropped\n",
                     m_strSlavePath.c_str(), m_nDropped);
        m_bDropping = false;
        m_nDropped = 0;
    }
    return WriteResult::Written;
}
