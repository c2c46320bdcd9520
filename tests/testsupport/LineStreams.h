#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TouchPackets.h"
#include "UartReceiver.h"
#include "serial/LineGuard.h"
#include "serial/Port.h"
#include "serial/SerialLine.h"

// Byte streams as a line carries them, with the time each byte is complete, and what the
// driver's framer and line guard make of them.

struct TimedByte {
    double dTimeMs;  // when the byte's stop bit ends
    unsigned char nByte;
};

// A touch controller dragging a finger: nPackets touch packets, one every dPeriodMs, moving
// nStepRaw raw units per packet from (nX, nY), then one release; bytes back to back at nBaud
// (10 bits a byte), packets as often as the rate allows.
inline std::vector<TimedByte> ControllerDrag(unsigned nBaud, int nPackets, int nX, int nY,
                                             int nStepRaw = 3, double dStartMs = 0.0,
                                             double dPeriodMs = 10.0) {
    const double dByteMs = 10000.0 / nBaud;
    dPeriodMs = std::max(dPeriodMs, 3 * dByteMs + 1.0);  // a slow line sends fewer packets
    std::vector<TimedByte> vecBytes;
    for (int i = 0; i <= nPackets; ++i) {
        const bool bTouch = i < nPackets;
        const int nStep = std::min(i, nPackets - 1) * nStepRaw;
        const auto vecPacket = TouchPacketBytes(bTouch, nX + nStep, nY + nStep);
        for (std::size_t k = 0; k < vecPacket.size(); ++k) {
            vecBytes.push_back({dStartMs + i * dPeriodMs + (k + 1) * dByteMs, vecPacket[k]});
        }
    }
    return vecBytes;
}

// Random bytes from a seeded generator, evenly spaced at nBytesPerSecond.
inline std::vector<TimedByte> RandomBytes(unsigned nSeed, unsigned nBytesPerSecond, double dSeconds,
                                          double dStartMs = 0.0) {
    std::mt19937 generator(nSeed);
    std::uniform_int_distribution<int> byteOf(0, 255);
    std::vector<TimedByte> vecBytes;
    const auto nCount = static_cast<std::size_t>(nBytesPerSecond * dSeconds);
    for (std::size_t i = 0; i < nCount; ++i) {
        vecBytes.push_back({dStartMs + (i + 1) * 1000.0 / nBytesPerSecond,
                            static_cast<unsigned char>(byteOf(generator))});
    }
    return vecBytes;
}

// What a receiver at nReadBaud reads from bytes sent back to back at nSentBaud: the
// simulator's UART model, delivered the way Linux delivers it with the driver's line settings
// (INPCK, PARMRK, IGNBRK and BRKINT clear: a framing error passes the byte as sampled, a
// break is a NUL).
inline std::vector<TimedByte> UartReceive(const std::vector<TimedByte>& vecSent, unsigned nSentBaud,
                                          unsigned nReadBaud) {
    const double dBitNs = 1e9 / nSentBaud;
    CUartReceiver receiver(static_cast<int>(nReadBaud));
    long long nEndNs = 0;
    for (const TimedByte& sent : vecSent) {
        const double dStartNs = sent.dTimeMs * 1e6 - 10 * dBitNs;
        receiver.Hold(true, std::llround(dStartNs));
        const unsigned nFrame = (1u << 9) | (unsigned(sent.nByte) << 1);  // start 0, stop 1
        for (int nBit = 0; nBit < 10; ++nBit) {
            nEndNs = std::llround(dStartNs + (nBit + 1) * dBitNs);
            receiver.Hold(((nFrame >> nBit) & 1u) != 0, nEndNs);
        }
    }
    receiver.Hold(true, nEndNs + 20 * 1000000000LL / nReadBaud);  // the last character ends
    std::vector<TimedByte> vecRead;
    for (const UartChar& received : receiver.Take()) {
        for (const unsigned char nByte : DeliverAsLinux({received}, LineInputFlags{})) {
            vecRead.push_back({received.nAtNs / 1e6, nByte});
        }
    }
    return vecRead;
}

// A serial line that hands out a recorded stream, then reports the line gone. The time of
// the last byte read is what the guard is told. Given a stream per baud rate, each setting
// of the rate starts that rate's stream, later in time than all read before.
class CRecordedLine final : public ISerialLine {
public:
    using StreamAt = std::function<std::vector<TimedByte>(unsigned nBaudRate)>;

    explicit CRecordedLine(std::vector<TimedByte> vecBytes) : m_vecBytes(std::move(vecBytes)) {}
    explicit CRecordedLine(StreamAt streamAt, int nOpenError = 0)
        : m_streamAt(std::move(streamAt)), m_nOpenError(nOpenError) {}
    double LastTimeMs() const { return m_dLastMs; }
    const std::vector<unsigned>& RatesSet() const { return m_vecRates; }

    int OpenPort(int) override { return m_nOpenError; }
    int ReadSettings() override { return 0; }
    int WriteSettings(const LineSettings& settings) override {
        m_vecRates.push_back(settings.nBaudRate);
        if (m_streamAt) {
            m_vecBytes = m_streamAt(settings.nBaudRate);
            m_nNext = 0;
            m_dOffsetMs = m_dLastMs + 1.0;
        }
        return 0;
    }
    bool SetTimeouts(const CommTimeouts&) override { return true; }
    void ClosePort() override {}
    bool IsOpen() const override { return true; }
    ReadStatus ReadByte(unsigned char& nByte) override {
        if (m_nNext == m_vecBytes.size()) {
            return ReadStatus::Gone;
        }
        m_dLastMs = m_dOffsetMs + m_vecBytes[m_nNext].dTimeMs;
        nByte = m_vecBytes[m_nNext++].nByte;
        return ReadStatus::Byte;
    }
    bool WaitForWake(int) override { return false; }
    void Wake() override {}
    void ClearWake() override {}
    PortFailureText DescribeFailure(int nPort, int nError, const std::string&) const override {
        return {"COM" + std::to_string(nPort) + ": error " + std::to_string(nError), {}};
    }

private:
    std::vector<TimedByte> m_vecBytes;
    StreamAt m_streamAt;
    int m_nOpenError = 0;
    std::vector<unsigned> m_vecRates;
    std::size_t m_nNext = 0;
    double m_dOffsetMs = 0.0;
    double m_dLastMs = 0.0;
};

// What acted of a stream: the packets handed on, the presses (a touch after no touch) and
// clicks (a press let go of), and how often the user would have been told.
struct GuardedRun {
    std::vector<std::string> vecActed;
    double dLastActMs = -1.0;  // when the last packet acted
    int nPresses = 0;
    int nClicks = 0;
    int nNotices = 0;
    CLineGuard::State endState = CLineGuard::State::Trusted;
};

// Frames vecBytes as the reader thread does and judges every read with one guard.
inline GuardedRun RunGuarded(const std::vector<TimedByte>& vecBytes, bool bTrusted = true) {
    auto pLine = std::make_unique<CRecordedLine>(vecBytes);
    CRecordedLine& line = *pLine;
    CPort port(std::move(pLine));
    CLineGuard guard;
    guard.StartOn(port, bTrusted);
    GuardedRun run;
    bool bHeld = false;
    const auto hand = [&](const std::string& strPacket) {
        run.vecActed.push_back(strPacket);
        run.dLastActMs = line.LastTimeMs();
        const bool bTouch = CLineGuard::IsTouch(strPacket);
        run.nPresses += bTouch && !bHeld;
        run.nClicks += !bTouch && bHeld;
        bHeld = bTouch;
    };
    std::string strPacket;
    for (;;) {
        const PacketStatus status = port.ReadPacket(strPacket);
        if (status == PacketStatus::DeviceGone || status == PacketStatus::Stopped) {
            break;
        }
        const auto verdict = guard.OnPortRead(port, status, strPacket,
                                              static_cast<std::uint64_t>(line.LastTimeMs()));
        if (!verdict.strRelease.empty()) {
            hand(verdict.strRelease);
        }
        if (verdict.bAct) {
            hand(strPacket);
        }
        run.nNotices += verdict.bNoiseBegan;
    }
    run.endState = guard.GetState();
    return run;
}

// Streams one after the other, in time order.
inline std::vector<TimedByte> Joined(std::vector<TimedByte> vecA,
                                     const std::vector<TimedByte>& vecB) {
    vecA.insert(vecA.end(), vecB.begin(), vecB.end());
    return vecA;
}
