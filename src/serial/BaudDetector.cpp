#include "serial/BaudDetector.h"

#include <chrono>
#include <thread>

#include "serial/DeviceConnection.h"
#include "serial/LineGuard.h"
#include "serial/Port.h"

CBaudDetector::CBaudDetector(CPort& port, Clock clock) : m_port(port), m_clock(std::move(clock)) {}

void CBaudDetector::Cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_bCancelled = true;
    }
    m_changed.notify_all();
    m_port.Wake();
}

unsigned CBaudDetector::Detect(int nPort, const std::vector<unsigned>& vecRates, int nListenMs) {
    m_strOpenFailure.clear();
    m_nOpenError = 0;
    for (const unsigned nRate : vecRates) {
        if (m_bCancelled) {
            return 0;
        }
        if (m_fnTrying) {
            m_fnTrying(nRate);
        }
        bool bGiveUp = false;
        if (TryRate(nPort, nRate, nListenMs, bGiveUp)) {
            return nRate;
        }
        if (bGiveUp) {
            return 0;
        }
    }
    return 0;
}

bool CBaudDetector::TryRate(int nPort, unsigned nBaudRate, int nListenMs, bool& bGiveUp) {
    try {
        m_port.Open(nPort, nBaudRate, 8, 0, 0);
        m_port.SetTimeouts(0, 0, 0, 0, 0);
    } catch (const CPortException& error) {
        m_strOpenFailure = CDeviceConnection::OpenFailureText(m_port.DescribeFailure(nPort, error));
        m_nOpenError = error.Error();
        bGiveUp = true;
        return false;
    }
    m_port.ClearWake();
    // A silent line blocks the read for good: the watch wakes it when the time is up.
    {
        std::lock_guard lock(m_mutex);
        m_bListening = true;
    }
    std::thread watch([this, nListenMs] {
        std::unique_lock lock(m_mutex);
        const bool bEnded = m_changed.wait_for(lock, std::chrono::milliseconds(nListenMs),
                                               [this] { return !m_bListening || m_bCancelled; });
        if (!bEnded) {
            m_port.Wake();
        }
    });

    CLineGuard guard(false);
    guard.StartOn(m_port, false);
    const std::uint64_t nStartMs = m_clock();
    bool bClean = false;
    std::string strPacket;
    while (!bClean && !m_bCancelled) {
        const PacketStatus status = m_port.ReadPacket(strPacket);
        if (status == PacketStatus::Stopped || status == PacketStatus::DeviceGone) {
            break;
        }
        const std::uint64_t nNowMs = m_clock();
        guard.OnPortRead(m_port, status, strPacket, nNowMs);
        bClean = guard.GetState() == CLineGuard::State::Trusted;
        if (nNowMs - nStartMs >= static_cast<std::uint64_t>(nListenMs)) {
            break;
        }
    }

    {
        std::lock_guard lock(m_mutex);
        m_bListening = false;
    }
    m_changed.notify_all();
    watch.join();
    m_port.Close();
    m_port.ClearWake();
    bGiveUp = m_bCancelled;
    return bClean && !m_bCancelled;
}
