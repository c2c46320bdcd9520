#include <thread>

#include "TestTime.h"

template <typename Condition>
bool WaitUntil(Condition bCondition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Scaled(timeout);
    for (;;) {
        if (bCondition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return bCondition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
