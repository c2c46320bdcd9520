#include "qt/CalPaint.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QRect>

// Only the translation to QPainter: flat line ends (the list's lines end where it says), no
// fill inside outlines, Qt's arcs counted in sixteenths of a degree from three o'clock
// counter-clockwise, texts on one line clipped to their rectangle.

QColor ToQColor(CalColour colour) {
    return QColor(colour.r, colour.g, colour.b);
}

namespace {

int TextFlags(CalTextAlign align) {
    switch (align) {
        case CalTextAlign::Centre:
            return Qt::AlignHCenter;
        case CalTextAlign::Right:
            return Qt::AlignRight;
        case CalTextAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

QRect Box(const CalRect& rc) {
    return QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1));
}

void PaintItem(QPainter& painter, const CalDrawItem& item) {
    QPen pen(ToQColor(item.colour), item.nPenWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (item.kind) {
        case CalDrawKind::Line:
            painter.drawLine(item.rc.left, item.rc.top, item.rc.right, item.rc.bottom);
            break;
        case CalDrawKind::Ellipse:
            painter.drawEllipse(Box(item.rc));
            break;
        case CalDrawKind::Arc: {
            constexpr int nFull = 360 * 16;
            painter.drawArc(Box(item.rc), 90 * 16, -static_cast<int>(nFull * item.dShare));
            break;
        }
        case CalDrawKind::Text: {
            QFont font = painter.font();
            font.setPixelSize(item.nTextPx);
            font.setBold(item.bBold);
            painter.setFont(font);
            painter.drawText(Box(item.rc),
                             TextFlags(item.align) | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(item.strText));
            break;
        }
    }
}

}  // namespace

void PaintCalPageLook(QPainter& painter, int nWidth, int nHeight, const CalPageLook& look) {
    painter.fillRect(QRect(0, 0, nWidth, nHeight), ToQColor(look.background));
    painter.setClipRect(QRect(0, 0, nWidth, nHeight));
    for (const CalDrawItem& item : look.items) {
        if (item.kind == CalDrawKind::Text) {
            painter.save();
            painter.setClipRect(Box(item.rc), Qt::IntersectClip);
            PaintItem(painter, item);
            painter.restore();
        } else {
            PaintItem(painter, item);
        }
    }
}
