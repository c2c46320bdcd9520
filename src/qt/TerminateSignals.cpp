#include "qt/TerminateSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace {

constexpr int g_signals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler's only state. Lock-free, so reading it in a handler is safe.
std::atomic<int> g_nWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

struct sigaction g_previous[std::size(g_signals)];
std::atomic<bool> g_bInstalled{false};

extern "C" void OnTerminateSignal(int nSignal) {
    const int nSavedErrno = errno;
    const int nFd = g_nWriteFd.load();
    if (nFd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(nSignal);
        // A full pipe already holds a request: losing this byte loses nothing.
        (void)!write(nFd, &byte, 1);
    }
    errno = nSavedErrno;
}

}  // namespace

CTerminateSignals::CTerminateSignals(QObject* pParent) : QObject(pParent) {
    if (g_bInstalled.exchange(true)) {
        throw std::logic_error("CTerminateSignals: one instance per process");
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_bInstalled = false;
        throw std::runtime_error("CTerminateSignals: cannot make the pipe");
    }
    m_nReadFd = fds[0];
    m_nWriteFd = fds[1];
    g_nWriteFd = m_nWriteFd;

    m_pNotifier = new QSocketNotifier(m_nReadFd, QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CTerminateSignals::OnReadable);

    struct sigaction action {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted calls: the request is handled by the event loop, not by making
    // some unrelated read or wait fail with EINTR.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(g_signals); ++i) {
        sigaction(g_signals[i], &action, &g_previous[i]);
    }
}

CTerminateSignals::~CTerminateSignals() {
    // The old handling first, so no handler can run against a closed pipe afterwards.
    for (std::size_t i = 0; i < std::size(g_signals); ++i) {
        sigaction(g_signals[i], &g_previous[i], nullptr);
    }
    g_nWriteFd = -1;
    delete m_pNotifier;
    close(m_nReadFd);
    close(m_nWriteFd);
    g_bInstalled = false;
}

void CTerminateSignals::OnReadable() {
    unsigned char buffer[64];
    ssize_t nRead = 0;
    int nSignal = 0;
    while ((nRead = read(m_nReadFd, buffer, sizeof buffer)) > 0) {
        nSignal = buffer[nRead - 1];
    }
    if (nSignal == 0) {
        return;
    }
    // Several requests waiting together are one request: the program ends once.
    m_nLastSignal = nSignal;
    emit terminateRequested();
}
