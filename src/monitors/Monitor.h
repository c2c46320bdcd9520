#pragma once

#include <string>

#include "monitors/MonitorSource.h"

// One display monitor of a CMonitors list.
//
// Where the system's monitor handle would be, a CMonitor keeps the monitor's record as the
// monitor source reported it (device name and rectangle). A default CMonitor stands for no
// monitor: its name is empty and its rectangle all zero, which is what the users of a list
// find for a slot the enumeration never filled.
class CMonitor {
public:
    CMonitor() = default;

    void Attach(const MonitorInfo& hMonitor) { m_hMonitor = hMonitor; }
    // The device name as the system gives it, e.g. "screen" or "DP-1".
    void GetDeviceName(std::string& strDeviceName) const;
    // The whole monitor in root-window pixels, right and bottom exclusive.
    void GetMonitorRect(ScreenRect* pRect) const;

private:
    MonitorInfo m_hMonitor;
};

// The name by which a monitor is shown, stored in a device record and compared: the device
// name without any '\' or '.', wherever they stand ("\\.\DISPLAY2" gives "DISPLAY2"). Names
// stored by earlier versions of the program were made this way, so the rule stays even where
// the system's names hold no such characters. Two names are compared with == (exact, case
// matters).
std::string MonitorName(const std::string& strDeviceName);
