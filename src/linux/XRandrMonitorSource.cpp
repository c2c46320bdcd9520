#include "linux/XRandrMonitorSource.h"

#include <X11/Xlib.h>

#include <utility>

#include "linux/XRandrQuery.h"

CXRandrMonitorSource::CXRandrMonitorSource(std::string strDisplayName)
    : m_strDisplayName(std::move(strDisplayName)) {}

CXRandrMonitorSource::CXRandrMonitorSource(_XDisplay* pDisplay) : m_pDisplay(pDisplay) {}

std::vector<MonitorInfo> CXRandrMonitorSource::EnumMonitors() {
    Display* pDisplay = m_pDisplay ? m_pDisplay : OpenXDisplay(m_strDisplayName);
    std::vector<MonitorInfo> vecInfos;
    for (RandrMonitor& monitor : QueryRandrMonitors(pDisplay, true)) {
        vecInfos.push_back(std::move(monitor.info));
    }
    if (pDisplay && !m_pDisplay) {
        XCloseDisplay(pDisplay);
    }
    return vecInfos;
}
