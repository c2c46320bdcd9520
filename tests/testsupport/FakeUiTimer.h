#pragma once

#include <vector>

#include "app/UiTimer.h"

// A single-shot timer that runs out only when the test says so: Expired() disarms it and
// tells the caller to deliver the expiry. Every arming is recorded with its delay.
class CFakeUiTimer final : public IUiTimer {
public:
    void Start(int nDelayMs) override {
        m_bActive = true;
        m_vecStarts.push_back(nDelayMs);
    }
    void Stop() override { m_bActive = false; }
    bool IsActive() const override { return m_bActive; }

    // True when the timer was armed: it is now expired, and the owner's handler must run.
    bool Expire() {
        const bool bWasActive = m_bActive;
        m_bActive = false;
        return bWasActive;
    }
    const std::vector<int>& Starts() const { return m_vecStarts; }

private:
    bool m_bActive = false;
    std::vector<int> m_vecStarts;
};
