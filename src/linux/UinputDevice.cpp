#include "linux/UinputDevice.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <cstring>

namespace {

// Units per millimetre: 4 pixels per millimetre (about 100 pixels per inch, a desktop
// monitor's density) in axis units. Input stacks use it only to turn distances into physical
// ones (acceleration, gestures), which an absolute pointer does not have; without any,
// libinput warns and guesses.
constexpr int kResolution = 4 * kUinputUnitsPerPixel;

class CLibevdevPointer final : public IUinputDevice {
public:
    CLibevdevPointer(libevdev* pDevice, libevdev_uinput* pUinput)
        : m_pDevice(pDevice), m_pUinput(pUinput) {}
    ~CLibevdevPointer() override {
        libevdev_uinput_destroy(m_pUinput);
        libevdev_free(m_pDevice);
    }
    CLibevdevPointer(const CLibevdevPointer&) = delete;
    CLibevdevPointer& operator=(const CLibevdevPointer&) = delete;

    bool Write(const std::vector<InputEventRecord>& vecEvents, std::string& strError) override {
        for (const InputEventRecord& event : vecEvents) {
            const int nResult =
                libevdev_uinput_write_event(m_pUinput, event.nType, event.nCode, event.nValue);
            if (nResult < 0) {
                strError = std::strerror(-nResult);
                return false;
            }
        }
        return true;
    }

private:
    libevdev* m_pDevice;
    libevdev_uinput* m_pUinput;
};

}  // namespace

std::unique_ptr<IUinputDevice> MakeLibevdevPointer(const ScreenRect& rcBounds,
                                                   std::string& strError) {
    libevdev* pDevice = libevdev_new();
    if (!pDevice) {
        strError = "out of memory";
        return nullptr;
    }
    libevdev_set_name(pDevice, kUinputPointerName);
    libevdev_set_id_bustype(pDevice, BUS_VIRTUAL);
    libevdev_set_id_vendor(pDevice, kUinputPointerVendor);
    libevdev_set_id_product(pDevice, kUinputPointerProduct);
    libevdev_set_id_version(pDevice, kUinputPointerVersion);
    libevdev_enable_property(pDevice, INPUT_PROP_POINTER);
    libevdev_enable_event_type(pDevice, EV_KEY);
    libevdev_enable_event_code(pDevice, EV_KEY, BTN_LEFT, nullptr);
    libevdev_enable_event_code(pDevice, EV_KEY, BTN_RIGHT, nullptr);
    libevdev_enable_event_type(pDevice, EV_ABS);
    input_absinfo absX{};
    absX.minimum = 0;
    absX.maximum = (rcBounds.right - rcBounds.left) * kUinputUnitsPerPixel - 1;
    absX.resolution = kResolution;
    input_absinfo absY = absX;
    absY.maximum = (rcBounds.bottom - rcBounds.top) * kUinputUnitsPerPixel - 1;
    libevdev_enable_event_code(pDevice, EV_ABS, ABS_X, &absX);
    libevdev_enable_event_code(pDevice, EV_ABS, ABS_Y, &absY);

    libevdev_uinput* pUinput = nullptr;
    const int nResult =
        libevdev_uinput_create_from_device(pDevice, LIBEVDEV_UINPUT_OPEN_MANAGED, &pUinput);
    if (nResult < 0) {
        strError = std::string("/dev/uinput: ") + std::strerror(-nResult);
        libevdev_free(pDevice);
        return nullptr;
    }
    return std::make_unique<CLibevdevPointer>(pDevice, pUinput);
}

bool CanOpenUinput(const std::string& strPath) {
    const int fd = open(strPath.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}
