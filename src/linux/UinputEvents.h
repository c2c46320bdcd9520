#pragma once

#include <vector>

#include "devices/TouchDevice.h"
#include "monitors/MonitorSource.h"
#include "touch/PointerOutput.h"

// One kernel input event as a uinput device writes it (type, code, value of struct
// input_event; the kernel stamps the time).
struct InputEventRecord {
    unsigned short nType = 0;
    unsigned short nCode = 0;
    int nValue = 0;

    bool operator==(const InputEventRecord&) const = default;
};

// Axis units per desktop pixel. Input stacks scale an absolute axis onto the screen and
// round down on the way (Xorg's libinput driver goes through 0..65535), so a pixel sent as
// one unit may land on the pixel before it. A pixel sent as the middle of its own units lands
// in it whatever such scaling rounds.
inline constexpr int kUinputUnitsPerPixel = 4;

// The smallest rectangle holding every monitor, in desktop pixels; empty ({0,0,0,0}) without
// monitors. The virtual pointer's axes span it, from 0 to its size in units less one.
ScreenRect MonitorBounds(const std::vector<MonitorInfo>& vecMonitors);

// The axis value of a desktop pixel: the middle of its units, counted from the box's edge.
int UinputAxisValue(int nPixel, int nBoxStart);

// The primary monitor's size: the monitor at the desktop's origin (where the primary one
// always stands), else the first; {0, 0} without monitors.
ScreenSize PrimaryMonitorSize(const std::vector<MonitorInfo>& vecMonitors);

// Turns pointer records into the events of an absolute pointer with a left and a right
// button whose axes span rcBounds in kUinputUnitsPerPixel units. It remembers where the pointer is
// and which buttons are down, so that a relative move can be made absolute and a device that goes
// away can let go of what it holds.
class CUinputEventStream {
public:
    explicit CUinputEventStream(const ScreenRect& rcBounds) : m_rcBounds(rcBounds) {}

    // The events for one record, ending with the one SYN_REPORT; nothing when the record
    // carries nothing (no move, no button).
    std::vector<InputEventRecord> Events(const MouseInput& input);
    // Releases of the buttons held down, with their SYN_REPORT; nothing when none is held.
    std::vector<InputEventRecord> ReleaseHeld();

    bool AnyHeld() const { return m_bLeftDown || m_bRightDown; }

private:
    ScreenRect m_rcBounds;
    int m_nX = 0;
    int m_nY = 0;
    bool m_bLeftDown = false;
    bool m_bRightDown = false;
};
