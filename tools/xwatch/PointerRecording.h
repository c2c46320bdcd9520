#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct _XDisplay;

// One pointer event as the X server processed it: where the pointer was (root-window
// pixels, after the server kept it on the screen) and which button, if any.
struct PointerEvent {
    enum class Kind { Motion, Press, Release };
    Kind kind = Kind::Motion;
    int nButton = 0;  // 1 left, 3 right; 0 for motion
    int x = 0;
    int y = 0;
    unsigned nState = 0;  // buttons and modifiers held just before the event (X's mask)
    unsigned long nServerTimeMs = 0;
    std::chrono::steady_clock::time_point tpSeen;
};

// Decodes one recorded wire event (32 bytes, the X protocol's xEvent). False for data too
// short to be an event and for anything but a button press, release or motion.
bool DecodePointerEvent(const void* pWire, std::size_t nBytes, PointerEvent& event);

// Records every pointer event an X server processes, as a separate client.
//
// Why RECORD: it sees each device event at the moment the server processes it, with the
// pointer's root position at that moment, whichever window (a full-screen page, a dialog, no
// window at all) it then goes to. Raw XInput 2 events carry no position, and delivered button
// events reach one window only.
//
// Three connections: the recorded data arrives on one of them, which a thread of ours blocks
// on; a second creates and ends the recording; a third makes round trips for Flush. The
// server holds recorded events in its output buffer for the recording client until it next
// flushes to any client, which may be long after a burst of input ends: whoever waits for
// events must call Flush while waiting.
class CPointerRecording {
public:
    // Called on the recording's own thread, in the server's order.
    using EventHandler = std::function<void(const PointerEvent&)>;

    // Starts recording and waits (up to nStartTimeout) until the server confirms it, so
    // that every event from Ok() on is seen.
    CPointerRecording(const std::string& strDisplay, EventHandler onEvent,
                      std::chrono::milliseconds nStartTimeout = std::chrono::seconds(10));
    ~CPointerRecording();
    CPointerRecording(const CPointerRecording&) = delete;
    CPointerRecording& operator=(const CPointerRecording&) = delete;

    // True when connected and recording.
    bool Ok() const { return m_bRecording; }
    // What went wrong when Ok() is false.
    const std::string& Error() const { return m_strError; }

    // A round trip to the server, which makes it send the events it holds back. Thread-safe.
    void Flush() const;

private:
    friend struct PointerRecordingCallback;
    void OnStarted();

    EventHandler m_onEvent;
    _XDisplay* m_pControl = nullptr;  // creates and ends the recording
    _XDisplay* m_pData = nullptr;     // the recorded events arrive here, on m_thread
    _XDisplay* m_pFlush = nullptr;    // round trips for Flush
    unsigned long m_nContext = 0;
    bool m_bRecording = false;
    std::string m_strError;
    std::thread m_thread;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bStarted = false;
};
