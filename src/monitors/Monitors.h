#pragma once

#include <vector>

#include "monitors/Monitor.h"
#include "monitors/MonitorSource.h"

// The system's display monitors at the moment of construction, in the system's order.
//
// A list is made for one command (a dialog filling its Monitor box, a calibration looking up
// its monitor's rectangle) and dropped after it; a monitor attached later is seen by the next
// list. Count and contents come from one query of the source, so the count always matches
// the monitors enumerated and no slot is left empty.
//
// Typical use:
//     CMonitors monitors(source);
//     for (int i = 0; i < monitors.GetCount(); ++i) {
//         std::string strDevice;
//         monitors.GetMonitor(i).GetDeviceName(strDevice);
//         if (MonitorName(strDevice) == device.m_strMonitor) ...
//     }
class CMonitors {
public:
    explicit CMonitors(IMonitorSource& source);

    int GetCount() const { return static_cast<int>(m_arrMonitors.size()); }
    // A copy of the monitor at nIndex; std::invalid_argument outside 0 .. GetCount() - 1.
    CMonitor GetMonitor(int nIndex) const;

private:
    std::vector<CMonitor> m_arrMonitors;
};
