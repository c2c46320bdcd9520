#include "calibration/CalibrationThread.h"

#include <utility>

#include "calibration/CalTouchSource.h"

namespace {

std::chrono::milliseconds SteadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

CCalibrationThread::CCalibrationThread(ICalTouchSource& touch, int nWidth, int nHeight,
                                       ITraceSink* pTrace, Notify notify, Options options)
    : m_touch(touch),
      m_notify(std::move(notify)),
      m_options(std::move(options)),
      m_capture(nWidth, nHeight, pTrace, m_options.targetTimeout) {
    if (!m_options.clock) {
        m_options.clock = SteadyNow;
    }
}

CCalibrationThread::CCalibrationThread(ICalTouchSource& touch, int nWidth, int nHeight,
                                       ITraceSink* pTrace, Notify notify)
    : CCalibrationThread(touch, nWidth, nHeight, pTrace, std::move(notify), Options{}) {}

CCalibrationThread::~CCalibrationThread() {
    Stop();
}

void CCalibrationThread::Start() {
    if (m_thread.joinable()) {
        return;
    }
    // Set before the thread exists, so that an owner that checks right after Start() never
    // sees a capture that has not begun yet as a finished one.
    m_bThreadRunning = true;
    m_thread = std::thread([this] { Run(); });
}

void CCalibrationThread::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}

void CCalibrationThread::Cancel() {
    Change([](CCalibrationCapture& capture) { capture.Cancel(); });
    m_wake.notify_all();
}

void CCalibrationThread::Enter() {
    Change([](CCalibrationCapture& capture) { capture.Enter(); });
    m_wake.notify_all();
}

CaptureSnapshot CCalibrationThread::Snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_capture.Snapshot();
}

std::array<CalPoint, CAL_TARGET_COUNT> CCalibrationThread::Readings() const {
    std::lock_guard lock(m_mutex);
    return m_capture.Readings();
}

template <typename Fn>
bool CCalibrationThread::Change(Fn fn) {
    bool bChanged = false;
    {
        std::lock_guard lock(m_mutex);
        const auto nBefore = m_capture.Snapshot().nGeneration;
        fn(m_capture);
        bChanged = m_capture.Snapshot().nGeneration != nBefore;
    }
    if (bChanged && m_notify) {
        m_notify();
    }
    return bChanged;
}

void CCalibrationThread::Run() {
    const auto now = m_options.clock();
    Change([now](CCalibrationCapture& capture) { capture.Start(now); });

    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_bStop || m_capture.IsEnded()) {
                break;
            }
        }
        // Read outside the lock: the source may take its own.
        const CalTouchSample sample = m_touch.ReadTouch();
        const auto pollTime = m_options.clock();
        bool bEnded = false;
        Change([&](CCalibrationCapture& capture) {
            // ESC or Enter may have ended the capture while the source was read.
            if (!capture.IsEnded()) {
                capture.Poll(sample, pollTime);
            }
            bEnded = capture.IsEnded();
        });
        if (bEnded) {
            break;
        }

        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, m_options.pollPeriod,
                            [this] { return m_bStop || m_capture.IsEnded(); })) {
            break;
        }
    }
    m_bThreadRunning = false;
}
