#include "LiveRuns.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "BenchPackets.h"
#include "LiveCommon.h"
#include "MotionWatch.h"
#include "ProcSample.h"

using namespace live;

int RunLatency(const LiveOptions& options) {
    if (options.setup.strKind == "floor") {
        std::fprintf(stderr, "latency: the floor runs beside the pipeline already\n");
        return 2;
    }
    CMotionWatch watch(options.strDisplay);
    CLivePipeline pipeline(options.setup);
    Floor floor;
    if (!StartPipeline(pipeline, watch) || !floor.Start(options.strFloorExe, watch)) {
        return 1;
    }

    std::vector<double> vecPipelineUs;
    std::vector<double> vecFloorUs;
    std::size_t nPipelineLost = 0;
    std::size_t nFloorLost = 0;
    const auto period = std::chrono::microseconds(options.nPeriodUs);
    const auto timeout = std::chrono::seconds(1);
    Clock::time_point next = Clock::now() + period;
    const int nRounds = options.nWarmup + options.nPackets;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        const bool bCounted = nRound >= options.nWarmup;
        const auto [nRawX, nRawY] = LatticeRaw(static_cast<unsigned>(nRound));
        // Turn about, so that neither side always follows the other.
        for (int nSide = 0; nSide < 2; ++nSide) {
            const bool bPipeline = (nSide == 0) == (nRound % 2 == 0);
            SleepUntil(next);
            next += period;
            std::pair<int, int> pixel;
            Clock::time_point tpWritten;
            bool bWritten = false;
            if (bPipeline) {
                // The first packet begins the touch; the rest drag it.
                pixel = pipeline.Oracle().Feed(true, nRawX, nRawY);
                const auto aBytes = BenchPacketBytes(true, nRawX, nRawY);
                tpWritten = Clock::now();
                bWritten = pipeline.SendBytes(aBytes.data(), aBytes.size());
            } else {
                // About half the pipeline's pixel (x = raw x * 1.875, y = raw y * 1.05):
                // never where the pointer is, and within the floor's 0..1023.
                pixel = {nRawX * 15 / 16 + 3, nRawY / 2 + 3};
                tpWritten = Clock::now();
                bWritten = floor.Send(pixel.first, pixel.second);
            }
            if (!bWritten) {
                std::fprintf(stderr, "writing a packet failed: %s\n",
                             (bPipeline ? pipeline.LineError() : floor.pty.Error()).c_str());
                return 1;
            }
            const auto tpSeen = watch.WaitFor(pixel.first, pixel.second, tpWritten + timeout);
            if (!bCounted) {
                continue;
            }
            if (tpSeen) {
                (bPipeline ? vecPipelineUs : vecFloorUs).push_back(Micros(*tpSeen - tpWritten));
            } else {
                ++(bPipeline ? nPipelineLost : nFloorLost);
            }
        }
    }
    pipeline.Send(false, 512, 512);  // lift the finger

    const Summary pipelineSummary = Summarise(vecPipelineUs);
    const Summary floorSummary = Summarise(vecFloorUs);
    std::printf("Latency, last byte written on the pty -> raw motion seen by another X client\n");
    std::printf("(%d packets per side, interleaved, one every %d us, %d rounds of warm-up)\n",
                options.nPackets, options.nPeriodUs, options.nWarmup);
    PrintSummary(PipelineName(options), pipelineSummary, nPipelineLost);
    PrintSummary("floor", floorSummary, nFloorLost);
    if (floorSummary.dMedian > 0 && floorSummary.dP99 > 0) {
        std::printf("  ratio      median %.3f  p99 %.3f  (%s / floor; aim: under 1.2)\n",
                    pipelineSummary.dMedian / floorSummary.dMedian,
                    pipelineSummary.dP99 / floorSummary.dP99, PipelineName(options));
    }
    std::printf("  motions to unexpected pixels: %llu\n", watch.Strays());
    pipeline.Stop();
    return (nPipelineLost + nFloorLost) == 0 ? 0 : 1;
}

int RunLineRate(const LiveOptions& options) {
    CMotionWatch watch(options.strDisplay);
    CLivePipeline pipeline(options.setup);
    if (!StartPipeline(pipeline, watch)) {
        return 1;
    }
    watch.Forget(options.nSettleMs / 2);
    watch.Keep(false);

    // Every packet a touch packet to the next lattice point: the first begins the touch,
    // the rest drag it, each to a pixel of its own.
    const auto nTotal =
        static_cast<unsigned long long>(std::llround(options.dRate * options.dSeconds));
    const unsigned nPerWrite = static_cast<unsigned>(std::max(1, options.nPacketsPerWrite));
    std::vector<unsigned char> vecBytes;
    vecBytes.reserve(nTotal * 3);
    for (unsigned long long k = 0; k < nTotal; ++k) {
        const auto [nRawX, nRawY] = LatticeRaw(static_cast<unsigned>(k));
        const auto aBytes = BenchPacketBytes(true, nRawX, nRawY);
        vecBytes.insert(vecBytes.end(), aBytes.begin(), aBytes.end());
    }

    unsigned long long nPacketsBefore = 0;
    unsigned long long nCutBefore = 0;
    const bool bCounts = pipeline.Count(nPacketsBefore, nCutBefore);
    const unsigned long long nMotionsBefore = watch.Count();
    const ProcessSample before = SampleProcess(pipeline.Pid());
    const ProcessSample serverBefore =
        options.nXServerPid > 0 ? SampleProcess(options.nXServerPid) : ProcessSample();
    const Clock::time_point tpStart = Clock::now();
    const double dPeriodNs = 1e9 / options.dRate;
    Clock::duration maxLate{};
    for (unsigned long long k = 0; k < nTotal; k += nPerWrite) {
        const Clock::time_point tpDue =
            tpStart + std::chrono::nanoseconds(static_cast<long long>(k * dPeriodNs));
        SleepUntil(tpDue);
        maxLate = std::max(maxLate, Clock::now() - tpDue);
        const unsigned long long nCount = std::min<unsigned long long>(nPerWrite, nTotal - k);
        if (!pipeline.SendBytes(vecBytes.data() + k * 3, nCount * 3)) {
            std::fprintf(stderr, "writing packets failed: %s\n", pipeline.LineError().c_str());
            return 1;
        }
        watch.Read(0);
    }
    const Clock::time_point tpWritten = Clock::now();
    const bool bAllSeen =
        watch.WaitForCount(nMotionsBefore + nTotal, tpWritten + std::chrono::seconds(3));
    const Clock::time_point tpEnd = Clock::now();
    const ProcessSample after = SampleProcess(pipeline.Pid());
    const ProcessSample serverAfter =
        options.nXServerPid > 0 ? SampleProcess(options.nXServerPid) : ProcessSample();
    // Anything later is not of this run, but count it all the same.
    watch.Forget(200);
    unsigned long long nPacketsAfter = 0;
    unsigned long long nCutAfter = 0;
    const bool bCountsAfter = bCounts && pipeline.Count(nPacketsAfter, nCutAfter);
    pipeline.Send(false, 512, 512);

    const double dWriteSeconds = Seconds(tpWritten - tpStart);
    std::printf(
        "Line rate: %llu touch packets in %.3f s = %.0f packets/s (asked %.0f/s, %u per "
        "write; latest write %.0f us behind its time)\n",
        nTotal, dWriteSeconds, static_cast<double>(nTotal) / dWriteSeconds, options.dRate,
        nPerWrite, Micros(maxLate));
    if (bCountsAfter) {
        std::printf("  packets handled by the reader: %llu (cut short: %llu)\n",
                    nPacketsAfter - nPacketsBefore, nCutAfter - nCutBefore);
    } else {
        std::printf("  packets handled by the reader: not reported by %s\n", PipelineName(options));
    }
    const unsigned long long nMotions = watch.Count() - nMotionsBefore;
    std::printf("  motions delivered by the X server: %llu%s\n", nMotions,
                bAllSeen ? "" : " (not all within 3 s of the last write)");
    std::printf("  all handled %.3f s after the last write\n", Seconds(tpEnd - tpWritten));
    PrintProcessDelta(PipelineName(options), before, after, Seconds(tpEnd - tpStart));
    if (options.nXServerPid > 0) {
        PrintProcessDelta("X server", serverBefore, serverAfter, Seconds(tpEnd - tpStart));
    }
    pipeline.Stop();
    const bool bEveryPacket =
        nMotions >= nTotal && (!bCountsAfter || nPacketsAfter - nPacketsBefore == nTotal);
    return bEveryPacket ? 0 : 1;
}

int RunSilent(const LiveOptions& options) {
    CMotionWatch watch(options.strDisplay);
    CLivePipeline pipeline(options.setup);
    if (!StartPipeline(pipeline, watch)) {
        return 1;
    }
    // Let start-up work (Qt's first events, a tray icon) die down before measuring.
    std::this_thread::sleep_for(std::chrono::milliseconds(options.nSettleMs));
    const ProcessSample before = SampleProcess(pipeline.Pid());
    const Clock::time_point tpStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(options.dSeconds));
    const ProcessSample after = SampleProcess(pipeline.Pid());
    const Clock::time_point tpEnd = Clock::now();

    std::printf("Silent line: device connected, no bytes for %.1f s\n", Seconds(tpEnd - tpStart));
    PrintProcessDelta(PipelineName(options), before, after, Seconds(tpEnd - tpStart));
    if (pipeline.ReaderTid() > 0) {
        std::printf("  (the reader thread is %d)\n", pipeline.ReaderTid());
    }
    const bool bRunning = pipeline.Running();
    pipeline.Stop();
    return bRunning ? 0 : 1;
}
