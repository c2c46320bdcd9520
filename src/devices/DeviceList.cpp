#include "devices/DeviceList.h"

#include <utility>

#include "devices/DeviceSettingsValues.h"
#include "devices/LegacyText.h"

namespace {

enum Column { COLUMN_NAME, COLUMN_MONITOR, COLUMN_PORT, COLUMN_BAUD_RATE };

}  // namespace

CDeviceList::CDeviceList(IDeviceListView& view, CDeviceLines& arrDeviceLines,
                         TouchDevice& activeDevice, IDeviceListHost& host)
    : m_view(view), m_arrDeviceLines(arrDeviceLines), m_activeDevice(activeDevice), m_host(host) {}

TouchDevice CDeviceList::ParseLine(int nRow) const {
    return ParseDeviceLine(m_arrDeviceLines.GetAt(nRow));
}

void CDeviceList::StoreLine(int nRow, const TouchDevice& device) {
    m_arrDeviceLines.SetAt(nRow, FormatDeviceLine(device));
}

void CDeviceList::SetLineConnect(int nRow, int bConnect) {
    TouchDevice device = ParseLine(nRow);
    device.m_bConnect = bConnect;
    StoreLine(nRow, device);
}

void CDeviceList::ShowDevice(int nRow, const TouchDevice& device) {
    SetDeviceRow(nRow, device.m_strName, device.m_strMonitor, device.m_strPort,
                 device.m_strBaudRate, device.m_bConnect);
}

bool CDeviceList::FillDeviceList() {
    for (int i = 0; i < m_arrDeviceLines.GetSize(); ++i) {
        const TouchDevice device = ParseLine(i);
        m_view.InsertItem(i, ShownField(device.m_strName));
        ShowDevice(i, device);
    }
    UpdateButtons();
    return true;
}

void CDeviceList::SetDeviceRow(int nRow, std::string strName, std::string strMonitor,
                               std::string strPort, std::string strBaudRate, int bConnect) {
    // The line keeps every byte; the row shows what fits a row (see ShownField).
    m_view.SetItemText(nRow, COLUMN_NAME, ShownField(strName));
    m_view.SetItemText(nRow, COLUMN_MONITOR, ShownField(strMonitor));
    m_view.SetItemText(nRow, COLUMN_PORT, ShownField(strPort));
    m_view.SetItemText(nRow, COLUMN_BAUD_RATE, ShownField(strBaudRate));
    m_view.SetCheck(nRow, bConnect != 0);
}

bool CDeviceList::SelectActiveDevice(int nRow) {
    if (nRow == -1) {
        for (int i = 0; i < m_view.GetItemCount(); ++i) {
            if (m_view.GetCheck(i)) {
                m_activeDevice = ParseLine(i);
                m_activeDevice.m_nIndex = static_cast<std::int16_t>(i);
                return true;
            }
        }
        return false;
    }
    m_activeDevice = ParseLine(nRow);
    m_activeDevice.m_nIndex = static_cast<std::int16_t>(nRow);
    for (int i = 0; i < m_view.GetItemCount(); ++i) {
        if (i != nRow && m_view.GetCheck(i)) {
            SetLineConnect(i, 0);
            m_view.SetCheck(i, false);
        }
    }
    return true;
}

// Brings Modify and Remove up to date however the command it guards returns.
class CDeviceList::CButtonUpdate {
public:
    explicit CButtonUpdate(CDeviceList& list) : m_list(list) {}
    ~CButtonUpdate() { m_list.UpdateButtons(); }
    CButtonUpdate(const CButtonUpdate&) = delete;
    CButtonUpdate& operator=(const CButtonUpdate&) = delete;

private:
    CDeviceList& m_list;
};

void CDeviceList::UpdateButtons() {
    m_host.EnableModifyRemove(m_view.GetFirstSelected() >= 0);
}

void CDeviceList::OnAdd() {
    const CButtonUpdate update(*this);
    DeviceSettingsValues values;
    if (!m_host.RunDeviceSettings(values, false)) {
        return;
    }
    TouchDevice device;
    StoreValues(values, device);
    const int nRow = m_view.GetItemCount();
    device.m_nIndex = static_cast<std::int16_t>(nRow);
    m_arrDeviceLines.Add(FormatDeviceLine(device));
    m_view.InsertItem(nRow, ShownField(device.m_strName));
    ShowDevice(nRow, device);
    if (device.m_bConnect) {
        SelectActiveDevice(nRow);
        m_host.Connect(true, true);
    }
}

void CDeviceList::OnModify() {
    const CButtonUpdate update(*this);
    const int nSel = m_view.GetFirstSelected();
    if (nSel < 0 || nSel >= m_arrDeviceLines.GetSize()) {
        return;
    }
    TouchDevice device = ParseLine(nSel);
    DeviceSettingsValues values = ValuesFromDevice(device);
    if (!m_host.RunDeviceSettings(values, true)) {
        return;
    }
    StoreValues(values, device);
    StoreLine(nSel, device);
    // Unticking and ticking again makes a ticked clicked row reconnect with its new values
    // (the item-changed handler sees a tick from state 0); a cleared flag disconnects it.
    if (device.m_bConnect) {
        m_view.SetCheck(nSel, false);
        m_nClickCheck = 0;
    }
    ShowDevice(nSel, device);
    m_view.SetCheck(nSel, device.m_bConnect != 0);
}

void CDeviceList::OnRemove() {
    const CButtonUpdate update(*this);
    const int nSel = m_view.GetFirstSelected();
    if (nSel < 0 || nSel >= m_arrDeviceLines.GetSize()) {
        return;
    }
    if (nSel == m_activeDevice.m_nIndex) {
        m_host.Connect(false, true);
    } else if (nSel < m_activeDevice.m_nIndex) {
        --m_activeDevice.m_nIndex;
    }
    m_arrDeviceLines.RemoveAt(nSel);
    for (int i = 0; i < m_arrDeviceLines.GetSize(); ++i) {
        TouchDevice device = ParseLine(i);
        device.m_nIndex = static_cast<std::int16_t>(i);
        StoreLine(i, device);
    }
    m_view.DeleteItem(nSel);
    m_host.UpdateData(false);
}

void CDeviceList::OnDeviceListClick(int nItem) {
    const CButtonUpdate update(*this);
    m_nClickCheck = -1;
    if (nItem < 0) {
        return;
    }
    m_nClickedItem = nItem;
    m_nClickCheck = m_view.GetCheck(nItem) ? 1 : 0;
    m_view.SelectItem(nItem);
}

void CDeviceList::OnDeviceListDblClick() {
    OnModify();
}

bool CDeviceList::OnDeviceListKey(int nFocusedItem, DeviceListKey key) {
    if (key != DeviceListKey::Space) {
        return false;
    }
    if (nFocusedItem >= 0 && nFocusedItem < m_view.GetItemCount()) {
        OnDeviceListClick(nFocusedItem);
        m_view.SetCheck(nFocusedItem, !m_view.GetCheck(nFocusedItem));
    }
    return true;
}

void CDeviceList::OnDeviceListItemChanged(int nItem) {
    const CButtonUpdate update(*this);
    if (nItem != m_nClickedItem) {
        return;
    }
    // While Remove deletes a row, its line is gone already; the clicked row may have been the
    // last one.
    if (m_view.GetItemCount() > m_arrDeviceLines.GetSize() ||
        m_nClickedItem >= m_arrDeviceLines.GetSize()) {
        return;
    }
    m_nNewCheck = m_view.GetCheck(m_nClickedItem) ? 1 : 0;
    SetLineConnect(m_nClickedItem, m_nNewCheck);
    if (m_nClickCheck != -1 && m_nNewCheck > m_nClickCheck) {
        // The ticked row itself becomes the active device, not merely the lowest ticked one.
        // Connecting disconnects whatever was connected first.
        SelectActiveDevice(nItem);
        m_host.Connect(true, true);
        m_nClickCheck = 1;
    } else if (m_nClickCheck != -1 && m_nNewCheck < m_nClickCheck &&
               nItem == m_activeDevice.m_nIndex) {
        // Unticking a row that is not the active device (a second ticked line from the file)
        // must not take the active one off line.
        m_host.Connect(false, true);
    }
}
