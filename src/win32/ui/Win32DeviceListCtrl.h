#pragma once

#include "devices/DeviceListView.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

// The device list (control 1001 of the Device Manager) on a Windows list view in report
// style with check boxes: four columns, single selection, the selection shown without focus.
//
// The list's events come in the order the device list's rules need: the press on a row (from
// the control's own mouse press, after the row is selected and before the control toggles the
// box), then the change of the check box or of a row's selection (LVN_ITEMCHANGED with a new
// state image or selected state). Space is the rules' key, not the control's. The dialog hands
// the list's notifications to OnNotify.
class CWin32DeviceListCtrl final : public IDeviceListView {
public:
    CWin32DeviceListCtrl() = default;
    ~CWin32DeviceListCtrl() override;
    CWin32DeviceListCtrl(const CWin32DeviceListCtrl&) = delete;
    CWin32DeviceListCtrl& operator=(const CWin32DeviceListCtrl&) = delete;

    // Takes over the list view hList: styles, columns, the mouse press.
    void Attach(HWND hList);
    void SetEventHandler(IDeviceListEvents* pEvents) { m_pEvents = pEvents; }
    // A WM_NOTIFY from the list; true when it was the list's.
    bool OnNotify(const NMHDR& header);

    int GetItemCount() const override;
    void InsertItem(int nRow, const std::string& strName) override;
    void SetItemText(int nRow, int nColumn, const std::string& strText) override;
    bool GetCheck(int nRow) const override;
    void SetCheck(int nRow, bool bChecked) override;
    void SelectItem(int nRow) override;
    int GetFirstSelected() const override;
    void DeleteItem(int nRow) override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR nId, DWORD_PTR nData);

    HWND m_hList = nullptr;
    IDeviceListEvents* m_pEvents = nullptr;
    // A row is being inserted: its first check-box state is no change.
    bool m_bInserting = false;
    // The rules took the last Space: its character is theirs too.
    bool m_bSpaceTaken = false;
};
