#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "PointerRecording.h"
#include "devices/TouchDevice.h"

class CXvfb;
struct _XDisplay;

struct PointerState {
    int x = 0;
    int y = 0;
    bool bLeft = false;
    bool bRight = false;
};

// Watches the pointer of an X server as a separate client, for end-to-end tests.
//
// The events come from a CPointerRecording (the X RECORD extension: every device event with
// the pointer's root position, whichever window it goes to), collected on the recording's
// thread; tests wait on them with WaitForButtonEvents or WaitForEvents.
class CXObserver {
public:
    explicit CXObserver(const std::string& strDisplay);
    ~CXObserver();
    CXObserver(const CXObserver&) = delete;
    CXObserver& operator=(const CXObserver&) = delete;

    // True when the observer is connected and recording.
    bool Ok() const { return m_recording.Ok(); }

    // Pointer position on the root window and the state of buttons 1 and 3, asked now.
    PointerState QueryPointer() const;

    std::vector<PointerEvent> Events() const;
    // Presses and releases only, in order.
    std::vector<PointerEvent> ButtonEvents() const;
    void ClearEvents();
    // Waits until bDone holds for the events seen so far. Wait this way before reading
    // Events(): the server sends recorded events late unless asked (see PointerRecording.h).
    bool WaitForEvents(const std::function<bool(const std::vector<PointerEvent>&)>& bDone,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Waits until at least nCount presses and releases have been seen.
    bool WaitForButtonEvents(std::size_t nCount,
                             std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    void OnEvent(const PointerEvent& event);

    _XDisplay* m_pQuery = nullptr;  // QueryPointer, from the test's thread

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<PointerEvent> m_vecEvents;
    // Last: it calls OnEvent from its thread until it is destroyed, first of the members.
    CPointerRecording m_recording;
};

// Defines a RandR monitor on the server ("xrandr --setmonitor"), primary when bPrimary is
// set; rcMonitor in root-window pixels, which may lie left of or above the origin. The
// server's screen must hold the monitors one wants the pointer to reach, e.g. an Xvfb
// started with "3840x1080x24". True when xrandr succeeded.
bool AddRandrMonitor(const CXvfb& xvfb, const std::string& strName, const ScreenRect& rcMonitor,
                     bool bPrimary = false);
bool RemoveRandrMonitor(const CXvfb& xvfb, const std::string& strName);
