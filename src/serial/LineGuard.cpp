#include "serial/LineGuard.h"

#include <cstdlib>

#include "serial/Port.h"
#include "touch/BitString.h"

// Why a guard. The packet format has no checksum: any lead byte followed by two data bytes
// frames "whole". Random bytes on the line (a loose connector, a cable picking up a motor, a
// device that is no touch screen) and a controller read at the wrong baud rate (every bit
// sampled at the wrong time) both frame plenty of packets, and without a guard each one
// that carries the touch flag presses the left button somewhere on the screen.
//
// What a real controller's stream looks like instead: every packet whole, no data bytes
// between packets, no lead byte cutting a packet short, no NUL bytes from framing errors,
// the packets of one touch close together (a finger does not cross the screen in one
// packet period), and a pause before each touch (a controller sends only while touched).
// A single stray byte breaks that now and then; noise and a wrong rate break it all the
// time. So the guard counts anomalies (data bytes dropped between packets, packets cut
// short, both data bytes NUL) before each whole packet, calls a whole packet with any of
// them before it dirty, and decides:
//
//   state    packet                                   verdict
//   -------  ---------------------------------------  -----------------------------------
//   Trusted  clean                                    acts at once (no delay, ever)
//   Trusted  clean touch-down within the window of    acts only if close to the packet
//            a dirty one                              framed before it (the same touch)
//   Trusted  dirty, touch held                        acts if within JUMP_BOUND_RAW of the
//                                                     last packet that acted, else dropped
//   Trusted  dirty, no touch held, benign anomaly     acts
//   Trusted  dirty, no touch held, other anomaly      dropped (the touch presses with its
//                                                     next packet)
//   Trusted  dirty within SUSPECT_WINDOW_MS of the    -> Suspect: dropped; a held button is
//            last dirty one (or a storm: more than    released at the last good position;
//            STORM_ANOMALIES with no whole packet)    told once per episode
//   Suspect  dirty                                    dropped, the run starts over
//   Suspect  clean, TRUST_RUN-th touch packet in a    -> Trusted: acts
//            row, each close to the one before, the
//            first after RUN_GAP_MS of quiet
//   Suspect  clean, shorter run                       dropped
//   Trusted  cut short with the touch flag clear,     released at the last good position
//            touch held
//
// Which anomaly is benign follows from what one stray byte does to the framing:
//
//   stray byte                       framer sees               the next whole packet
//   data, between packets            one byte dropped          genuine
//   data, inside a packet            a wrong low byte, then    genuine (the wrong one acted
//                                    one byte dropped          already: at most 127 units off)
//   lead, between packets (silence)  cut after 1 byte          genuine (the stray was first)
//   lead, right after a lead byte    cut after 1 byte          false: the stray's touch flag
//                                                              and high bits, real low bits
//   lead, after 2 bytes              cut after 2, cut again    genuine
//
// A cut after one byte cannot tell which lead byte was the stray, so the packet after it
// acts only where it continues a held touch closely. With no touch held, "benign" is one cut
// after two bytes on a port just opened (into the middle of a packet) or right after a lift
// whose last byte was lost; any other touch-down after an anomaly waits for its next packet,
// which must lie close to it. A tap of the usual six packets loses nothing but 10 ms.
//
// The arithmetic for random bytes (each byte a lead byte with p = 1/2). A lead byte frames
// whole when its next two bytes are data bytes (1/4), and a whole packet is clean only when
// the byte right after the previous packet was its lead byte too (1/2), so 1 packet in 8 is
// clean and 7 in 8 dirty. At 960 bytes/s about 40 packets a second frame whole, so the line
// turns suspect at its second dirty packet, within a tenth of a second. Leaving it needs a
// clean touch packet after 30 ms of quiet (random bytes at 960/s leave none) and three more
// clean ones, each within 96 raw units on both axes of the one before (p = (193/1024)^2 =
// 1/28 per packet, and 1/2 for the touch flag): about 1/8 * (1/8 * 1/28 * 1/2)^3 = 1.4e-9
// per packet even without the quiet. A controller read at the wrong rate samples bits at
// a quarter or four times their length: most frames fail the top bits or have a framing
// error (NUL); at half the rate a resting finger can repeat one clean false packet, which is
// why a run must start after a pause and a packet with a NUL data byte never extends one.
//
// What is left is the onset. Until the line turns suspect, noise looks like the genuine
// stream it replaces: its first packet frames clean one time in eight and carries the touch
// flag one time in two, and a clean touch-down after silence must act at once. So a burst
// of noise presses (and then, turning suspect, releases) at its onset about 1 time in 13
// (measured: 76 in 1000 onsets after a tap, 85 in 1000 ports opened into noise); never after.
//
// Costs on a genuine stream: none while it is clean. After a stray lead byte in silence the
// next touch presses one packet later. A tap after the noise ends waits for TRUST_RUN
// packets (40 ms at 100 packets/s); a finger that rests through the end of the noise acts
// once it is lifted and put down again.

namespace {

std::string Released(std::string strPacket) {
    if (strPacket.size() > 1) {
        strPacket[1] = '0';
    }
    return strPacket;
}

// Both data bytes NUL: a real point can have them (x and y multiples of 128, one point in
// 16,384), but framing errors make them all the time.
bool BothDataBytesNul(const std::string& strPacket) {
    return strPacket.size() == 24 && strPacket.find('1', 8) == std::string::npos;
}

bool HasNulDataByte(const std::string& strPacket) {
    return strPacket.size() == 24 &&
           (strPacket.compare(8, 8, "00000000") == 0 || strPacket.compare(16, 8, "00000000") == 0);
}

}  // namespace

void CLineGuard::DecodeRaw(const std::string& strPacket, int& nRawX, int& nRawY) {
    const auto slice = [&](std::size_t nPos, std::size_t nCount) {
        return nPos < strPacket.size() ? strPacket.substr(nPos, nCount) : std::string();
    };
    nRawX = BitsToInt(slice(2, 3) + slice(9, 7));
    nRawY = BitsToInt(slice(5, 3) + slice(17, 7));
}

bool CLineGuard::Close(const std::string& strA, const std::string& strB) {
    int nAx = 0;
    int nAy = 0;
    int nBx = 0;
    int nBy = 0;
    DecodeRaw(strA, nAx, nAy);
    DecodeRaw(strB, nBx, nBy);
    return std::abs(nAx - nBx) <= JUMP_BOUND_RAW && std::abs(nAy - nBy) <= JUMP_BOUND_RAW;
}

void CLineGuard::StartOn(const CPort& port, bool bTrusted) {
    Reset(bTrusted);
    m_nPortDropped = port.DroppedCount();
}

CLineGuard::Verdict CLineGuard::OnPortRead(const CPort& port, PacketStatus status,
                                           const std::string& strPacket, std::uint64_t nNowMs) {
    Read read;
    read.framed = status == PacketStatus::Whole      ? Framed::Whole
                  : status == PacketStatus::CutShort ? Framed::CutShort
                                                     : Framed::CutShortRelease;
    read.strPacket = strPacket;
    read.nDroppedBytes = static_cast<unsigned>(port.DroppedCount() - m_nPortDropped);
    m_nPortDropped = port.DroppedCount();
    read.nCutAt = port.LastCutAt();
    read.nNowMs = nNowMs;
    return OnRead(read);
}

CLineGuard::Verdict CLineGuard::OnRead(const Read& read) {
    if (!m_bReadSeen || read.nNowMs < m_nLastReadMs || read.nNowMs - m_nLastReadMs >= RUN_GAP_MS) {
        // What came before the pause has been judged: the packet after it is dirty only by
        // what comes with it.
        m_bQuietBefore = true;
        m_nStrays = 0;
        m_nCuts = 0;
        m_bCutAtLead = false;
    }
    m_bReadSeen = true;
    m_nLastReadMs = read.nNowMs;
    m_nStrays += read.nDroppedBytes;
    if (read.framed == Framed::Whole) {
        return OnWhole(read);
    }
    ++m_nCuts;
    m_bCutAtLead = m_bCutAtLead || read.nCutAt == 1;
    m_nCleanStreak = 0;
    Verdict verdict;
    // A lift whose last bytes were lost must still let go, or the button stays down until
    // the next touch. Its position is lost with them: the last good one stands in.
    if (read.framed == Framed::CutShortRelease && m_state == State::Trusted && m_bTouchHeld) {
        verdict.strRelease = Released(m_strLastGood);
        m_strLastGood = verdict.strRelease;
        m_bTouchHeld = false;
        m_bLiftCut = true;
    }
    // One stray byte cuts at most two packets and drops at most two bytes before the next
    // whole one; more is a storm that frames nothing whole, and counts as dirty by itself.
    if (m_nCuts + m_nStrays > STORM_ANOMALIES) {
        const Verdict storm = NoteDirty(read.nNowMs);
        verdict.bNoiseBegan = storm.bNoiseBegan;
        if (verdict.strRelease.empty()) {
            verdict.strRelease = storm.strRelease;
        }
    }
    return verdict;
}

CLineGuard::Verdict CLineGuard::OnWhole(const Read& read) {
    const bool bNul = BothDataBytesNul(read.strPacket);
    const bool bDirty = m_nStrays > 0 || m_nCuts > 0 || bNul;
    const bool bTailOnly = m_nCuts <= 1 && !bNul;
    const bool bOneLateCut = m_nCuts == 1 && m_nStrays == 0 && !m_bCutAtLead;
    const bool bBenign = !bNul && bOneLateCut && (!m_bWholeSeen || m_bLiftCut);
    m_nStrays = 0;
    m_nCuts = 0;
    m_bCutAtLead = false;
    m_bLiftCut = false;
    m_bWholeSeen = true;
    const std::string strLastWhole = std::move(m_strLastWhole);
    m_strLastWhole = read.strPacket;
    if (bDirty) {
        // The packet after a pause may be cut by the tail the noise left in the framer: the
        // touch starting there still counts as starting after the pause.
        m_bQuietBefore = m_bQuietBefore && bTailOnly;
        return OnDirty(read, bBenign);
    }

    if (++m_nCleanStreak >= EPISODE_END_RUN) {
        m_bTold = false;
    }
    if (m_state == State::Trusted) {
        // Soon after an anomaly, a touch begins only as the continuation of the touch packet
        // framed before it (which the anomaly kept from acting): noise frames a clean packet
        // one time in eight, and it would press wherever it points.
        const bool bWary = Repeated(read.nNowMs) && !m_bTouchHeld && IsTouch(read.strPacket);
        if (bWary && !(IsTouch(strLastWhole) && Close(strLastWhole, read.strPacket))) {
            return {};
        }
        return Act(read.strPacket);
    }
    // A run is one touch: each packet follows a touch packet closely (a release ends it).
    // A packet with a NUL data byte is no proof here: a controller read at the wrong rate
    // repeats the same packet with a framing error in it for as long as the finger rests.
    if (HasNulDataByte(read.strPacket)) {
        m_nRun = 0;
        return {};
    }
    // A run starts only where a touch starts: with the first clean packet after a quiet line
    // (dirty ones before it are what the noise left in the framer). A controller read at the
    // wrong rate can frame clean packets in a row out of a resting finger, but not from the
    // start of the touch.
    const bool bGoesOn = m_nRun > 0 && IsTouch(m_strRunLast) && Close(m_strRunLast, read.strPacket);
    const bool bStarts = m_bTrial || m_bQuietBefore;
    m_bQuietBefore = false;
    m_nRun = bGoesOn ? m_nRun + 1 : (bStarts ? 1 : 0);
    m_strRunLast = read.strPacket;
    if (m_nRun < TRUST_RUN) {
        return {};
    }
    m_state = State::Trusted;
    return Act(read.strPacket);
}

CLineGuard::Verdict CLineGuard::OnDirty(const Read& read, bool bBenign) {
    const bool bAlone = m_state == State::Trusted && !Repeated(read.nNowMs);
    if (!bAlone) {
        return NoteDirty(read.nNowMs);
    }
    NoteDirty(read.nNowMs);
    // One anomaly: the packet acts only where a genuine one could be.
    const bool bPlausible = m_bTouchHeld ? Close(m_strLastGood, read.strPacket) : bBenign;
    return bPlausible ? Act(read.strPacket) : Verdict{};
}

bool CLineGuard::Repeated(std::uint64_t nNowMs) const {
    return m_bDirtySeen && nNowMs >= m_nLastDirtyMs && nNowMs - m_nLastDirtyMs <= SUSPECT_WINDOW_MS;
}

// A dirty packet, or a storm: a second one within the window makes the line suspect.
CLineGuard::Verdict CLineGuard::NoteDirty(std::uint64_t nNowMs) {
    m_nCleanStreak = 0;
    m_nRun = 0;
    const bool bRepeated = Repeated(nNowMs);
    m_bDirtySeen = true;
    m_nLastDirtyMs = nNowMs;
    if (m_state == State::Trusted && bRepeated) {
        return TurnSuspect();
    }
    return {};
}

CLineGuard::Verdict CLineGuard::Act(const std::string& strPacket) {
    m_strLastGood = strPacket;
    m_bTouchHeld = IsTouch(strPacket);
    Verdict verdict;
    verdict.bAct = true;
    return verdict;
}

CLineGuard::Verdict CLineGuard::TurnSuspect() {
    m_state = State::Suspect;
    Verdict verdict;
    if (m_bTouchHeld) {
        verdict.strRelease = Released(m_strLastGood);
        m_strLastGood = verdict.strRelease;
        m_bTouchHeld = false;
    }
    if (!m_bTold) {
        verdict.bNoiseBegan = true;
        m_bTold = true;
    }
    return verdict;
}
