#pragma once

#include <QAbstractItemView>
#include <QStyle>
#include <QStyleOptionViewItem>

// Where the style draws a row's check box, in the view's viewport coordinates: a click aimed
// there is a click on the check box, whatever the style and its metrics.
inline QRect CheckIndicatorRect(const QAbstractItemView& view, int nRow) {
    const QModelIndex index = view.model()->index(nRow, 0);
    QStyleOptionViewItem option;
    option.initFrom(view.viewport());
    option.rect = view.visualRect(index);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = index.data().toString();
    option.checkState = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
}
