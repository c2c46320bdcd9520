#include "BenchPty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "serial/PortNames.h"

CBenchPty::CBenchPty() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        tcgetattr(master, &tio) != 0) {
        m_strError = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) {
            close(master);
        }
        return;
    }
    cfmakeraw(&tio);
    tcsetattr(master, TCSANOW, &tio);
    // Writes wait in poll, with a limit: a reader that stops taking bytes must not hang us.
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    m_strSlavePath = ptsname(master);
    m_slave = open(m_strSlavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

CBenchPty::~CBenchPty() {
    if (!m_strLinkPath.empty()) {
        std::error_code error;
        std::filesystem::remove(m_strLinkPath, error);
    }
    if (m_slave >= 0) {
        close(m_slave);
    }
    if (m_master >= 0) {
        close(m_master);
    }
}

bool CBenchPty::LinkAs(int nPort) {
    const std::filesystem::path link = PortLinkPath(nPort);
    std::error_code error;
    std::filesystem::create_directories(link.parent_path(), error);
    std::filesystem::remove(link, error);
    std::filesystem::create_symlink(m_strSlavePath, link, error);
    if (error) {
        m_strError = "cannot link " + link.string() + ": " + error.message();
        return false;
    }
    m_strLinkPath = link.string();
    return true;
}

bool CBenchPty::Write(const unsigned char* pBytes, std::size_t nCount) {
    while (nCount > 0) {
        const ssize_t nWritten = write(m_master, pBytes, nCount);
        if (nWritten < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                pollfd fd = {m_master, POLLOUT, 0};
                if (poll(&fd, 1, kStallMs) == 0) {
                    m_strError = "the reader took no bytes for " + std::to_string(kStallMs) + " ms";
                    return false;
                }
                continue;
            }
            m_strError = std::string("write on the pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
        pBytes += nWritten;
        nCount -= static_cast<std::size_t>(nWritten);
    }
    return true;
}

int CBenchPty::Queued() const {
    int nQueued = 0;
    return ioctl(m_master, TIOCOUTQ, &nQueued) == 0 ? nQueued : -1;
}
