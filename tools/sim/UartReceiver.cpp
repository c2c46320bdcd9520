#include "UartReceiver.h"

namespace {

constexpr long long g_nNsPerSecond = 1000000000LL;
constexpr int g_nStopBit = 9;  // start bit 0, data bits 1..8

}  // namespace

CUartReceiver::CUartReceiver(int nBaud, long long nStartNs)
    : m_nBaud(nBaud), m_nFrameBaud(nBaud), m_nKnownNs(nStartNs) {}

long long CUartReceiver::SampleNs(int nBit) const {
    // Centre of bit nBit after the edge, plus half a tick of the 16x clock (1/32 bit).
    // Computed from the edge each time, so rounding never adds up along a character.
    const long long nHalfBitsX16 = 16LL * (2 * nBit + 1) + 1;
    return m_nEdgeNs + nHalfBitsX16 * g_nNsPerSecond / (32LL * m_nFrameBaud);
}

long long CUartReceiver::PendingUntilNs() const {
    return m_state == State::Frame ? SampleNs(g_nStopBit) : -1;
}

void CUartReceiver::Sample(bool bHigh, long long nAtNs) {
    if (m_nBit == 0) {
        if (bHigh) {
            m_state = State::Hunt;  // too short for a start bit: a glitch
            return;
        }
    } else if (m_nBit < g_nStopBit) {
        if (bHigh) {
            m_nShift |= 1U << (m_nBit - 1);
            m_bAnyHigh = true;
        }
    } else {
        UartCharKind kind = UartCharKind::Good;
        if (!bHigh) {
            kind = m_bAnyHigh ? UartCharKind::FramingError : UartCharKind::Break;
        }
        m_vecChars.push_back({static_cast<unsigned char>(m_nShift), kind, nAtNs});
        m_state = bHigh ? State::Hunt : State::WaitIdle;
        return;
    }
    ++m_nBit;
}

void CUartReceiver::Hold(bool bHigh, long long nUntilNs) {
    if (nUntilNs <= m_nKnownNs) {
        return;
    }
    // In Hunt the line is high (every way into Hunt passes a high sample or a high piece),
    // so a low piece begins with a falling edge.
    if (m_state == State::Hunt && !bHigh) {
        m_state = State::Frame;
        m_nEdgeNs = m_nKnownNs;
        m_nFrameBaud = m_nBaud;
        m_nBit = 0;
        m_nShift = 0;
        m_bAnyHigh = false;
    } else if (m_state == State::WaitIdle && bHigh) {
        m_state = State::Hunt;
    }
    while (m_state == State::Frame) {
        const long long nAtNs = SampleNs(m_nBit);
        if (nAtNs >= nUntilNs) {
            break;
        }
        Sample(bHigh, nAtNs);
    }
    m_nKnownNs = nUntilNs;
}

std::vector<UartChar> CUartReceiver::Take() {
    std::vector<UartChar> vecChars;
    vecChars.swap(m_vecChars);
    return vecChars;
}

std::vector<unsigned char> DeliverAsLinux(const std::vector<UartChar>& vecChars,
                                          const LineInputFlags& flags) {
    std::vector<unsigned char> vecBytes;
    for (const UartChar& character : vecChars) {
        switch (character.kind) {
            case UartCharKind::Good:
                vecBytes.push_back(character.nByte);
                break;
            case UartCharKind::FramingError:
                if (!flags.bInpck) {
                    vecBytes.push_back(character.nByte);
                } else if (!flags.bIgnpar) {
                    vecBytes.push_back(0);
                }
                break;
            case UartCharKind::Break:
                if (!flags.bIgnbrk && !flags.bBrkint) {
                    vecBytes.push_back(0);
                }
                break;
        }
    }
    return vecBytes;
}
