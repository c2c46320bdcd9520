#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include "touch/PointerOutput.h"

// The pointer output of a session no output reaches (Wayland without /dev/uinput access).
// It delivers nothing, but a touch that arrives (a button pressed) makes the user be told,
// so that a touch screen that does nothing is never a mystery. A double tap or a restless
// finger presses several times a second: within nQuietTime of one telling no other follows.
//
// Any thread; tell runs on the caller's thread and must hand the news on to its own.
class CNoticePointerOutput final : public IPointerOutput {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit CNoticePointerOutput(std::function<void()> tell,
                                  Clock clock = std::chrono::steady_clock::now,
                                  std::chrono::seconds nQuietTime = std::chrono::seconds(10))
        : m_tell(std::move(tell)), m_clock(std::move(clock)), m_nQuietTime(nQuietTime) {}

    ScreenSize PrimaryScreenSize() override { return {}; }
    void SendInput(const MouseInput& input) override {
        if (!(input.dwFlags & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN))) {
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            const auto tpNow = m_clock();
            if (m_tpLastTold && tpNow - *m_tpLastTold < m_nQuietTime) {
                return;
            }
            m_tpLastTold = tpNow;
        }
        m_tell();
    }

private:
    std::function<void()> m_tell;
    Clock m_clock;
    std::chrono::seconds m_nQuietTime;
    std::mutex m_mutex;
    std::optional<std::chrono::steady_clock::time_point> m_tpLastTold;
};
