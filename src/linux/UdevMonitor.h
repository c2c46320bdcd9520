#pragma once

#include <memory>
#include <string>

struct udev;
struct udev_monitor;

// Tells when serial devices come and go, from udev's own announcements: an adapter plugged
// back in is known the moment udev has made its node and links, with no polling. Without
// udevd (a container, a minimal system) nothing is announced and IsWatching() is false, so
// the caller keeps its own retries.
class CUdevMonitor {
public:
    CUdevMonitor();
    ~CUdevMonitor();
    CUdevMonitor(const CUdevMonitor&) = delete;
    CUdevMonitor& operator=(const CUdevMonitor&) = delete;

    bool IsWatching() const { return m_pMonitor != nullptr; }
    // Readable when an announcement waits; -1 when not watching.
    int Fd() const;

    struct Event {
        std::string strAction;   // "add", "remove", "change", ...
        std::string strDevNode;  // "/dev/ttyUSB0"
    };
    // Takes one waiting announcement without blocking; false when none waits.
    bool ReadEvent(Event& event);

private:
    udev* m_pUdev = nullptr;
    udev_monitor* m_pMonitor = nullptr;
};
