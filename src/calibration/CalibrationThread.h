#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "calibration/CalibrationCapture.h"

class ICalTouchSource;
class ITraceSink;

// Runs a CCalibrationCapture on a thread of its own: polls the touch source every period,
// feeds each poll with the time it was taken, and ends by itself when the capture ends.
//
// The owner (the calibration page, on the user-interface thread) starts it, forwards ESC and
// Enter, reads snapshots, and stops it before it goes away. Stopping is cooperative: the
// thread checks the stop flag at every poll and the wait between polls wakes at once, so
// Stop() returns within one poll of the touch source. Once Stop() returns the thread does
// not read the touch source, trace or notify again.
class CCalibrationThread {
public:
    using Clock = std::function<std::chrono::milliseconds()>;
    // Called on the capture thread, without any lock held, whenever the snapshot changed.
    // It must not block on the owner; the page posts a queued call to itself.
    using Notify = std::function<void()>;

    static constexpr std::chrono::milliseconds POLL_PERIOD{10};

    struct Options {
        std::chrono::milliseconds pollPeriod = POLL_PERIOD;
        std::chrono::milliseconds targetTimeout = CCalibrationCapture::TARGET_TIMEOUT;
        Clock clock;  // empty: the steady clock
    };

    CCalibrationThread(ICalTouchSource& touch, int nWidth, int nHeight, ITraceSink* pTrace,
                       Notify notify, Options options);
    CCalibrationThread(ICalTouchSource& touch, int nWidth, int nHeight, ITraceSink* pTrace,
                       Notify notify);
    ~CCalibrationThread();
    CCalibrationThread(const CCalibrationThread&) = delete;
    CCalibrationThread& operator=(const CCalibrationThread&) = delete;

    // Starts the capture (target 0 becomes active) and the polling. Once only.
    void Start();
    // Ends the polling and joins the thread. Any thread but the capture thread; repeatable.
    void Stop();

    void Cancel();
    void Enter();

    CaptureSnapshot Snapshot() const;
    // The averaged raw readings by target index, for the captured targets.
    std::array<CalPoint, CAL_TARGET_COUNT> Readings() const;
    // The thread is inside its polling loop.
    bool IsRunning() const { return m_bThreadRunning.load(); }

private:
    void Run();
    // Runs fn on the capture under the lock; notifies when the snapshot changed.
    template <typename Fn>
    bool Change(Fn fn);

    ICalTouchSource& m_touch;
    Notify m_notify;
    Options m_options;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    CCalibrationCapture m_capture;  // guarded by m_mutex
    bool m_bStop = false;           // guarded by m_mutex
    std::atomic<bool> m_bThreadRunning{false};
    std::thread m_thread;
};
