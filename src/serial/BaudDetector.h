#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CPort;

// Finds the rate a touch controller speaks while the user touches the screen: opens the port
// at each rate in turn, listens for a bounded time, and asks the line guard (started on
// trial, as for a line that has turned suspect) whether the stream frames the way a touch
// screen's does: a run of clean packets of one touch. The first rate that does is the answer.
//
//   at a rate, the port                     outcome
//   --------------------------------------  ------------------------------------------
//   frames a clean run within the time      that rate; later rates are not tried
//   frames no clean run, or stays silent    the next rate
//   fails to open                           no rate, with the port's reason
//   fails or goes away while listening      the next rate
//   is cancelled                            no rate, nothing more is tried
//
// The rates are tried from the fastest: a controller read at half its rate can frame clean
// packets out of a resting finger, read at its own rate it always does, so the true rate is
// met before any slower one could be mistaken for it.
//
// Detect runs on one thread (it blocks for up to the listening time per rate); Cancel may be
// called from any other.
class CBaudDetector {
public:
    // Milliseconds of a steady clock.
    using Clock = std::function<std::uint64_t()>;

    explicit CBaudDetector(CPort& port, Clock clock);

    // Called with each rate just before it is tried, on the detecting thread.
    void SetProgress(std::function<void(unsigned nBaudRate)> fnTrying) {
        m_fnTrying = std::move(fnTrying);
    }

    // The first of vecRates at which COM<nPort> frames cleanly within nListenMs, or 0. The
    // port is closed again whatever the outcome.
    unsigned Detect(int nPort, const std::vector<unsigned>& vecRates, int nListenMs = LISTEN_MS);
    // Any thread: ends a running or the next Detect with 0.
    void Cancel();
    bool Cancelled() const { return m_bCancelled; }
    // Why the port did not open, in the system's words ("COM3 (/dev/ttyUSB0): Device or
    // resource busy"; see CDeviceConnection::LastOpenFailure), empty when it did.
    const std::string& OpenFailure() const { return m_strOpenFailure; }
    int OpenError() const { return m_nOpenError; }

    static constexpr int LISTEN_MS = 2000;

private:
    // Listens at one rate; true when it framed cleanly. false with bGiveUp set on a failure
    // to open or a cancel.
    bool TryRate(int nPort, unsigned nBaudRate, int nListenMs, bool& bGiveUp);

    CPort& m_port;
    Clock m_clock;
    std::function<void(unsigned)> m_fnTrying;
    std::atomic<bool> m_bCancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bListening = false;  // under m_mutex: the watch may wake the port
    std::string m_strOpenFailure;
    int m_nOpenError = 0;
};
