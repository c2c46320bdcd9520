#include "monitors/Monitor.h"

#include <algorithm>

void CMonitor::GetDeviceName(std::string& strDeviceName) const {
    strDeviceName = m_hMonitor.strDeviceName;
}

void CMonitor::GetMonitorRect(ScreenRect* pRect) const {
    if (pRect) {
        *pRect = m_hMonitor.rcMonitor;
    }
}

std::string MonitorName(const std::string& strDeviceName) {
    std::string strName = strDeviceName;
    std::erase_if(strName, [](char ch) { return ch == '\\' || ch == '.'; });
    return strName;
}
