#pragma once

#include <atomic>
#include <chrono>

// A clock that only moves when the test steps it. Safe to read from any thread, so a thread
// under test can take its time from it while the test advances it.
class CSteppableClock {
public:
    explicit CSteppableClock(std::chrono::milliseconds start = std::chrono::milliseconds{1000})
        : m_nNowMs(start.count()) {}
    std::chrono::milliseconds Now() const { return std::chrono::milliseconds{m_nNowMs.load()}; }
    void Advance(std::chrono::milliseconds step) { m_nNowMs += step.count(); }

private:
    std::atomic<long long> m_nNowMs;
};
