#include "PtyPair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

CPtyPair::CPtyPair() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        throw std::runtime_error("cannot make a pseudo-terminal");
    }
    m_strSlavePath = ptsname(m_master);
    // Raw on the master side too, so that bytes pass unchanged.
    termios tio{};
    if (tcgetattr(m_master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_master, TCSANOW, &tio);
    }
}

CPtyPair::~CPtyPair() {
    CloseMaster();
}

bool CPtyPair::Write(const std::vector<unsigned char>& vecBytes) {
    std::size_t nDone = 0;
    while (nDone < vecBytes.size()) {
        const ssize_t nWritten = write(m_master, vecBytes.data() + nDone, vecBytes.size() - nDone);
        if (nWritten < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        nDone += static_cast<std::size_t>(nWritten);
    }
    return true;
}

void CPtyPair::CloseMaster() {
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
}
