#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "touch/PointerOutput.h"

struct _XDisplay;

// Pointer input for an X server, through the XTest extension.
//
// The connection is the output's own, opened by the first call (on the reader thread, the
// only thread that uses it afterwards) and closed by the destructor. If it cannot be opened,
// or the server lacks XTest, one warning goes out and every later record is dropped; the
// program keeps running without pointer input rather than stopping.
//
// A record becomes, in this order: an absolute move to the record's pixel (root-window
// coordinates, the pointer's screen), or a relative move by dx, dy without
// MOUSEEVENTF_ABSOLUTE; left down/up as button 1, right down/up as button 3. Then the
// connection is flushed, so the event reaches the server without waiting for the next one.
//
// The primary monitor's size is asked for with every packet, hundreds of times a second, so
// it is cached. The cache is renewed when RandR reports a change of screen, CRTC or output
// (those events are picked up without blocking at each call), and in any case once it is
// older than nMaxSizeAge: monitors defined by hand (xrandr --setmonitor) change without any
// event.
class CXTestPointerOutput final : public IPointerOutput {
public:
    using WarningFn = std::function<void(const std::string&)>;

    // strDisplayName: e.g. ":5"; empty means $DISPLAY. warn receives the one warning; by
    // default it goes to stderr.
    explicit CXTestPointerOutput(std::string strDisplayName = {}, WarningFn warn = {},
                                 std::chrono::milliseconds nMaxSizeAge = kDefaultMaxSizeAge);
    ~CXTestPointerOutput() override;
    CXTestPointerOutput(const CXTestPointerOutput&) = delete;
    CXTestPointerOutput& operator=(const CXTestPointerOutput&) = delete;

    // The primary RandR monitor's size; without one, the first monitor's, or else the root
    // window's. {0, 0} when there is no display.
    ScreenSize PrimaryScreenSize() override;
    void SendInput(const MouseInput& input) override;

    static constexpr std::chrono::milliseconds kDefaultMaxSizeAge{1000};

private:
    bool EnsureDisplay();
    bool TakeRandrChanges();
    void ReadPrimarySize();

    std::string m_strDisplayName;
    WarningFn m_warn;
    std::chrono::milliseconds m_nMaxSizeAge;

    _XDisplay* m_pDisplay = nullptr;
    bool m_bTriedOpen = false;
    bool m_bHasRandr = false;
    int m_nRandrEventBase = 0;

    ScreenSize m_sizePrimary;
    bool m_bSizeKnown = false;
    std::chrono::steady_clock::time_point m_tpSizeRead;
    std::chrono::steady_clock::time_point m_tpEventsChecked;
    static constexpr std::chrono::milliseconds kEventCheckPeriod{50};
};
