#pragma once

#include <cstdint>
#include <string>

class CPort;
enum class PacketStatus;

// Decides, packet by packet, whether what the framer made of the line may act as a touch
// (see LineGuard.cpp for the rules and the arithmetic behind them). Fed by the reader thread
// with every ReadPacket result and what the framer threw away before it; the time is passed
// in, so the same input always gives the same answer.
//
// One thread only (the reader's, or the baud-rate detector's).
class CLineGuard {
public:
    // What one ReadPacket call gave, as the guard needs it.
    enum class Framed {
        Whole,            // three bytes framed
        CutShort,         // a lead byte cut the packet short; its text is no position
        CutShortRelease,  // the same with the touch flag clear: a lift whose bytes were lost
    };
    struct Read {
        Framed framed = Framed::Whole;
        std::string strPacket;       // 24 characters '0'/'1' for Whole
        unsigned nDroppedBytes = 0;  // data bytes dropped between packets before this read
        int nCutAt = 0;              // bytes of the packet framed when the lead cut it (1, 2)
        std::uint64_t nNowMs = 0;    // any steady clock, in milliseconds
    };
    // What to hand on, in this order.
    struct Verdict {
        // Not empty: a release at the last good position, to let go of a held button.
        std::string strRelease;
        bool bAct = false;         // hand the packet on
        bool bNoiseBegan = false;  // the line just turned suspect, first time this episode
    };
    enum class State {
        Trusted,  // packets act; one anomaly is forgiven when the packet after it is plausible
        Suspect,  // nothing acts until a run of clean, plausible packets has flowed
    };

    // Two anomalies within this time make the line suspect.
    static constexpr std::uint64_t SUSPECT_WINDOW_MS = 1000;
    // Clean packets in a row, each close to the one before, that end a suspect spell.
    static constexpr int TRUST_RUN = 4;
    // Clean packets in a row after which a new suspect spell is told again.
    static constexpr int EPISODE_END_RUN = 16;
    // A run of clean packets starts only after this much quiet on the line (a new touch).
    static constexpr std::uint64_t RUN_GAP_MS = 30;
    // Anomalies between two whole packets beyond which the line is in a storm (one stray
    // byte makes two at most).
    static constexpr unsigned STORM_ANOMALIES = 3;
    // The farthest two packets of one touch lie apart on either axis, in raw units (of 1024).
    static constexpr int JUMP_BOUND_RAW = 96;

    // bTrusted: a fresh connection of the program (packets act at once); false for a line on
    // trial, which must first frame a run of clean packets (the baud-rate detector).
    explicit CLineGuard(bool bTrusted = true)
        : m_state(bTrusted ? State::Trusted : State::Suspect), m_bTrial(!bTrusted) {}
    void Reset(bool bTrusted) { *this = CLineGuard(bTrusted); }

    Verdict OnRead(const Read& read);

    // The same fed from a port: starts judging its reads from now on (what the port dropped
    // before is not counted), and judges one ReadPacket result (Whole, CutShort or
    // CutShortRelease) with what the port dropped since the last one.
    void StartOn(const CPort& port, bool bTrusted);
    Verdict OnPortRead(const CPort& port, PacketStatus status, const std::string& strPacket,
                       std::uint64_t nNowMs);

    State GetState() const { return m_state; }
    // Whether a touch is held: the last packet that acted had its touch flag set.
    bool TouchHeld() const { return m_bTouchHeld; }

    // Raw x and y of a packet text (no swap), and whether two packets lie within the bound.
    static void DecodeRaw(const std::string& strPacket, int& nRawX, int& nRawY);
    static bool Close(const std::string& strA, const std::string& strB);
    static bool IsTouch(const std::string& strPacket) {
        return strPacket.size() > 1 && strPacket[1] == '1';
    }

private:
    Verdict OnWhole(const Read& read);
    Verdict OnDirty(const Read& read, bool bBenign);
    Verdict Act(const std::string& strPacket);
    Verdict TurnSuspect();
    Verdict NoteDirty(std::uint64_t nNowMs);
    bool Repeated(std::uint64_t nNowMs) const;

    State m_state = State::Trusted;
    bool m_bTrial = false;  // started suspect: a run may start anywhere
    // The last read, and whether the line was quiet before the current one.
    bool m_bReadSeen = false;
    std::uint64_t m_nLastReadMs = 0;
    bool m_bQuietBefore = false;  // no clean packet since the line was last quiet
    bool m_bTouchHeld = false;
    std::string m_strLastGood;   // the last packet that acted
    std::string m_strLastWhole;  // the last whole packet framed, acted or not
    bool m_bWholeSeen = false;   // a whole packet was framed on this connection
    // Anomalies since the last whole packet.
    unsigned m_nStrays = 0;
    unsigned m_nCuts = 0;
    bool m_bCutAtLead = false;  // one of them came right after a lead byte
    bool m_bLiftCut = false;    // one of them was a lift that let go of a held touch
    // The last dirty whole packet (one with anomalies before it).
    bool m_bDirtySeen = false;
    std::uint64_t m_nLastDirtyMs = 0;
    // The run of clean packets that ends a suspect spell, and the one that ends an episode.
    int m_nRun = 0;
    std::string m_strRunLast;
    int m_nCleanStreak = 0;
    bool m_bTold = false;                   // this episode was told
    unsigned long long m_nPortDropped = 0;  // the port's count at the last read
};
