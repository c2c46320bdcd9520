#pragma once

#include <utility>
#include <vector>

#include "monitors/MonitorSource.h"

// A fixed monitor list; SetMonitors changes what the next CMonitors sees.
class CFakeMonitorSource final : public IMonitorSource {
public:
    CFakeMonitorSource() = default;
    explicit CFakeMonitorSource(std::vector<MonitorInfo> vecMonitors)
        : m_vecMonitors(std::move(vecMonitors)) {}

    std::vector<MonitorInfo> EnumMonitors() override {
        ++m_nCalls;
        return m_vecMonitors;
    }
    void SetMonitors(std::vector<MonitorInfo> vecMonitors) {
        m_vecMonitors = std::move(vecMonitors);
    }
    int Calls() const { return m_nCalls; }

private:
    std::vector<MonitorInfo> m_vecMonitors;
    int m_nCalls = 0;
};
