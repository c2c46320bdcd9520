#include "PtyDevice.h"

#include <poll.h>
#include <time.h>

#include <cstdio>

namespace {

long long NsOf(ISimDevice::Clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

}  // namespace

CPtyDevice::CPtyDevice(CPtyServer& server, int stopFd, int nControllerBaud)
    : m_server(server), m_stopFd(stopFd) {
    if (nControllerBaud > 0) {
        m_mismatch.emplace(nControllerBaud);
    }
}

bool CPtyDevice::WaitUntil(Clock::time_point when) {
    for (;;) {
        const auto left = when - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto nNs = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout = {static_cast<time_t>(nNs / 1000000000),
                                  static_cast<long>(nNs % 1000000000)};
        pollfd fd = {m_stopFd, POLLIN, 0};
        if (ppoll(&fd, 1, &timeout, nullptr) > 0) {
            return false;
        }
    }
}

std::optional<ISimDevice::Clock::time_point> CPtyDevice::NextDue() const {
    if (!m_mismatch || m_mismatch->PendingUntilNs() < 0) {
        return std::nullopt;
    }
    // The stop bit is sampled at PendingUntilNs; the line must be known just past it.
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(m_mismatch->PendingUntilNs() + 1)));
}

bool CPtyDevice::Idle() {
    const auto due = NextDue();
    if (!due || *due > Clock::now()) {
        return true;
    }
    return Deliver(m_mismatch->Idle(NsOf(Clock::now())));
}

bool CPtyDevice::Settle() {
    const auto due = NextDue();
    if (!due) {
        return true;
    }
    return WaitUntil(*due) && Idle();
}

bool CPtyDevice::SleepUntil(Clock::time_point when) {
    if (const auto due = NextDue(); due && *due < when) {
        if (!WaitUntil(*due) || !Idle()) {
            return false;
        }
    }
    return WaitUntil(when);
}

bool CPtyDevice::Deliver(const std::vector<UartChar>& vecChars) {
    const std::vector<unsigned char> vecBytes = DeliverAsLinux(vecChars, m_flags);
    return vecBytes.empty() ||
           m_server.Write(vecBytes.data(), vecBytes.size()) != CPtyServer::WriteResult::Stopped;
}

bool CPtyDevice::Write(const std::vector<unsigned char>& vecBytes) {
    int nBaud = 0;
    if (!m_mismatch || !m_server.ReceiverSettings(nBaud, m_flags) || nBaud <= 0) {
        // Hung up (the server discards and says so) or no controller rate of its own.
        return m_server.Write(vecBytes.data(), vecBytes.size()) != CPtyServer::WriteResult::Stopped;
    }
    if (nBaud != m_nReportedBaud) {
        std::fprintf(stderr, "tactilo-sim: the port reads at %d baud, the controller sends at %d\n",
                     nBaud, m_mismatch->ControllerBaud());
        m_nReportedBaud = nBaud;
    }
    return Deliver(m_mismatch->Send(NsOf(Clock::now()), vecBytes, nBaud));
}

void CPtyDevice::Echo(const std::string& strText) {
    Settle();  // a stop is seen again by the runner's next wait
    std::printf("%s\n", strText.c_str());
    std::fflush(stdout);
}

bool CPtyDevice::Hangup(std::string&) {
    Settle();
    m_server.Hangup();
    return true;
}

bool CPtyDevice::Reopen(std::string& strError) {
    if (!m_server.Open(strError)) {
        return false;
    }
    std::fprintf(stderr, "tactilo-sim: reopened on %s\n", m_server.SlavePath().c_str());
    return true;
}
