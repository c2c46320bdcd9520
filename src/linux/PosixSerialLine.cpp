#include "linux/PosixSerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>
#include <utility>

#include "linux/LineTermios.h"
#include "linux/UdevPortSystem.h"
#include "serial/PortChoices.h"
#include "serial/PortNames.h"

CPosixSerialLine::CPosixSerialLine(std::function<std::string(int)> pathForPort,
                                   std::function<std::string(const std::string&)> groupForPath)
    : m_pathForPort(pathForPort ? std::move(pathForPort) : PortDevicePath),
      m_groupForPath(groupForPath ? std::move(groupForPath) : PortGroup),
      m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CPosixSerialLine::~CPosixSerialLine() {
    ClosePort();
    if (m_wakeFd >= 0) {
        close(m_wakeFd);
    }
}

int CPosixSerialLine::OpenPort(int nPort) {
    ClosePort();
    const std::string strPath = m_pathForPort(nPort);
    const int fd = open(strPath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    // Exclusive use. flock is what stops a second opener running as root; a lock held
    // elsewhere reads as "in use", like the open of a busy port.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int nError = (errno == EWOULDBLOCK) ? EBUSY : errno;
        close(fd);
        return nError;
    }
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        const int nError = errno;
        close(fd);
        return nError;
    }
    const int nFlags = fcntl(fd, F_GETFL);
    if (nFlags < 0 || fcntl(fd, F_SETFL, nFlags & ~O_NONBLOCK) != 0) {
        const int nError = errno;
        close(fd);
        return nError;
    }
    m_fd = fd;
    m_nReadTimeoutMs = -1;
    return 0;
}

int CPosixSerialLine::ReadSettings() {
    return m_fd < 0 ? EBADF : ReadLineSettings(m_fd);
}

int CPosixSerialLine::WriteSettings(const LineSettings& settings) {
    if (m_fd < 0) {
        return EBADF;
    }
    if (const int nError = WriteLineSettings(m_fd, settings); nError != 0) {
        return nError;
    }
    // DTR on. A pseudo-terminal has no modem lines; that must not fail the open.
    int nBits = TIOCM_DTR;
    (void)ioctl(m_fd, TIOCMBIS, &nBits);
    return 0;
}

bool CPosixSerialLine::SetTimeouts(const CommTimeouts& timeouts) {
    if (m_fd < 0) {
        return false;
    }
    // Only the total read time-out has a meaning for one-byte reads. All zero: no limit.
    const unsigned nTotalMs = timeouts.nReadTotalConstantMs + timeouts.nReadTotalMultiplierMs;
    m_nReadTimeoutMs = nTotalMs == 0 ? -1 : static_cast<int>(nTotalMs);
    return true;
}

void CPosixSerialLine::ClosePort() {
    m_nBuffered = m_nNext = 0;  // what the old line sent is not the next line's
    if (m_fd >= 0) {
        (void)ioctl(m_fd, TIOCNXCL);
        close(m_fd);  // also drops the flock
        m_fd = -1;
    }
}

bool CPosixSerialLine::IsOpen() const {
    return m_fd >= 0;
}

ReadStatus CPosixSerialLine::ReadByte(unsigned char& nByte) {
    if (m_bWoken) {
        return ReadStatus::Stopped;
    }
    // Bytes come off the line in whatever lots the driver has; handing them out one by one
    // from our own buffer spares two system calls a byte at high packet rates.
    if (m_nNext < m_nBuffered) {
        nByte = m_aBuffer[m_nNext++];
        return ReadStatus::Byte;
    }
    if (m_fd < 0) {
        return ReadStatus::Gone;
    }
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const int nReady = poll(fds, 2, m_nReadTimeoutMs);
        if (nReady < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadStatus::Failed;
        }
        if (fds[1].revents & POLLIN) {
            return ReadStatus::Stopped;
        }
        if (nReady == 0) {
            return ReadStatus::NoByte;
        }
        if (fds[0].revents & POLLNVAL) {
            return ReadStatus::Gone;
        }
        // Read even on POLLHUP: bytes written before the other side went away come first.
        // With VMIN 1 the read returns what is there without waiting for a full buffer.
        const ssize_t nRead = read(m_fd, m_aBuffer, sizeof m_aBuffer);
        if (nRead > 0) {
            m_nBuffered = static_cast<std::size_t>(nRead);
            m_nNext = 1;
            nByte = m_aBuffer[0];
            return ReadStatus::Byte;
        }
        if (nRead == 0) {
            return ReadStatus::Gone;  // end of file: the other side hung up
        }
        switch (errno) {
            case EINTR:
            case EAGAIN:
                continue;
            case EIO:
            case ENXIO:
            case ENODEV:
            case EBADF:
                return ReadStatus::Gone;
            default:
                return ReadStatus::Failed;
        }
    }
}

bool CPosixSerialLine::WaitForWake(int nTimeoutMs) {
    pollfd fd = {m_wakeFd, POLLIN, 0};
    for (;;) {
        const int nReady = poll(&fd, 1, nTimeoutMs);
        if (nReady < 0 && errno == EINTR) {
            continue;  // the pause may come out a little long; it is only a pause
        }
        return nReady > 0;
    }
}

void CPosixSerialLine::Wake() {
    m_bWoken = true;
    const std::uint64_t nOne = 1;
    (void)!write(m_wakeFd, &nOne, sizeof nOne);
}

void CPosixSerialLine::ClearWake() {
    m_bWoken = false;
    std::uint64_t nCount = 0;
    (void)!read(m_wakeFd, &nCount, sizeof nCount);
}

PortFailureText CPosixSerialLine::DescribeFailure(int nPort, int nError,
                                                  const std::string& strMessage) const {
    std::string strReason = nError != 0 ? std::generic_category().message(nError) : strMessage;
    while (!strReason.empty() && (strReason.back() == '\n' || strReason.back() == '\r')) {
        strReason.pop_back();
    }
    const std::string strDevice = PortTargetPath(nPort);
    PortFailureText failure;
    failure.strLine = "COM" + std::to_string(nPort) + " (" + strDevice + "): " + strReason;
    if (nError == EACCES) {
        failure.strAdvice = AccessFixText(strDevice, m_groupForPath(strDevice));
    }
    return failure;
}
