#pragma once

#include <QTableWidget>

#include "devices/DeviceListView.h"

// The device list of the main window (control 1001): four columns "Device name", "Monitor",
// "Com port", "Baud rate", a check box in front of each row, one selected row at a time
// (whole rows, visible without focus), grid lines, no editing in place.
//
// It turns Qt's mouse, key, model and selection signals into the list's events, in the order
// the rules expect them:
// - a left press lets Qt move the selection first, then reports the click (the row under the
//   mouse, or -1). Qt toggles a check box only on the release, so the click is always known
//   before the change it causes; a click taken from Qt's clicked() would come too late;
// - the space bar is reported as a key on the current row, whichever column holds the
//   current cell; the rules decide what it does;
// - every change of a check box (by the user or by SetCheck) and every change of a row's
//   selection reports OnDeviceListItemChanged synchronously, for each row concerned;
// - a double click reports OnDeviceListDblClick after Qt has handled it;
// - deleting a row leaves no row selected, so a second Remove cannot take a row the user
//   never chose.
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
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                       const QList<int>& roles);

    IDeviceListEvents* m_pEvents = nullptr;
};
