#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "calibration/CalTouchSource.h"

// A touch source for the calibration capture that plays a script, one step per read: "hold
// the finger at (x, y) for n polls", "lift for n polls". Scripting by poll rather than by time
// makes a threaded capture deterministic however the polls are spread out. After the script
// the finger stays where the last step left it (lifted when the script is empty).
class CScriptedCalTouch final : public ICalTouchSource {
public:
    CScriptedCalTouch& Hold(int nRawX, int nRawY, int nPolls) {
        return Add({true, nRawX, nRawY}, nPolls);
    }
    CScriptedCalTouch& Lift(int nPolls) {
        return Add({false, CAL_RELEASED_RAW, CAL_RELEASED_RAW}, nPolls);
    }
    // Holds for 30 polls (one capture) and lifts for one poll: one target done.
    CScriptedCalTouch& Tap(int nRawX, int nRawY) { return Hold(nRawX, nRawY, 30).Lift(1); }

    CalTouchSample ReadTouch() const override {
        std::lock_guard lock(m_mutex);
        ++m_nReads;
        if (m_nNext < m_vecSteps.size()) {
            m_last = m_vecSteps[m_nNext++];
        }
        return m_last;
    }

    std::size_t Reads() const {
        std::lock_guard lock(m_mutex);
        return m_nReads;
    }
    bool Exhausted() const {
        std::lock_guard lock(m_mutex);
        return m_nNext >= m_vecSteps.size();
    }

private:
    CScriptedCalTouch& Add(CalTouchSample sample, int nPolls) {
        std::lock_guard lock(m_mutex);
        m_vecSteps.insert(m_vecSteps.end(), static_cast<std::size_t>(nPolls), sample);
        return *this;
    }

    mutable std::mutex m_mutex;
    std::vector<CalTouchSample> m_vecSteps;
    mutable std::size_t m_nNext = 0;
    mutable std::size_t m_nReads = 0;
    mutable CalTouchSample m_last;
};
