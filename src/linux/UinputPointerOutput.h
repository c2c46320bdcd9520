#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "linux/UinputDevice.h"
#include "linux/UinputEvents.h"
#include "monitors/MonitorSource.h"
#include "touch/PointerOutput.h"

// Pointer input through the kernel: one uinput device, so the pointer moves on every
// session (X11 through its libinput or evdev driver, Wayland compositors through libinput,
// the text console) rather than only on an X server.
//
// The device's axes span the bounding box of the monitors last given to SetMonitors. A
// layout change makes the device anew (an absolute device's range is fixed once made),
// after letting go of any button held on the old one, so nothing stays pressed.
//
// One object serves every thread (the reader thread and the user-interface thread): the
// calls are serialised, and there is only one pointer for the desktop to see.
class CUinputPointerOutput final : public IPointerOutput {
public:
    using DeviceMaker =
        std::function<std::unique_ptr<IUinputDevice>(const ScreenRect&, std::string&)>;
    using WarningFn = std::function<void(const std::string&)>;

    // make: MakeLibevdevPointer outside tests. warn gets one line per failure (not per
    // record); stderr by default.
    explicit CUinputPointerOutput(DeviceMaker make = MakeLibevdevPointer, WarningFn warn = {});

    // Any thread. The monitors the pointer must reach; an unchanged box keeps the device.
    void SetMonitors(const std::vector<MonitorInfo>& vecMonitors);
    // Whether a device exists now.
    bool HasDevice() const;

    ScreenSize PrimaryScreenSize() override;
    void SendInput(const MouseInput& input) override;

private:
    void Write(const std::vector<InputEventRecord>& vecEvents);

    DeviceMaker m_make;
    WarningFn m_warn;
    mutable std::mutex m_mutex;
    ScreenRect m_rcBounds;
    ScreenSize m_sizePrimary;
    std::unique_ptr<IUinputDevice> m_pDevice;
    std::optional<CUinputEventStream> m_stream;
    bool m_bWarned = false;
};
