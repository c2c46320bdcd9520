#pragma once

#include <memory>
#include <string>
#include <vector>

#include "devices/TouchDevice.h"
#include "linux/UinputEvents.h"

// A virtual input device in the kernel, made through /dev/uinput. Gone with the object.
class IUinputDevice {
public:
    virtual ~IUinputDevice() = default;
    // Writes the events in order; false (errno-like text in strError) when the kernel refused.
    virtual bool Write(const std::vector<InputEventRecord>& vecEvents, std::string& strError) = 0;
};

// The name every session's input stack shows for Tactilo's pointer.
inline constexpr const char* kUinputPointerName = "Tactilo pointer";

// The pointer's ids, on the virtual bus (BUS_VIRTUAL). Ours, fixed for good: compositors
// name input devices by vendor, product and name (sway: "21569:1:Tactilo_pointer"), and a
// user's rule that maps the pointer to an output must survive an upgrade. 0x5441 is "TA";
// no USB vendor's ids can clash on the virtual bus.
inline constexpr int kUinputPointerVendor = 0x5441;
inline constexpr int kUinputPointerProduct = 0x0001;
inline constexpr int kUinputPointerVersion = 0x0001;

// Makes "Tactilo pointer" through libevdev: an absolute pointer (not a touchscreen: the
// clicks are Tactilo's own) with ABS_X and ABS_Y spanning rcBounds in kUinputUnitsPerPixel
// units per pixel, BTN_LEFT and BTN_RIGHT. nullptr, with the reason in strError, when /dev/uinput
// refuses.
std::unique_ptr<IUinputDevice> MakeLibevdevPointer(const ScreenRect& rcBounds,
                                                   std::string& strError);

// Whether strPath (normally /dev/uinput) opens for reading and writing, as making a device
// needs.
bool CanOpenUinput(const std::string& strPath = "/dev/uinput");
