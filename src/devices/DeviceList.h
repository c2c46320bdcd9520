#pragma once

#include <string>

#include "devices/DeviceLines.h"
#include "devices/DeviceListHost.h"
#include "devices/DeviceListView.h"
#include "devices/TouchDevice.h"

// The rules of the device list: one row per settings line, Add, Modify and Remove, and the
// check boxes that choose the active device. At most one device is connected, the one in the
// active device record; a ticked check box asks for it.
//
// A change is a change of a row's check box or of its selection; the view reports both. The
// list acts on changes of the clicked row only, comparing with the state that
// row had when it was clicked (m_nClickCheck); changes to other rows, such as the rules'
// own unticking, only store the new state in the row's line.
//
//   change reported for               | click check | new check | effect
//   ----------------------------------+-------------+-----------+------------------------------
//   a row other than the clicked one  |      -      |     -     | ignored
//   the clicked row                   |     -1      |    any    | line's connect flag stored
//   the clicked row                   |      0      |     1     | every other row unticked and
//                                     |             |           | cleared, the row made active
//                                     |             |           | and connected; click check 1
//   the clicked row, the active one   |      1      |     0     | disconnected
//   the clicked row, another one      |      1      |     0     | line's connect flag stored
//   the clicked row                   |   equal to new check    | line's connect flag stored
//   any row while Remove deletes one  |      -      |     -     | ignored (its line is gone)
//
// Ticking makes the ticked row itself the active device, even when other rows were ticked
// already (two ticked lines in the file leave two ticked rows at start-up), and unticking
// such another row leaves the active device connected.
//
// The space bar is a click on the check box of the row holding the focus: the click is
// recorded first, then the box toggles, so a keyboard tick connects as a mouse tick does and
// a second Space disconnects. Whatever the view's control would do with Space itself, the
// rules take the key.
//
// Modify and Remove are enabled exactly while a row is selected: after every change the view
// reports, every click and every command of the list.
//
// Changes stay in the lines in memory; the main window's OK writes them to the file.
// User-interface thread only.
class CDeviceList final : public IDeviceListEvents {
public:
    CDeviceList(IDeviceListView& view, CDeviceLines& arrDeviceLines, TouchDevice& activeDevice,
                IDeviceListHost& host);

    // One row per line. Always true.
    bool FillDeviceList();
    // The four column texts of the row, then its check box.
    void SetDeviceRow(int nRow, std::string strName, std::string strMonitor, std::string strPort,
                      std::string strBaudRate, int bConnect);
    // nRow >= 0: that row's device becomes the active device; every other ticked row is
    //   unticked and its line's connect flag cleared. Always true. Connects nothing.
    // nRow == -1: the lowest ticked row's device becomes the active device (other ticked rows
    //   stay ticked); false, with the active device unchanged, when no row is ticked.
    // The active device's m_nIndex is set to its row, whatever its line says, so that the
    // connection ticks and unticks the right row.
    bool SelectActiveDevice(int nRow);

    // Buttons Add, Modify, Remove.
    void OnAdd();
    void OnModify();
    void OnRemove();

    // IDeviceListEvents
    void OnDeviceListClick(int nItem) override;
    void OnDeviceListDblClick() override;
    void OnDeviceListItemChanged(int nItem) override;
    bool OnDeviceListKey(int nFocusedItem, DeviceListKey key) override;

    int ClickedItem() const { return m_nClickedItem; }
    int ClickCheck() const { return m_nClickCheck; }

private:
    TouchDevice ParseLine(int nRow) const;
    void StoreLine(int nRow, const TouchDevice& device);
    void SetLineConnect(int nRow, int bConnect);
    void ShowDevice(int nRow, const TouchDevice& device);
    void UpdateButtons();
    class CButtonUpdate;

    IDeviceListView& m_view;
    CDeviceLines& m_arrDeviceLines;
    TouchDevice& m_activeDevice;
    IDeviceListHost& m_host;

    int m_nClickedItem = 0;  // the row last clicked
    int m_nClickCheck = -1;  // its check state at the click; -1 after a click beside the rows
    int m_nNewCheck = 0;     // the check state the item-changed handler read
};
