#pragma once

// What the live measurements share: the lattice of drag points, pacing, the summary of a
// series of latencies, the floor programs on their own pseudo-terminals, and starting a
// pipeline. Inline: each measurement file takes what it needs.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchChild.h"
#include "BenchPackets.h"
#include "BenchPty.h"
#include "LivePipeline.h"
#include "LiveRuns.h"
#include "MotionWatch.h"

namespace live {

using Clock = std::chrono::steady_clock;

// Drag points on a lattice of 73 x 42 raw points, 26 by 25 pixels apart on the bench device:
// every point of a run of up to 3066 is its own pixel, and none lies within the double-click
// precision or the right-click slop of another, so the processor never snaps one.
constexpr unsigned g_nLatticeColumns = 73;
constexpr unsigned g_nLatticeRows = 42;
constexpr unsigned g_nLatticePoints = g_nLatticeColumns * g_nLatticeRows;

inline std::pair<int, int> LatticeRaw(unsigned k) {
    k %= g_nLatticePoints;
    return {8 + 14 * static_cast<int>(k % g_nLatticeColumns),
            10 + 24 * static_cast<int>(k / g_nLatticeColumns)};
}

inline void SleepUntil(Clock::time_point tp) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(tp.time_since_epoch());
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns.count() / 1000000000LL);
    ts.tv_nsec = static_cast<long>(ns.count() % 1000000000LL);
    // steady_clock is CLOCK_MONOTONIC on Linux.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

inline double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

inline double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct Summary {
    std::size_t nCount = 0;
    double dMedian = 0.0;
    double dP99 = 0.0;
    double dMin = 0.0;
    double dMax = 0.0;
    double dMean = 0.0;
};

// Nearest rank: the p99 is the value below which 99 % of the samples lie.
inline Summary Summarise(std::vector<double> vecSamples) {
    Summary summary;
    if (vecSamples.empty()) {
        return summary;
    }
    std::sort(vecSamples.begin(), vecSamples.end());
    const std::size_t n = vecSamples.size();
    summary.nCount = n;
    summary.dMedian = n % 2 ? vecSamples[n / 2] : (vecSamples[n / 2 - 1] + vecSamples[n / 2]) / 2.0;
    summary.dP99 = vecSamples[static_cast<std::size_t>(std::ceil(0.99 * n)) - 1];
    summary.dMin = vecSamples.front();
    summary.dMax = vecSamples.back();
    double dSum = 0.0;
    for (double d : vecSamples) {
        dSum += d;
    }
    summary.dMean = dSum / static_cast<double>(n);
    return summary;
}

inline void PrintSummary(const char* szName, const Summary& s, std::size_t nLost) {
    std::printf(
        "  %-10s n %5zu  lost %3zu  median %8.1f  p99 %8.1f  mean %8.1f  min %8.1f  "
        "max %9.1f  (microseconds)\n",
        szName, s.nCount, nLost, s.dMedian, s.dP99, s.dMean, s.dMin, s.dMax);
}

// The floor program on a pseudo-terminal of its own.
struct Floor {
    CBenchPty pty;
    std::unique_ptr<CBenchChild> pChild;

    bool Start(const std::string& strExe, CMotionWatch& watch) {
        if (!pty.Ok()) {
            std::fprintf(stderr, "floor: %s\n", pty.Error().c_str());
            return false;
        }
        pChild = std::make_unique<CBenchChild>(std::vector<std::string>{strExe, pty.SlavePath()});
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        for (int nProbe = 0; Clock::now() < deadline; ++nProbe) {
            const int x = 200 + nProbe % 2;
            if (!Send(x, 200)) {
                return false;
            }
            if (watch.WaitFor(x, 200, Clock::now() + std::chrono::milliseconds(250))) {
                watch.Forget(300);
                return true;
            }
        }
        std::fprintf(stderr, "floor: %s never moved the pointer\n", strExe.c_str());
        return false;
    }
    bool Send(int x, int y) {
        const auto aBytes = BenchPacketBytes(true, x, y);
        return pty.Write(aBytes.data(), aBytes.size());
    }
};

inline bool StartPipeline(CLivePipeline& pipeline, CMotionWatch& watch) {
    if (!watch.Ok()) {
        std::fprintf(stderr, "cannot watch the pointer: no X display with XInput 2\n");
        return false;
    }
    std::string strError;
    if (!pipeline.Start(watch, strError)) {
        std::fprintf(stderr, "pipeline: %s\n", strError.c_str());
        return false;
    }
    return true;
}

inline const char* PipelineName(const LiveOptions& options) {
    if (options.setup.strKind == "tactilo") {
        return "Tactilo";
    }
    return options.setup.strKind == "floor" ? "floor" : "pipeline";
}

}  // namespace live
