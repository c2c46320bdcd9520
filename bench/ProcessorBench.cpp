// What CTouchProcessor::ProcessPacket costs per packet on the reader thread, with the pointer
// output and the hold timer doing nothing, so that only the decoding, the mapping and the
// click logic are timed (the X server's share is measured end to end by bench/latency.sh).
//
//   benchmark        packets                                      path through the processor
//   Drag             touch packets while the touch is held        decode, map, move
//   Tap              a touch-down, then its lift (two per tap)     + snap, left down, arm the
//                                                                 hold timer; kill it, left up
//   Release          release packets with nothing held            decode, map, move
//   Calibrating      touch packets in calibration mode            decode, publish the raw point
//   .../QtTrace      the same with the program's trace sink, whose category is off by default:
//                    every packet still hands it one text per axis
//
// The packets are a fixed list of points spread over the whole raw range, so all three
// anchors of the axis mapping and the clamping at the edges are taken. The text is passed by
// value, as the reader thread passes it, so its copy is part of the cost.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchPackets.h"
#include "app/TraceSink.h"
#include "qt/QtTraceSink.h"
#include "touch/HoldTimer.h"
#include "touch/PointerOutput.h"
#include "touch/TouchProcessor.h"

namespace {

class CNullPointerOutput final : public IPointerOutput {
public:
    ScreenSize PrimaryScreenSize() override { return {1920, 1080}; }
    void SendInput(const MouseInput& input) override { benchmark::DoNotOptimize(&input); }
};

class CNullHoldTimer final : public IHoldTimer {
public:
    unsigned SetTimer(unsigned nId, unsigned, std::uint64_t) override { return nId; }
    void KillTimer(unsigned) override {}
};

constexpr std::size_t g_nPoints = 4096;  // a power of two: the index wraps with a mask

std::vector<std::string> Packets(bool bTouch) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> raw(0, 1023);
    std::vector<std::string> vecPackets;
    for (std::size_t i = 0; i < g_nPoints; ++i) {
        vecPackets.push_back(BenchPacketText(bTouch, raw(random), raw(random)));
    }
    return vecPackets;
}

// One processor with its null services, set up as the connection leaves it.
struct Processor {
    explicit Processor(ITraceSink& trace)
        : touch({output, timer, trace, [](unsigned) {}, &output}) {
        touch.SetActiveDevice(BenchDevice());
        touch.SetPrecision(15);
        touch.SetRightClickTime(2000);
    }
    CNullPointerOutput output;
    CNullHoldTimer timer;
    CTouchProcessor touch;
};

void PerPacket(benchmark::State& state, std::int64_t nPacketsPerIteration) {
    const std::int64_t nPackets = state.iterations() * nPacketsPerIteration;
    state.SetItemsProcessed(nPackets);
    state.counters["per_packet"] = benchmark::Counter(
        static_cast<double>(nPackets), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Drag(benchmark::State& state, ITraceSink& trace) {
    Processor processor(trace);
    const std::vector<std::string> vecPackets = Packets(true);
    processor.touch.ProcessPacket(vecPackets[0]);  // the touch begins: from here on, a drag
    std::size_t i = 0;
    for (auto _ : state) {
        processor.touch.ProcessPacket(vecPackets[i++ & (g_nPoints - 1)]);
    }
    if (!processor.touch.TouchDown()) {
        state.SkipWithError("the drag lost its touch");
    }
    PerPacket(state, 1);
}

void Tap(benchmark::State& state, ITraceSink& trace) {
    Processor processor(trace);
    const std::vector<std::string> vecDowns = Packets(true);
    const std::vector<std::string> vecUps = Packets(false);
    std::size_t i = 0;
    for (auto _ : state) {
        const std::size_t n = i++ & (g_nPoints - 1);
        processor.touch.ProcessPacket(vecDowns[n]);
        processor.touch.ProcessPacket(vecUps[n]);
    }
    if (processor.touch.TouchDown()) {
        state.SkipWithError("a tap was not lifted");
    }
    PerPacket(state, 2);
}

void Release(benchmark::State& state, ITraceSink& trace) {
    Processor processor(trace);
    const std::vector<std::string> vecPackets = Packets(false);
    std::size_t i = 0;
    for (auto _ : state) {
        processor.touch.ProcessPacket(vecPackets[i++ & (g_nPoints - 1)]);
    }
    PerPacket(state, 1);
}

void Calibrating(benchmark::State& state, ITraceSink& trace) {
    Processor processor(trace);
    processor.touch.SetCalibrating(true);
    const std::vector<std::string> vecPackets = Packets(true);
    std::size_t i = 0;
    for (auto _ : state) {
        processor.touch.ProcessPacket(vecPackets[i++ & (g_nPoints - 1)]);
    }
    if (processor.touch.CalRawX() < 0) {
        state.SkipWithError("calibration mode published nothing");
    }
    PerPacket(state, 1);
}

CQtTraceSink g_qtTrace;

}  // namespace

BENCHMARK_CAPTURE(Drag, NullTrace, CNullTraceSink::Instance());
BENCHMARK_CAPTURE(Drag, QtTrace, g_qtTrace);
BENCHMARK_CAPTURE(Tap, NullTrace, CNullTraceSink::Instance());
BENCHMARK_CAPTURE(Tap, QtTrace, g_qtTrace);
BENCHMARK_CAPTURE(Release, NullTrace, CNullTraceSink::Instance());
BENCHMARK_CAPTURE(Release, QtTrace, g_qtTrace);
BENCHMARK_CAPTURE(Calibrating, NullTrace, CNullTraceSink::Instance());

BENCHMARK_MAIN();
