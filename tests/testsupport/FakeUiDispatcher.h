#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "app/UiDispatcher.h"

// The user-interface thread's queue without an event loop: posted calls wait until the test
// runs them, on its own thread, in the order they came. Post is safe from any thread (the
// reader thread posts its outage report).
class CFakeUiDispatcher final : public IUiDispatcher {
public:
    void Post(std::function<void()> fnCall) override {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(fnCall));
        }
        m_posted.notify_all();
    }

    // Runs what is queued now, and what those calls post in turn. Returns how many ran.
    int RunPending() {
        int nRun = 0;
        for (;;) {
            std::function<void()> fnCall;
            {
                std::lock_guard lock(m_mutex);
                if (m_queue.empty()) {
                    return nRun;
                }
                fnCall = std::move(m_queue.front());
                m_queue.pop_front();
            }
            fnCall();
            ++nRun;
        }
    }

    // Runs posted calls as they come until bCondition holds or the deadline passes.
    template <typename Condition>
    bool RunUntil(Condition bCondition,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            RunPending();
            if (bCondition()) {
                return true;
            }
            std::unique_lock lock(m_mutex);
            if (!m_posted.wait_until(lock, deadline, [this] { return !m_queue.empty(); })) {
                lock.unlock();
                return bCondition();
            }
        }
    }

    // Drops what is queued, unrun.
    void Discard() {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
    }

    std::size_t Pending() const {
        std::lock_guard lock(m_mutex);
        return m_queue.size();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_queue;
};
