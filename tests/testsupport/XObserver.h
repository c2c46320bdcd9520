#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devices/TouchDevice.h"

class CXvfb;
struct _XDisplay;

// One pointer event as the X server processed it: where the pointer was (root-window
// pixels, after the server kept it on the screen) and which button, if any.
struct PointerEvent {
    enum class Kind { Motion, Press, Release };
    Kind kind = Kind::Motion;
    int nButton = 0;  // 1 left, 3 right; 0 for motion
    int x = 0;
    int y = 0;
    unsigned long nServerTimeMs = 0;
    std::chrono::steady_clock::time_point tpSeen;
};

struct PointerState {
    int x = 0;
    int y = 0;
    bool bLeft = false;
    bool bRight = false;
};

// Watches the pointer of an X server as a separate client, for end-to-end tests.
//
// Events are taken with the RECORD extension, which sees every device event at the moment
// the server processes it, with the pointer's root position at that moment, whichever
// window (a full-screen calibration page, a dialog) it then goes to. (Raw XInput 2 events
// carry no position, and delivered button events go to one window only.) A thread of the
// observer collects them; tests wait on them with WaitForButtonEvents or WaitUntil.
class CXObserver {
public:
    explicit CXObserver(const std::string& strDisplay);
    ~CXObserver();
    CXObserver(const CXObserver&) = delete;
    CXObserver& operator=(const CXObserver&) = delete;

    // True when the observer is connected and recording.
    bool Ok() const { return m_bRecording; }

    // Pointer position on the root window and the state of buttons 1 and 3, asked now.
    PointerState QueryPointer() const;

    std::vector<PointerEvent> Events() const;
    // Presses and releases only, in order.
    std::vector<PointerEvent> ButtonEvents() const;
    void ClearEvents();
    // Waits until bDone holds for the events seen so far. Wait this way before reading
    // Events(): the server sends recorded events late unless asked (see XObserver.cpp).
    bool WaitForEvents(const std::function<bool(const std::vector<PointerEvent>&)>& bDone,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Waits until at least nCount presses and releases have been seen.
    bool WaitForButtonEvents(std::size_t nCount,
                             std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    friend struct XObserverRecording;
    void Run();
    void OnStarted();
    void OnEvent(const PointerEvent& event);

    _XDisplay* m_pQuery = nullptr;    // QueryPointer, from the test's thread
    _XDisplay* m_pControl = nullptr;  // creates and ends the recording
    _XDisplay* m_pData = nullptr;     // the recorded events arrive here, on m_thread
    unsigned long m_nContext = 0;
    bool m_bRecording = false;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    bool m_bStarted = false;
    std::vector<PointerEvent> m_vecEvents;
};

// Defines a RandR monitor on the server ("xrandr --setmonitor"), primary when bPrimary is
// set; rcMonitor in root-window pixels, which may lie left of or above the origin. The
// server's screen must hold the monitors one wants the pointer to reach, e.g. an Xvfb
// started with "3840x1080x24". True when xrandr succeeded.
bool AddRandrMonitor(const CXvfb& xvfb, const std::string& strName, const ScreenRect& rcMonitor,
                     bool bPrimary = false);
bool RemoveRandrMonitor(const CXvfb& xvfb, const std::string& strName);
