#include "win32/ui/Win32DeviceListCtrl.h"

#include <commctrl.h>

#include <string>

#include "devices/LegacyText.h"
#include "win32/Win32Text.h"

namespace {

struct Column {
    const wchar_t* szTitle;
    int nWidth;  // pixels
};
constexpr Column g_columns[] = {
    {L"Device name", 138}, {L"Monitor", 90}, {L"Com port", 60}, {L"Baud rate", 60}};

// The check box lives in the state image: 1 unticked, 2 ticked.
bool CheckFromState(UINT nState) {
    return ((nState & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

}  // namespace

CWin32DeviceListCtrl::~CWin32DeviceListCtrl() {
    if (m_hList) {
        RemoveWindowSubclass(m_hList, SubclassProc, 1);
    }
}

void CWin32DeviceListCtrl::Attach(HWND hList) {
    m_hList = hList;
    ListView_SetExtendedListViewStyle(hList,
                                      LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = g_columns[i].nWidth;
        column.pszText = const_cast<wchar_t*>(g_columns[i].szTitle);
        SendMessageW(hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    SetWindowSubclass(hList, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

// The press moves the selection, then reaches the rules, before the control acts on it (a
// press on a check box toggles it inside the control's own handling of the press): the order
// the rules need, and the one the Qt list gives. Space goes to the rules, which tick the
// focused row themselves; the control's own toggle, and the incremental search its character
// would start, never run when they take it.
LRESULT CALLBACK CWin32DeviceListCtrl::SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam,
                                                    LPARAM lParam, UINT_PTR, DWORD_PTR nData) {
    auto* pThis = reinterpret_cast<CWin32DeviceListCtrl*>(nData);
    if ((nMsg == WM_LBUTTONDOWN || nMsg == WM_LBUTTONDBLCLK) && pThis->m_pEvents) {
        LVHITTESTINFO hit = {};
        hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const int nItem = ListView_SubItemHitTest(hWnd, &hit);
        if (nItem >= 0) {
            pThis->SelectItem(nItem);
        }
        pThis->m_pEvents->OnDeviceListClick(nItem);
    } else if (nMsg == WM_KEYDOWN && wParam == VK_SPACE && pThis->m_pEvents) {
        // With or without modifiers: no modifier may let the control toggle a box itself.
        const int nFocused = ListView_GetNextItem(hWnd, -1, LVNI_FOCUSED);
        pThis->m_bSpaceTaken = pThis->m_pEvents->OnDeviceListKey(nFocused, DeviceListKey::Space);
        if (pThis->m_bSpaceTaken) {
            return 0;
        }
    } else if (nMsg == WM_CHAR && wParam == L' ' && pThis->m_bSpaceTaken) {
        pThis->m_bSpaceTaken = false;
        return 0;
    }
    return DefSubclassProc(hWnd, nMsg, wParam, lParam);
}

bool CWin32DeviceListCtrl::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != m_hList) {
        return false;
    }
    if (!m_pEvents) {
        return true;
    }
    if (header.code == LVN_ITEMCHANGED && !m_bInserting) {
        // A change of the check box (not the first state image of a new row) or of the
        // selection, as the Qt list reports both.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const UINT nChanged = change.uOldState ^ change.uNewState;
        const bool bCheck =
            (nChanged & LVIS_STATEIMAGEMASK) && (change.uOldState & LVIS_STATEIMAGEMASK) != 0;
        if ((change.uChanged & LVIF_STATE) && change.iItem >= 0 &&
            (bCheck || (nChanged & LVIS_SELECTED))) {
            m_pEvents->OnDeviceListItemChanged(change.iItem);
        }
    } else if (header.code == NM_DBLCLK) {
        m_pEvents->OnDeviceListDblClick();
    }
    return true;
}

int CWin32DeviceListCtrl::GetItemCount() const {
    return ListView_GetItemCount(m_hList);
}

// The texts are the file's bytes: UTF-8, or the ANSI code page of a file from the old
// program, shown as what it reads.
void CWin32DeviceListCtrl::InsertItem(int nRow, const std::string& strName) {
    std::wstring strWide = Utf8ToWide(DisplayText(strName));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = nRow;
    item.pszText = strWide.data();
    item.state = INDEXTOSTATEIMAGEMASK(1);
    item.stateMask = LVIS_STATEIMAGEMASK;
    m_bInserting = true;
    SendMessageW(m_hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    m_bInserting = false;
}

void CWin32DeviceListCtrl::SetItemText(int nRow, int nColumn, const std::string& strText) {
    std::wstring strWide = Utf8ToWide(DisplayText(strText));
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = strWide.data();
    SendMessageW(m_hList, LVM_SETITEMTEXTW, nRow, reinterpret_cast<LPARAM>(&item));
}

bool CWin32DeviceListCtrl::GetCheck(int nRow) const {
    return CheckFromState(ListView_GetItemState(m_hList, nRow, LVIS_STATEIMAGEMASK));
}

void CWin32DeviceListCtrl::SetCheck(int nRow, bool bChecked) {
    if (nRow < 0 || nRow >= GetItemCount() || GetCheck(nRow) == bChecked) {
        return;  // no change, nothing to report
    }
    // Sent, not posted: the change is reported before this returns.
    ListView_SetItemState(m_hList, nRow, INDEXTOSTATEIMAGEMASK(bChecked ? 2 : 1),
                          LVIS_STATEIMAGEMASK);
}

void CWin32DeviceListCtrl::SelectItem(int nRow) {
    ListView_SetItemState(m_hList, nRow, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

int CWin32DeviceListCtrl::GetFirstSelected() const {
    return ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
}

void CWin32DeviceListCtrl::DeleteItem(int nRow) {
    ListView_DeleteItem(m_hList, nRow);
}
