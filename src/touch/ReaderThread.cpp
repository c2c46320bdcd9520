#include "touch/ReaderThread.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "serial/Port.h"

CReaderThread::CReaderThread(CPort& port, Callbacks callbacks, Clock clock)
    : m_port(port), m_callbacks(std::move(callbacks)), m_clock(std::move(clock)) {}

std::uint64_t CReaderThread::SteadyClockMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

CReaderThread::~CReaderThread() {
    RunReader(false);
}

void CReaderThread::RunReader(bool bStart) {
    if (m_thread.joinable()) {
        m_port.Wake();
        m_thread.join();
    }
    m_bReaderRunning = false;
    if (bStart) {
        ++m_nGeneration;
        m_port.ClearWake();
        m_guard.StartOn(m_port, true);
        m_thread = std::thread(&CReaderThread::ReaderThreadProc, this);
    }
}

void CReaderThread::ReaderThreadProc() {
    m_bReaderRunning = true;
    ReadUntilStopped();
}

// Hands the guard what the framer made of the line and passes on what it lets act: first a
// release that lets go of a held button, then the packet itself.
void CReaderThread::Judge(PacketStatus status, const std::string& strPacket) {
    const CLineGuard::Verdict verdict = m_guard.OnPortRead(m_port, status, strPacket, m_clock());
    if (!verdict.strRelease.empty()) {
        m_callbacks.onPacket(verdict.strRelease);
    }
    if (verdict.bAct) {
        m_callbacks.onPacket(strPacket);
    } else if (status == PacketStatus::Whole) {
        ++m_nGuarded;
    }
    if (verdict.bNoiseBegan && m_callbacks.onNoise) {
        m_callbacks.onNoise();
    }
}

void CReaderThread::ReadUntilStopped() {
    std::string strPacket;
    int nPauseMs = 0;  // 0: the line is working
    for (;;) {
        switch (m_port.ReadPacket(strPacket)) {
            case PacketStatus::Whole:
                nPauseMs = 0;
                ++m_nPackets;
                Judge(PacketStatus::Whole, strPacket);
                break;
            case PacketStatus::CutShort:
                // Its text mixes a new lead byte with stale data bytes: never a touch.
                ++m_nCutShort;
                Judge(PacketStatus::CutShort, strPacket);
                break;
            case PacketStatus::CutShortRelease:
                // A lift whose position was lost: the guard lets go of a held button.
                ++m_nCutShort;
                Judge(PacketStatus::CutShortRelease, strPacket);
                break;
            case PacketStatus::DeviceGone:
                // A vanished device fails every read at once: pause, growing, so that the
                // wait costs nothing; the stop cuts the pause short.
                if (nPauseMs == 0) {
                    if (m_callbacks.onDeviceGone) {
                        m_callbacks.onDeviceGone();
                    }
                    nPauseMs = FIRST_RETRY_PAUSE_MS;
                } else {
                    nPauseMs = std::min(nPauseMs * 2, LAST_RETRY_PAUSE_MS);
                }
                if (m_port.WaitForWake(nPauseMs)) {
                    return;
                }
                break;
            case PacketStatus::Stopped:
                return;
        }
    }
}
