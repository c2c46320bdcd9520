#pragma once

#include <chrono>
#include <cstdlib>

// How much slower than an idle machine this run is allowed to be. A deadline in a test is a
// bound on how long something may take when nothing else is running; where the run itself
// can measure that it is slower (a software-emulated guest measures its own boot), it sets
// TACTILO_TEST_TIME_SCALE and every deadline stretches by that factor. A slow run then takes
// longer instead of failing; a hung one still fails in bounded time.
inline int TestTimeScale() {
    static const int s_nScale = [] {
        const char* szScale = std::getenv("TACTILO_TEST_TIME_SCALE");
        const long nScale = szScale ? std::strtol(szScale, nullptr, 10) : 1;
        return nScale >= 1 && nScale <= 100 ? static_cast<int>(nScale) : 1;
    }();
    return s_nScale;
}

template <typename Rep, typename Period>
std::chrono::duration<Rep, Period> Scaled(std::chrono::duration<Rep, Period> timeout) {
    return timeout * TestTimeScale();
}
