#include "SignalPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {

int g_writeFd = -1;
volatile sig_atomic_t g_nReceived = 0;

void OnSignal(int nSignal) {
    const int nSavedErrno = errno;
    if (g_nReceived == 0) {
        g_nReceived = nSignal;
    }
    const char cByte = 1;
    (void)!write(g_writeFd, &cByte, 1);  // a full pipe already says "stop"
    errno = nSavedErrno;
}

}  // namespace

CSignalPipe::CSignalPipe(std::initializer_list<int> signals) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot make the signal pipe");
    }
    m_readFd = fds[0];
    g_writeFd = fds[1];

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int nSignal : signals) {
        sigaction(nSignal, &action, nullptr);
    }
    // A reader of our output that goes away must not kill us mid-cleanup.
    signal(SIGPIPE, SIG_IGN);
}

CSignalPipe::~CSignalPipe() {
    // The handlers stay installed (the descriptors die with the process); writes to a closed
    // descriptor in a late handler would only fail.
}

int CSignalPipe::Received() const {
    return g_nReceived;
}

void CSignalPipe::WaitForSignal() const {
    pollfd fd = {m_readFd, POLLIN, 0};
    while (poll(&fd, 1, -1) < 0 && errno == EINTR) {
    }
}
