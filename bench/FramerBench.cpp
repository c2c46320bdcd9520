// How fast CPort frames and decodes packets, and what share of one core the fastest
// controller the port accepts (256000 baud: 25600 bytes/s, 8533 packets/s) would take.
//
//   benchmark             line                               measures
//   FramerInMemory        recorded stream replayed in memory the framer and decoding alone
//   FramerInMemoryNoisy   the same with stray and cut packets  resynchronisation's cost
//   FramerInMemoryGuarded the clean stream, each read judged    the line guard's cost on a
//                         by the line guard (CLineGuard)       clean line
//   FramerPty             pty, writer thread as fast as it can the framer plus poll/read per byte
//   FramerPtyAt256000     pty, writer paced at 8533 packets/s  the real load: CPU / wall time
//
// CPU time is the reading thread's own (CLOCK_THREAD_CPUTIME_ID): the writer stands in for
// the controller and is not the driver's cost.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LoopSerialLine.h"
#include "linux/PosixSerialLine.h"
#include "serial/LineGuard.h"
#include "serial/Port.h"
#include "touch/BitString.h"

namespace {

constexpr double g_dPacketsAt256000 = 256000.0 / 10.0 / 3.0;  // 10 bits a byte on the wire

std::map<std::string, double> g_mapCoreShare;  // benchmark -> share of one core at 8533/s

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::vector<unsigned char> Packets(int nCount, double dNoise, unsigned nSeed = 5) {
    std::mt19937 random(nSeed);
    std::uniform_int_distribution<int> raw(0, 1023);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::vector<unsigned char> vecBytes;
    for (int i = 0; i < nCount; ++i) {
        const int nX = raw(random);
        const int nY = raw(random);
        const bool bTouch = (i % 16) != 15;
        vecBytes.push_back(
            static_cast<unsigned char>(0x80 | (bTouch ? 0x40 : 0) | ((nX >> 7) << 3) | (nY >> 7)));
        vecBytes.push_back(static_cast<unsigned char>(nX & 127));
        if (chance(random) < dNoise) {
            vecBytes.push_back(0xC0);  // a lead byte too early: the packet is cut short
        }
        vecBytes.push_back(static_cast<unsigned char>(nY & 127));
        if (chance(random) < dNoise) {
            vecBytes.push_back(0x55);  // a stray data byte between packets
        }
    }
    return vecBytes;
}

// What the processor does with each packet text before any mapping.
int Decode(const std::string& strText) {
    const int nX = BitsToInt(strText.substr(2, 3) + strText.substr(9, 7));
    const int nY = BitsToInt(strText.substr(5, 3) + strText.substr(17, 7));
    return (strText[1] == '1' ? 1 : 0) + nX + nY;
}

void ReadPackets(benchmark::State& state, CPort& port, const char* szName) {
    std::string strPacket;
    long long nPackets = 0;
    const double dCpuStart = ThreadCpuSeconds();
    for (auto _ : state) {
        const PacketStatus status = port.ReadPacket(strPacket);
        if (status == PacketStatus::Whole) {
            benchmark::DoNotOptimize(Decode(strPacket));
        } else if (status != PacketStatus::CutShort && status != PacketStatus::CutShortRelease) {
            state.SkipWithError("the line failed");
            break;
        }
        ++nPackets;
    }
    const double dCpuPerPacket = (ThreadCpuSeconds() - dCpuStart) / static_cast<double>(nPackets);
    state.SetItemsProcessed(nPackets);
    state.counters["core_at_256k"] = dCpuPerPacket * g_dPacketsAt256000;
    g_mapCoreShare[szName] = dCpuPerPacket * g_dPacketsAt256000;
}

void FramerInMemory(benchmark::State& state) {
    CPort port(std::make_unique<CLoopSerialLine>(Packets(4096, 0.0)));
    port.Open(1, 256000, 8, 0, 0);
    ReadPackets(state, port, "in memory");
}

void FramerInMemoryNoisy(benchmark::State& state) {
    CPort port(std::make_unique<CLoopSerialLine>(Packets(4096, 0.05)));
    port.Open(1, 256000, 8, 0, 0);
    ReadPackets(state, port, "in memory, 5% noise");
}

void FramerInMemoryGuarded(benchmark::State& state) {
    CPort port(std::make_unique<CLoopSerialLine>(Packets(4096, 0.0)));
    port.Open(1, 256000, 8, 0, 0);
    CLineGuard guard;
    guard.StartOn(port, true);
    std::string strPacket;
    std::uint64_t nNowMs = 0;
    long long nPackets = 0;
    for (auto _ : state) {
        const PacketStatus status = port.ReadPacket(strPacket);
        const CLineGuard::Verdict verdict = guard.OnPortRead(port, status, strPacket, ++nNowMs);
        if (!verdict.bAct) {
            state.SkipWithError("a clean packet was kept from acting");
            break;
        }
        benchmark::DoNotOptimize(Decode(strPacket));
        ++nPackets;
    }
    state.SetItemsProcessed(nPackets);
}

// A pty whose master a writer thread feeds with packets, either as fast as the reader takes
// them or paced at one packet per 1/nRate s.
class CPtyFeeder {
public:
    explicit CPtyFeeder(double dRate) : m_dRate(dRate) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(m_master);
        unlockpt(m_master);
        m_strSlave = ptsname(m_master);
        termios tio{};
        tcgetattr(m_master, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_master, TCSANOW, &tio);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_writer = std::thread([this] { Feed(); });
    }
    ~CPtyFeeder() {
        m_bStop = true;
        m_writer.join();
        close(m_master);
    }
    const std::string& Slave() const { return m_strSlave; }

private:
    void Feed() {
        const std::vector<unsigned char> vecStream = Packets(4096, 0.0);
        const std::size_t nChunk = m_dRate > 0 ? 3 : 3 * 64;
        std::size_t nNext = 0;
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        const long nPeriodNs = m_dRate > 0 ? static_cast<long>(1e9 / m_dRate) : 0;
        while (!m_bStop) {
            if (nPeriodNs > 0) {
                next.tv_nsec += nPeriodNs;
                if (next.tv_nsec >= 1000000000L) {
                    next.tv_nsec -= 1000000000L;
                    ++next.tv_sec;
                }
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            }
            std::size_t nDone = 0;
            while (nDone < nChunk && !m_bStop) {
                const std::size_t nCount = std::min(nChunk - nDone, vecStream.size() - nNext);
                const ssize_t nWritten = write(m_master, vecStream.data() + nNext, nCount);
                if (nWritten > 0) {
                    nDone += static_cast<std::size_t>(nWritten);
                    nNext = (nNext + static_cast<std::size_t>(nWritten)) % vecStream.size();
                } else {
                    pollfd fd = {m_master, POLLOUT, 0};
                    poll(&fd, 1, 10);
                }
            }
        }
    }

    double m_dRate;
    int m_master = -1;
    std::string m_strSlave;
    std::atomic<bool> m_bStop{false};
    std::thread m_writer;
};

void ReadPty(benchmark::State& state, double dRate, const char* szName) {
    CPtyFeeder feeder(dRate);
    const std::string strSlave = feeder.Slave();
    CPort port(std::make_unique<CPosixSerialLine>([strSlave](int) { return strSlave; }));
    port.Open(1, 256000, 8, 0, 0);
    port.SetTimeouts(0, 0, 0, 0, 0);
    if (dRate <= 0) {
        ReadPackets(state, port, szName);
        return;
    }
    // Paced: the share of a core is simply CPU time over the wall time it took.
    const double dWallStart = WallSeconds();
    const double dCpuStart = ThreadCpuSeconds();
    std::string strPacket;
    long long nPackets = 0;
    for (auto _ : state) {
        if (port.ReadPacket(strPacket) == PacketStatus::Whole) {
            benchmark::DoNotOptimize(Decode(strPacket));
        }
        ++nPackets;
    }
    const double dShare = (ThreadCpuSeconds() - dCpuStart) / (WallSeconds() - dWallStart);
    state.SetItemsProcessed(nPackets);
    state.counters["core_share"] = dShare;
    g_mapCoreShare[szName] = dShare;
}

void FramerPty(benchmark::State& state) {
    ReadPty(state, 0.0, "pty, as fast as it goes");
}

void FramerPtyAt256000(benchmark::State& state) {
    ReadPty(state, g_dPacketsAt256000, "pty, paced at 8533 packets/s");
}

}  // namespace

BENCHMARK(FramerInMemory);
BENCHMARK(FramerInMemoryNoisy);
BENCHMARK(FramerInMemoryGuarded);
BENCHMARK(FramerPty)->UseRealTime();
// Two seconds of packets at the fastest rate: the share is measured, not extrapolated.
BENCHMARK(FramerPtyAt256000)->Iterations(17066)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nShare of one core the framer needs at %.0f packets/s (256000 baud):\n",
                g_dPacketsAt256000);
    for (const auto& [strName, dShare] : g_mapCoreShare) {
        std::printf("  %-32s %8.4f %%\n", strName.c_str(), dShare * 100.0);
    }
    return 0;
}
