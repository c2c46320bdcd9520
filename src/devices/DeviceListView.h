#pragma once

#include <string>

// The list control of the device list, as the list's rules need it: rows of four texts with
// a check box, one selected row at most. The Qt list is CDeviceListCtrl; tests use a fake.
class IDeviceListView {
public:
    virtual ~IDeviceListView() = default;

    virtual int GetItemCount() const = 0;
    // Inserts a row at nRow with strName in column 0, the other columns empty, unticked.
    virtual void InsertItem(int nRow, const std::string& strName) = 0;
    virtual void SetItemText(int nRow, int nColumn, const std::string& strText) = 0;
    virtual bool GetCheck(int nRow) const = 0;
    // A change of the check box, by the user or by this call, reaches
    // IDeviceListEvents::OnDeviceListItemChanged before the call returns: the rules, and the
    // connection when it ticks or unticks the active row, rely on that. Setting the state a
    // row already has reports nothing.
    virtual void SetCheck(int nRow, bool bChecked) = 0;
    virtual void SelectItem(int nRow) = 0;
    // The first selected row, or -1.
    virtual int GetFirstSelected() const = 0;
    virtual void DeleteItem(int nRow) = 0;
};

// The keys the list's rules act on; a view reports these and handles every other key itself.
enum class DeviceListKey { Space };

// What the list control reports, in this order for a click on a check box: the click (on
// the mouse press, after the press has moved the selection), then the change of the check
// box, so that ticking any row acts at once.
class IDeviceListEvents {
public:
    virtual ~IDeviceListEvents() = default;
    // nItem: the row under the mouse, or -1 when the click hit no row.
    virtual void OnDeviceListClick(int nItem) = 0;
    virtual void OnDeviceListDblClick() = 0;
    // The check box or the selection of row nItem changed.
    virtual void OnDeviceListItemChanged(int nItem) = 0;
    // A key pressed in the list; nFocusedItem is the row holding the focus, or -1. True when
    // the rules took the key: the view then gives it none of its own handling (a list
    // control's own Space toggle would tick a row behind the rules' back).
    virtual bool OnDeviceListKey(int nFocusedItem, DeviceListKey key) = 0;
};
