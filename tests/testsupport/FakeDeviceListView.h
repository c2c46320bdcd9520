#pragma once

#include <array>
#include <string>
#include <vector>

#include "devices/DeviceListView.h"

// The device list without a window: rows of four texts and a check box, one selected row.
// Like the real list, a change of a check box reaches the events before SetCheck returns.
class CFakeDeviceListView final : public IDeviceListView {
public:
    struct Row {
        std::array<std::string, 4> texts;
        bool bChecked = false;
    };

    void SetEvents(IDeviceListEvents* pEvents) { m_pEvents = pEvents; }

    int GetItemCount() const override { return static_cast<int>(m_vecRows.size()); }
    void InsertItem(int nRow, const std::string& strName) override {
        Row row;
        row.texts[0] = strName;
        m_vecRows.insert(m_vecRows.begin() + nRow, row);
        if (m_nSelected >= nRow) {
            ++m_nSelected;
        }
    }
    void SetItemText(int nRow, int nColumn, const std::string& strText) override {
        m_vecRows.at(static_cast<std::size_t>(nRow)).texts.at(static_cast<std::size_t>(nColumn)) =
            strText;
    }
    bool GetCheck(int nRow) const override {
        return m_vecRows.at(static_cast<std::size_t>(nRow)).bChecked;
    }
    void SetCheck(int nRow, bool bChecked) override {
        Row& row = m_vecRows.at(static_cast<std::size_t>(nRow));
        if (row.bChecked == bChecked) {
            return;
        }
        row.bChecked = bChecked;
        ++m_nChanges;
        if (m_pEvents) {
            m_pEvents->OnDeviceListItemChanged(nRow);
        }
    }
    void SelectItem(int nRow) override { m_nSelected = nRow; }
    int GetFirstSelected() const override { return m_nSelected; }
    void DeleteItem(int nRow) override {
        m_vecRows.erase(m_vecRows.begin() + nRow);
        if (m_nSelected == nRow) {
            m_nSelected = -1;
        } else if (m_nSelected > nRow) {
            --m_nSelected;
        }
    }

    // What a user's click on a row's check box does, in the order the real list reports it:
    // the click first, then the change.
    void UserToggles(int nRow) {
        if (m_pEvents) {
            m_pEvents->OnDeviceListClick(nRow);
        }
        SelectItem(nRow);
        SetCheck(nRow, !GetCheck(nRow));
    }

    std::vector<bool> Checks() const {
        std::vector<bool> vecChecks;
        for (const Row& row : m_vecRows) {
            vecChecks.push_back(row.bChecked);
        }
        return vecChecks;
    }

    std::vector<Row> m_vecRows;
    int m_nSelected = -1;
    int m_nChanges = 0;

private:
    IDeviceListEvents* m_pEvents = nullptr;
};
