#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "serial/LineGuard.h"

class CPort;
enum class PacketStatus;

// The worker that drives the touch pipeline of the active device: it waits on the port for
// the next packet and hands every packet the line guard lets act to the processor, until it
// is stopped. Each start begins a fresh, trusted line (CLineGuard).
//
// Stopping is cooperative and prompt: the port is woken out of its blocking read, the thread
// is joined, and once RunReader(false) returns the thread sends no more input and does not
// touch the port, so the port may be closed. A stop that comes before the thread has begun
// its loop works too, because the wake-up stays set until the next start.
class CReaderThread {
public:
    struct Callbacks {
        // Every packet the line guard lets act, and the releases it makes, on the reader
        // thread.
        std::function<void(std::string)> onPacket;
        // The line failed or went away (on the reader thread); called once per outage.
        std::function<void()> onDeviceGone;
        // The line keeps sending data that is not a touch screen's (on the reader thread);
        // called once per episode.
        std::function<void()> onNoise = {};
    };
    // Milliseconds of any steady clock; the guard's time comes from it.
    using Clock = std::function<std::uint64_t()>;

    CReaderThread(CPort& port, Callbacks callbacks, Clock clock = SteadyClockMs);
    ~CReaderThread();
    CReaderThread(const CReaderThread&) = delete;
    CReaderThread& operator=(const CReaderThread&) = delete;

    // true starts the thread (stopping a running one first), false stops it.
    void RunReader(bool bStart);
    bool Started() const { return m_thread.joinable(); }
    // Set by the thread as the first thing it does; cleared by the stop.
    bool ReaderRunning() const { return m_bReaderRunning; }
    // Counts the starts: a report queued by one reader can be told from the next one's.
    unsigned Generation() const { return m_nGeneration; }

    // Whole packets framed and packets cut short, for the curious (benchmarks, the packet
    // view).
    unsigned long long PacketCount() const { return m_nPackets; }
    unsigned long long CutShortCount() const { return m_nCutShort; }
    // Whole packets the line guard kept from acting.
    unsigned long long GuardedCount() const { return m_nGuarded; }

    static std::uint64_t SteadyClockMs();

    // The pause after a failed read doubles from the first value up to the last.
    static constexpr int FIRST_RETRY_PAUSE_MS = 50;
    static constexpr int LAST_RETRY_PAUSE_MS = 2000;

private:
    void ReaderThreadProc();
    void ReadUntilStopped();
    void Judge(PacketStatus status, const std::string& strPacket);

    CPort& m_port;
    Callbacks m_callbacks;
    Clock m_clock;
    CLineGuard m_guard;  // reader thread only, reset before each start
    std::thread m_thread;
    std::atomic<bool> m_bReaderRunning{false};
    std::atomic<unsigned> m_nGeneration{0};
    std::atomic<unsigned long long> m_nPackets{0};
    std::atomic<unsigned long long> m_nCutShort{0};
    std::atomic<unsigned long long> m_nGuarded{0};
};
