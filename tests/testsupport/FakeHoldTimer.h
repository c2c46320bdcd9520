#pragma once

#include <cstdint>
#include <optional>

#include "touch/HoldTimer.h"

// A hold timer that runs out only when the test says so (Expire), so the order of a kill and
// an expiry can be chosen freely.
class CFakeHoldTimer final : public IHoldTimer {
public:
    struct Armed {
        unsigned nId;
        unsigned nElapseMs;
        std::uint64_t nTouch;
    };

    unsigned SetTimer(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) override {
        m_armed = Armed{nId, nElapseMs, nTouch};
        m_lastArmed = m_armed;
        ++m_nArmCount;
        return m_nFailArming ? 0 : nId;
    }
    void KillTimer(unsigned nId) override {
        if (m_armed && m_armed->nId == nId) {
            m_armed.reset();
        }
        ++m_nKillCount;
    }

    bool Running() const { return m_armed.has_value(); }
    // The timer as last armed, even after a kill: lets a test deliver a late expiry.
    const std::optional<Armed>& LastArmed() const { return m_lastArmed; }
    int ArmCount() const { return m_nArmCount; }
    int KillCount() const { return m_nKillCount; }
    void FailArming(bool bFail) { m_nFailArming = bFail; }

private:
    std::optional<Armed> m_armed;
    std::optional<Armed> m_lastArmed;
    int m_nArmCount = 0;
    int m_nKillCount = 0;
    bool m_nFailArming = false;
};
