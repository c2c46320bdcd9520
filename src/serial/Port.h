#pragma once

#include <memory>
#include <string>

#include "serial/PortException.h"
#include "serial/SerialLine.h"

class ITraceSink;

// What one ReadPacket call found.
enum class PacketStatus {
    Whole,     // three bytes framed: the text is a real packet
    CutShort,  // a lead byte arrived inside a packet; the text must not be used as a touch
    // A release whose data bytes were lost to an early lead byte: the text is the last whole
    // packet with its touch flag cleared, a release at the last good position.
    CutShortRelease,
    DeviceGone,  // the line failed or went away; the caller pauses or reconnects
    Stopped,     // the reader is being stopped
};

// One serial port of a touch controller: opening it with the device's line settings, and
// framing its byte stream into three-byte touch packets.
//
// Opening and closing run on the user-interface thread; ReadPacket runs on the one reader
// thread; Wake may be called from any thread to end a blocked ReadPacket.
class CPort {
public:
    // The line does the system calls; the sink receives the framing trace.
    explicit CPort(std::unique_ptr<ISerialLine> pLine, ITraceSink* pTrace = nullptr);
    ~CPort();
    CPort(const CPort&) = delete;
    CPort& operator=(const CPort&) = delete;

    // Opens COM<nPort> read-only and exclusively. A rate outside the accepted list becomes
    // 57600; byte size outside 5..8 becomes 8, parity outside 0..4 none, stop bits outside
    // 0..2 one. Returns 0; throws CPortException and stays closed on failure.
    int Open(int nPort, unsigned nBaudRate, int nByteSize, int nParity, int nStopBits);
    bool SetTimeouts(unsigned nReadIntervalMs, unsigned nReadTotalMultiplierMs,
                     unsigned nReadTotalConstantMs, unsigned nWriteTotalMultiplierMs,
                     unsigned nWriteTotalConstantMs);
    bool IsOpen() const;
    int Close();

    // Frames the next packet into strPacket (see Port.cpp for the rules).
    PacketStatus ReadPacket(std::string& strPacket);

    // Any thread: ends a blocked or later ReadPacket with Stopped until ClearWake().
    void Wake();
    void ClearWake();
    // Reader thread: pauses up to nTimeoutMs, returning early (true) when woken.
    bool WaitForWake(int nTimeoutMs);

    // Why COM<nPort> failed, in the system's words (see ISerialLine::DescribeFailure).
    PortFailureText DescribeFailure(int nPort, const CPortException& error) const {
        return m_pLine->DescribeFailure(nPort, error.Error(), error.Message());
    }

    // The rate Open uses for a requested rate.
    static unsigned AcceptedBaudRate(unsigned nBaudRate);

    // The lead byte that cut the last packet short, if any; it starts the next packet. The
    // framing state is kept across calls (and across opening and closing) on purpose.
    const std::string& Pending() const { return m_strPending; }

    // What the framing rules threw away, counted since the object was made, for judging
    // whether the line carries a touch screen's stream at all (CLineGuard): data bytes
    // dropped between packets, and NUL bytes read anywhere (a UART gives NUL for a framing
    // error, which a wrong baud rate makes all the time).
    unsigned long long DroppedCount() const { return m_nDropped; }
    unsigned long long NulCount() const { return m_nNul; }
    // How many bytes of the packet were framed when the lead byte that cut it came (1 or 2);
    // 0 before the first cut.
    int LastCutAt() const { return m_nLastCutAt; }

private:
    std::unique_ptr<ISerialLine> m_pLine;
    ITraceSink* m_pTrace;
    std::string m_strByte0;
    std::string m_strByte1;
    std::string m_strByte2;
    std::string m_strPending;
    std::string m_strLastWhole;  // the position a cut-short release is made at
    unsigned long long m_nDropped = 0;
    unsigned long long m_nNul = 0;
    int m_nLastCutAt = 0;
};
