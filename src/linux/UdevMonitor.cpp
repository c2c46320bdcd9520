#include "linux/UdevMonitor.h"

#include <libudev.h>
#include <unistd.h>

namespace {

// udevd's control socket: present exactly while udevd runs and announces devices.
constexpr const char* UDEVD_CONTROL = "/run/udev/control";

}  // namespace

CUdevMonitor::CUdevMonitor() {
    if (access(UDEVD_CONTROL, F_OK) != 0) {
        return;
    }
    m_pUdev = udev_new();
    if (m_pUdev == nullptr) {
        return;
    }
    // "udev", not "kernel": udev's announcement comes after its rules ran, so the by-id link
    // that a COMn link points through exists by then.
    m_pMonitor = udev_monitor_new_from_netlink(m_pUdev, "udev");
    if (m_pMonitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(m_pMonitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_pMonitor) < 0) {
        if (m_pMonitor != nullptr) {
            udev_monitor_unref(m_pMonitor);
            m_pMonitor = nullptr;
        }
    }
}

CUdevMonitor::~CUdevMonitor() {
    if (m_pMonitor != nullptr) {
        udev_monitor_unref(m_pMonitor);
    }
    if (m_pUdev != nullptr) {
        udev_unref(m_pUdev);
    }
}

int CUdevMonitor::Fd() const {
    return m_pMonitor ? udev_monitor_get_fd(m_pMonitor) : -1;
}

bool CUdevMonitor::ReadEvent(Event& event) {
    if (m_pMonitor == nullptr) {
        return false;
    }
    // The monitor's socket is non-blocking: no announcement gives nullptr at once.
    udev_device* pDevice = udev_monitor_receive_device(m_pMonitor);
    if (pDevice == nullptr) {
        return false;
    }
    const char* szAction = udev_device_get_action(pDevice);
    const char* szNode = udev_device_get_devnode(pDevice);
    event.strAction = szAction ? szAction : "";
    event.strDevNode = szNode ? szNode : "";
    udev_device_unref(pDevice);
    return true;
}
