#include "touch/ReaderThread.h"

#include <algorithm>
#include <utility>

#include "serial/Port.h"

CReaderThread::CReaderThread(CPort& port, Callbacks callbacks)
    : m_port(port), m_callbacks(std::move(callbacks)) {}

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
        m_thread = std::thread(&CReaderThread::ReaderThreadProc, this);
    }
}

void CReaderThread::ReaderThreadProc() {
    m_bReaderRunning = true;
    std::string strPacket;
    int nPauseMs = 0;  // 0: the line is working
    for (;;) {
        switch (m_port.ReadPacket(strPacket)) {
            case PacketStatus::Whole:
                nPauseMs = 0;
                ++m_nPackets;
                m_callbacks.onPacket(strPacket);
                break;
            case PacketStatus::CutShort:
                // Its text mixes a new lead byte with stale data bytes: never a touch.
                ++m_nCutShort;
                break;
            case PacketStatus::CutShortRelease:
                // A lift whose position was lost: it must still let go of the button.
                ++m_nCutShort;
                m_callbacks.onPacket(strPacket);
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
