#include "qt/DeviceListCtrl.h"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <set>

#include "devices/LegacyText.h"

namespace {

struct ColumnSetup {
    const char* szHeader;
    int nWidthPx;
};

const ColumnSetup g_columns[CDeviceListCtrl::COLUMN_COUNT] = {
    {"Device name", 138},
    {"Monitor", 90},
    {"Com port", 60},
    {"Baud rate", 60},
};

QTableWidgetItem* MakeItem(bool bCheckable) {
    auto* pItem = new QTableWidgetItem;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (bCheckable) {
        flags |= Qt::ItemIsUserCheckable;
        // Set before the item is in the table, so that a new row reports no change.
        pItem->setCheckState(Qt::Unchecked);
    }
    pItem->setFlags(flags);
    return pItem;
}

}  // namespace

CDeviceListCtrl::CDeviceListCtrl(QWidget* pParent) : QTableWidget(0, COLUMN_COUNT, pParent) {
    setObjectName("ctl1001");
    QStringList headers;
    for (const ColumnSetup& column : g_columns) {
        headers << QString::fromLatin1(column.szHeader);
    }
    setHorizontalHeaderLabels(headers);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    // The columns' widths are those of the original layout, widened where a desktop font
    // needs more room for the header.
    for (int i = 0; i < COLUMN_COUNT; ++i) {
        horizontalHeader()->resizeSection(
            i, std::max(g_columns[i].nWidthPx, horizontalHeader()->sectionSizeHint(i)));
    }
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    // The selected row stays as visible when the buttons have the focus.
    QPalette palette = this->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    setPalette(palette);

    connect(model(), &QAbstractItemModel::dataChanged, this, &CDeviceListCtrl::OnDataChanged);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CDeviceListCtrl::OnSelectionChanged);
}

int CDeviceListCtrl::GetItemCount() const {
    return rowCount();
}

void CDeviceListCtrl::InsertItem(int nRow, const std::string& strName) {
    insertRow(nRow);
    for (int i = 0; i < COLUMN_COUNT; ++i) {
        QTableWidgetItem* pItem = MakeItem(i == 0);
        if (i == 0) {
            pItem->setText(QString::fromStdString(DisplayText(strName)));
        }
        setItem(nRow, i, pItem);
    }
}

void CDeviceListCtrl::SetItemText(int nRow, int nColumn, const std::string& strText) {
    if (QTableWidgetItem* pItem = item(nRow, nColumn)) {
        pItem->setText(QString::fromStdString(DisplayText(strText)));
    }
}

bool CDeviceListCtrl::GetCheck(int nRow) const {
    const QTableWidgetItem* pItem = item(nRow, 0);
    return pItem && pItem->checkState() == Qt::Checked;
}

void CDeviceListCtrl::SetCheck(int nRow, bool bChecked) {
    if (QTableWidgetItem* pItem = item(nRow, 0)) {
        // An unchanged state changes no data, so nothing is reported.
        pItem->setCheckState(bChecked ? Qt::Checked : Qt::Unchecked);
    }
}

void CDeviceListCtrl::SelectItem(int nRow) {
    if (nRow >= 0 && nRow < rowCount()) {
        setCurrentCell(nRow, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

int CDeviceListCtrl::GetFirstSelected() const {
    int nFirst = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (nFirst == -1 || index.row() < nFirst) {
            nFirst = index.row();
        }
    }
    return nFirst;
}

void CDeviceListCtrl::DeleteItem(int nRow) {
    removeRow(nRow);
    // Qt hands the selection on to the next row; a deleted row leaves none.
    selectionModel()->clear();
}

void CDeviceListCtrl::mousePressEvent(QMouseEvent* pEvent) {
    const QModelIndex index = indexAt(pEvent->position().toPoint());
    QTableWidget::mousePressEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton && m_pEvents) {
        // A press on a check box selects its row too (Qt leaves the selection alone there),
        // and the selection moves before the click is reported.
        if (index.isValid()) {
            SelectItem(index.row());
        }
        m_pEvents->OnDeviceListClick(index.isValid() ? index.row() : -1);
    }
}

void CDeviceListCtrl::keyPressEvent(QKeyEvent* pEvent) {
    // With or without modifiers: no modifier may let the item view toggle a box itself.
    const bool bSpace = pEvent->key() == Qt::Key_Space || pEvent->key() == Qt::Key_Select;
    const int nRow = currentIndex().isValid() ? currentIndex().row() : -1;
    if (bSpace && m_pEvents && m_pEvents->OnDeviceListKey(nRow, DeviceListKey::Space)) {
        pEvent->accept();
        return;
    }
    QTableWidget::keyPressEvent(pEvent);
}

void CDeviceListCtrl::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    QTableWidget::mouseDoubleClickEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton && m_pEvents) {
        m_pEvents->OnDeviceListDblClick();
    }
}

void CDeviceListCtrl::OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                    const QList<int>& roles) {
    if (!m_pEvents || !roles.contains(Qt::CheckStateRole) || topLeft.column() > 0) {
        return;
    }
    for (int nRow = topLeft.row(); nRow <= bottomRight.row(); ++nRow) {
        m_pEvents->OnDeviceListItemChanged(nRow);
    }
}

void CDeviceListCtrl::OnSelectionChanged(const QItemSelection& selected,
                                         const QItemSelection& deselected) {
    if (!m_pEvents) {
        return;
    }
    // Rows, not cells: a whole-row selection changes four cells of each row.
    std::set<int> setRows;
    for (const QItemSelection* pSelection : {&deselected, &selected}) {
        for (const QModelIndex& index : pSelection->indexes()) {
            setRows.insert(index.row());
        }
    }
    for (const int nRow : setRows) {
        m_pEvents->OnDeviceListItemChanged(nRow);
    }
}
