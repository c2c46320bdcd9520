#include "BaudMismatch.h"

#include <algorithm>

namespace {

constexpr int g_nBitsPerByte = 10;  // start, 8 data, stop

// The level of bit nBit (0 start, 1..8 data least first, 9 stop) of a character.
bool BitLevel(unsigned char nByte, int nBit) {
    if (nBit == 0) {
        return false;
    }
    if (nBit == g_nBitsPerByte - 1) {
        return true;
    }
    return (nByte >> (nBit - 1)) & 1U;
}

}  // namespace

CBaudMismatch::CBaudMismatch(int nControllerBaud)
    : m_nControllerBaud(nControllerBaud), m_receiver(nControllerBaud) {}

long long CBaudMismatch::BitEdgeNs(long long nStartNs, long long nBit) const {
    // From the burst's start each time, so rounding never adds up along a burst.
    return nStartNs + nBit * 1000000000LL / m_nControllerBaud;
}

std::vector<UartChar> CBaudMismatch::Send(long long nNowNs,
                                          const std::vector<unsigned char>& vecBytes,
                                          int nReceiverBaud) {
    if (!m_bStarted) {
        // The line has idled for as long as anyone can tell.
        m_receiver = CUartReceiver(nReceiverBaud, nNowNs);
        m_nBusyUntilNs = nNowNs;
        m_bStarted = true;
    }
    m_receiver.SetBaud(nReceiverBaud);
    const long long nStartNs = std::max({nNowNs, m_nBusyUntilNs, m_receiver.KnownUntilNs()});
    m_receiver.Hold(true, nStartNs);
    // Hand the receiver one piece per run of equal bits.
    bool bLevel = true;
    const long long nBits = static_cast<long long>(vecBytes.size()) * g_nBitsPerByte;
    for (long long nBit = 0; nBit < nBits; ++nBit) {
        const bool bBit = BitLevel(vecBytes[static_cast<std::size_t>(nBit / g_nBitsPerByte)],
                                   static_cast<int>(nBit % g_nBitsPerByte));
        if (bBit != bLevel) {
            m_receiver.Hold(bLevel, BitEdgeNs(nStartNs, nBit));
            bLevel = bBit;
        }
    }
    m_nBusyUntilNs = BitEdgeNs(nStartNs, nBits);
    m_receiver.Hold(bLevel, m_nBusyUntilNs);
    return m_receiver.Take();
}

std::vector<UartChar> CBaudMismatch::Idle(long long nNowNs) {
    if (!m_bStarted) {
        return {};
    }
    m_receiver.Hold(true, nNowNs);
    return m_receiver.Take();
}

long long CBaudMismatch::PendingUntilNs() const {
    return m_receiver.PendingUntilNs();
}
