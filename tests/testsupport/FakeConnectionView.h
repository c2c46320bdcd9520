#pragma once

#include <functional>
#include <map>
#include <string>

#include "serial/ConnectionView.h"

// The connection's view without a window: the icon, tooltip, check boxes and Calibrate state
// as plain values, and a hook that stands for the list's item-changed handler.
class CFakeConnectionView final : public IConnectionView {
public:
    void SetTrayIcon(unsigned nIconId) override { m_nIcon = nIconId; }
    void SetTrayTooltip(const std::string& strText) override { m_strTooltip = strText; }
    bool GetRowCheck(int nRow) const override {
        const auto it = m_mapChecks.find(nRow);
        return it != m_mapChecks.end() && it->second;
    }
    void SetRowCheck(int nRow, bool bChecked) override {
        m_mapChecks[nRow] = bChecked;
        ++m_nCheckChanges;
        if (m_onCheckChanged) {
            m_onCheckChanged(nRow, bChecked);
        }
    }
    void EnableCalibrate(bool bEnable) override { m_bCalibrateEnabled = bEnable; }

    unsigned m_nIcon = 0;
    std::string m_strTooltip;
    std::map<int, bool> m_mapChecks;
    int m_nCheckChanges = 0;
    bool m_bCalibrateEnabled = false;
    std::function<void(int, bool)> m_onCheckChanged;
};
