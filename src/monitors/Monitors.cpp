#include "monitors/Monitors.h"

#include <stdexcept>
#include <string>

CMonitors::CMonitors(IMonitorSource& source) {
    const std::vector<MonitorInfo> vecInfos = source.EnumMonitors();
    m_arrMonitors.resize(vecInfos.size());
    for (std::size_t i = 0; i < vecInfos.size(); ++i) {
        m_arrMonitors[i].Attach(vecInfos[i]);
    }
}

CMonitor CMonitors::GetMonitor(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount()) {
        throw std::invalid_argument("monitor index " + std::to_string(nIndex) + " outside 0.." +
                                    std::to_string(GetCount() - 1));
    }
    return m_arrMonitors[static_cast<std::size_t>(nIndex)];
}
