#pragma once

#include <QTableWidget>

#include "devices/DeviceListView.h"

// The device list of the main window (control 1001): four columns "Device name", "Monitor",
// "Com port", "Baud rate", a check box in front of each row, one selected row at a time
// (whole rows, visible without focus), grid lines, no editing in place.
//
// It turns Qt's mouse and model signals into the list's events:
// - a left press reports the click (the row under the mouse, or -1), before Qt handles the
//   press. Qt toggles a check box on the release and reports the click after that, so a
//   click taken from Qt's clicked() would come too late for the change it caused;
// - every change of a check box, by the user (mouse or space bar) or by SetCheck, reports
//   OnDeviceListItemChanged synchronously, from the model's dataChanged;
// - a double click reports OnDeviceListDblClick after Qt has handled it.
class CDeviceListCtrl final : public QTableWidget, public IDeviceListView {
    Q_OBJECT
public:
    explicit CDeviceListCtrl(QWidget* pParent = nullptr);

    // Where the events go; nullptr stops them.
    void SetEventHandler(IDeviceListEvents* pEvents) { m_pEvents = pEvents; }

    // IDeviceListView
    int GetItemCount() const override;
    void InsertItem(int nRow, const std::string& strName) override;
    void SetItemText(int nRow, int nColumn, const std::string& strText) override;
    bool GetCheck(int nRow) const override;
    void SetCheck(int nRow, bool bChecked) override;
    void SelectItem(int nRow) override;
    int GetFirstSelected() const override;
    void DeleteItem(int nRow) override;

    static constexpr int COLUMN_COUNT = 4;

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;

private:
    void OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                       const QList<int>& roles);

    IDeviceListEvents* m_pEvents = nullptr;
};
