#include "serial/Port.h"

#include <array>
#include <utility>

#include "app/TraceSink.h"
#include "touch/BitString.h"

namespace {

constexpr std::array<unsigned, 15> g_acceptedRates = {110,   300,   600,    1200,   2400,
                                                      4800,  9600,  14400,  19200,  38400,
                                                      56000, 57600, 115200, 128000, 256000};

const char* const g_szCutShortTrace =
    "******************************************************************************************"
    "\n";

}  // namespace

CPort::CPort(std::unique_ptr<ISerialLine> pLine, ITraceSink* pTrace)
    : m_pLine(std::move(pLine)), m_pTrace(pTrace ? pTrace : &CNullTraceSink::Instance()) {}

CPort::~CPort() {
    Close();
}

unsigned CPort::AcceptedBaudRate(unsigned nBaudRate) {
    for (unsigned nRate : g_acceptedRates) {
        if (nRate == nBaudRate) {
            return nRate;
        }
    }
    return 57600;
}

int CPort::Open(int nPort, unsigned nBaudRate, int nByteSize, int nParity, int nStopBits) {
    // Opening an open port is the caller's mistake; never leak the old descriptor for it.
    Close();

    if (const int nError = m_pLine->OpenPort(nPort); nError != 0) {
        throw CPortException("Can't open port.\n", nError);
    }
    if (const int nError = m_pLine->ReadSettings(); nError != 0) {
        m_pLine->ClosePort();
        throw CPortException("Error: No getcommstate\n", nError);
    }

    LineSettings settings;
    settings.nBaudRate = AcceptedBaudRate(nBaudRate);
    settings.nByteSize = (nByteSize >= 5 && nByteSize <= 8) ? nByteSize : 8;
    settings.nParity = (nParity >= 0 && nParity <= 4) ? nParity : 0;
    settings.nStopBits = (nStopBits >= 0 && nStopBits <= 2) ? nStopBits : 0;
    if (const int nError = m_pLine->WriteSettings(settings); nError != 0) {
        m_pLine->ClosePort();
        throw CPortException("Error: No setcommstate\n", nError);
    }
    return 0;
}

bool CPort::SetTimeouts(unsigned nReadIntervalMs, unsigned nReadTotalMultiplierMs,
                        unsigned nReadTotalConstantMs, unsigned nWriteTotalMultiplierMs,
                        unsigned nWriteTotalConstantMs) {
    return m_pLine->SetTimeouts({nReadIntervalMs, nReadTotalMultiplierMs, nReadTotalConstantMs,
                                 nWriteTotalMultiplierMs, nWriteTotalConstantMs});
}

bool CPort::IsOpen() const {
    return m_pLine->IsOpen();
}

int CPort::Close() {
    if (m_pLine->IsOpen()) {
        m_pLine->ClosePort();
    }
    return 0;
}

void CPort::Wake() {
    m_pLine->Wake();
}

void CPort::ClearWake() {
    m_pLine->ClearWake();
}

bool CPort::WaitForWake(int nTimeoutMs) {
    return m_pLine->WaitForWake(nTimeoutMs);
}

// Framing. A packet is a lead byte (top bit 1) and two data bytes (top bit 0); nothing else
// marks a boundary and there is no checksum, so the top bit is all we resynchronise on.
// n counts the bytes of the current packet; each byte read is classified by the first rule
// that matches:
//
//   n   top bit   action
//   0   1         lead byte -> slot 0, n = 1
//   1   0         data byte -> slot 1, n = 2
//   2   0         data byte -> slot 2, n = 3: Whole
//   >0  1         lead byte too early: keep it pending, trace 90 '*': CutShort
//   0   0         between packets: drop it
//
// A pending lead byte starts the next call with n = 1. The slots are not cleared between
// packets, so the text of a cut-short call mixes the new lead byte with stale data bytes:
// it must never be taken as a position. Its lead byte is genuine, though, and so is its
// touch flag, which decides what a cut-short packet becomes:
//
//   cut packet's touch flag   whole packet framed before   result
//   1 (touch)                 any                          CutShort: dropped
//   0 (release)               yes                          CutShortRelease: the last whole
//                                                          packet, touch flag cleared
//   0 (release)               no                           CutShort: nothing to release
//
// Dropping a release would leave the left button down and turn the next touch into a drag
// from the old point; dropping a touch costs one pointer move.
// A read that fails is not retried here: a vanished USB adapter or closed pty fails every
// read at once, forever, and the caller decides how long to pause.
PacketStatus CPort::ReadPacket(std::string& strPacket) {
    int n = 0;
    PacketStatus status = PacketStatus::Whole;
    while (n < 3) {
        unsigned char nByte = 0;
        const ReadStatus read = m_pLine->ReadByte(nByte);
        if (read == ReadStatus::Stopped) {
            return PacketStatus::Stopped;
        }
        if (read == ReadStatus::Failed || read == ReadStatus::Gone) {
            return PacketStatus::DeviceGone;
        }
        if (read == ReadStatus::NoByte) {
            nByte = 0;
        }
        if (nByte == 0) {
            ++m_nNul;
        }
        std::string strBits = ByteToBits(nByte);

        if (!m_strPending.empty()) {
            n = 1;
            m_strByte0 = std::move(m_strPending);
            m_strPending.clear();
        }

        const bool bLead = strBits[0] == '1';
        if (n == 0 && bLead) {
            m_strByte0 = std::move(strBits);
            n = 1;
        } else if (n == 1 && !bLead) {
            m_strByte1 = std::move(strBits);
            n = 2;
        } else if (n == 2 && !bLead) {
            m_strByte2 = std::move(strBits);
            n = 3;
        } else if (n > 0 && bLead) {
            m_nLastCutAt = n;
            m_strPending = std::move(strBits);
            m_pTrace->Trace(g_szCutShortTrace);
            status = PacketStatus::CutShort;
            break;
        } else {
            ++m_nDropped;  // n == 0 and a data byte: between packets, dropped
        }
    }
    strPacket = m_strByte0 + m_strByte1 + m_strByte2;
    if (status == PacketStatus::Whole) {
        m_strLastWhole = strPacket;
    } else if (m_strByte0[1] == '0' && !m_strLastWhole.empty()) {
        strPacket = m_strLastWhole;
        strPacket[1] = '0';
        status = PacketStatus::CutShortRelease;
    }
    return status;
}
