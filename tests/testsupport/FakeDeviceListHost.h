#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "devices/DeviceListHost.h"
#include "devices/DeviceListView.h"
#include "devices/TouchDevice.h"

// The main window's side of the device list without a port: Connect behaves as the device
// connection does towards the list (disconnect first; success ticks the active device's row,
// failure and disconnecting untick it, through the view), and the Device Settings dialog is
// a function the test provides.
class CFakeDeviceListHost final : public IDeviceListHost {
public:
    struct ConnectCall {
        bool bConnect;
        bool bShowErrors;
        std::string strDevice;  // the active device's name at the call
    };
    struct DialogCall {
        DeviceSettingsValues values;  // as the dialog was given them
        bool bModify;
    };

    CFakeDeviceListHost(IDeviceListView& view, TouchDevice& activeDevice)
        : m_view(view), m_activeDevice(activeDevice) {}

    void Connect(bool bConnect, bool bShowErrors) override {
        m_vecConnects.push_back({bConnect, bShowErrors, m_activeDevice.m_strName});
        m_strConnected.clear();
        const int nRow = m_activeDevice.m_nIndex;
        if (bConnect && !m_setFailingPorts.count(m_activeDevice.m_strPort)) {
            m_strConnected = m_activeDevice.m_strName;
            m_activeDevice.m_bConnect = 1;
            if (nRow >= 0 && nRow < m_view.GetItemCount() && !m_view.GetCheck(nRow)) {
                m_view.SetCheck(nRow, true);
            }
            return;
        }
        m_activeDevice.m_bConnect = 0;
        if (nRow >= 0 && nRow < m_view.GetItemCount() && m_view.GetCheck(nRow)) {
            m_view.SetCheck(nRow, false);
        }
    }
    bool UpdateData(bool bSaveAndValidate) override {
        m_vecUpdateData.push_back(bSaveAndValidate);
        return true;
    }
    bool RunDeviceSettings(DeviceSettingsValues& values, bool bModify) override {
        m_vecDialogs.push_back({values, bModify});
        return m_runDialog ? m_runDialog(values) : false;
    }

    // The dialog: edits the values and returns true for Save; unset means Cancel.
    void EnableModifyRemove(bool bEnable) override { m_bModifyRemoveEnabled = bEnable; }

    std::function<bool(DeviceSettingsValues&)> m_runDialog;
    bool m_bModifyRemoveEnabled = true;       // as a window starts, before the list says
    std::set<std::string> m_setFailingPorts;  // ports that do not open

    std::vector<ConnectCall> m_vecConnects;
    std::vector<bool> m_vecUpdateData;
    std::vector<DialogCall> m_vecDialogs;
    std::string m_strConnected;  // the device that is connected now, or empty

private:
    IDeviceListView& m_view;
    TouchDevice& m_activeDevice;
};
