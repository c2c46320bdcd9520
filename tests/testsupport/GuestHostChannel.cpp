#include "GuestHostChannel.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace {

// The harness wires QEMU's second serial port to the host test's control socket.
constexpr const char* CONTROL_TTY = "/dev/ttyS1";

int ControlFd() {
    static const int fd = [] {
        const int nFd = open(CONTROL_TTY, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (nFd < 0) {
            throw std::runtime_error("no control channel to the host at /dev/ttyS1");
        }
        termios tio{};
        tcgetattr(nFd, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, B115200);
        tcsetattr(nFd, TCSANOW, &tio);
        return nFd;
    }();
    return fd;
}

}  // namespace

std::string AskHost(const std::string& strRequest) {
    const int fd = ControlFd();
    const std::string strLine = strRequest + "\n";
    if (write(fd, strLine.data(), strLine.size()) != static_cast<ssize_t>(strLine.size())) {
        throw std::runtime_error("cannot write to the host");
    }
    std::string strAnswer;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') {
        strAnswer += c;
    }
    return strAnswer;
}
