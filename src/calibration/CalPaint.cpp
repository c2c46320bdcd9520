#include "calibration/CalPaint.h"

#include <QFont>
#include <algorithm>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

// The targets keep their pens: grey 1 for waiting, black 5 for the one to touch, green 5 for
// a captured one, on a light background painted here whatever the desktop's palette (a dark
// theme put the black target on dark grey). Colour alone does not tell captured from waiting
// for everyone, so a captured target also gets a circle. The guidance stands beside the
// active target on the side facing the middle of the page, so it never runs off the edge.

namespace {

QPen TargetPen(CalTargetState state) {
    QPen pen(Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    switch (state) {
        case CalTargetState::Active:
            pen.setColor(QColor(0, 0, 0));
            pen.setWidth(5);
            break;
        case CalTargetState::Captured:
            pen.setColor(QColor(0, 255, 0));
            pen.setWidth(5);
            break;
        case CalTargetState::Hidden:
        case CalTargetState::Inactive:
            pen.setColor(QColor(100, 100, 100));
            pen.setWidth(1);
            break;
    }
    return pen;
}

QRectF Around(QPointF pt, int nRadius) {
    return {pt.x() - nRadius, pt.y() - nRadius, 2.0 * nRadius, 2.0 * nRadius};
}

// An arc from twelve o'clock, clockwise, over dShare of the circle.
void DrawShare(QPainter& painter, QPointF pt, int nRadius, double dShare) {
    if (dShare <= 0.0) {
        return;
    }
    constexpr int nFull = 360 * 16;  // Qt's arcs count sixteenths of a degree
    painter.drawArc(Around(pt, nRadius), 90 * 16, -static_cast<int>(nFull * std::min(dShare, 1.0)));
}

void DrawRings(QPainter& painter, QPointF pt, const CalGuide& guide) {
    painter.setBrush(Qt::NoBrush);
    QPen track(QColor(200, 200, 200), 3);
    painter.setPen(track);
    painter.drawEllipse(Around(pt, CalLook::TIME_RADIUS));
    painter.drawEllipse(Around(pt, CalLook::HOLD_RADIUS));

    QPen time(QColor(0, 84, 166), 3);  // dark blue: 7:1 on the background
    time.setCapStyle(Qt::FlatCap);
    painter.setPen(time);
    DrawShare(painter, pt, CalLook::TIME_RADIUS, guide.dTimeLeft);

    QPen hold(QColor(0, 0, 0), 6);
    hold.setCapStyle(Qt::FlatCap);
    painter.setPen(hold);
    DrawShare(painter, pt, CalLook::HOLD_RADIUS, guide.dHold);
}

void DrawGuideText(QPainter& painter, const QRectF& rcPage, QPointF pt, const CalGuide& guide) {
    QFont font = painter.font();
    font.setPixelSize(CalLook::TEXT_PX);
    font.setBold(true);
    const QString lines[] = {
        QString::fromStdString(guide.strStep),
        QString::fromStdString(guide.strInstruction),
        QStringLiteral("%1 s left").arg(guide.nSecondsLeft),
    };
    const QFontMetricsF metrics(font);
    const double dLine = metrics.lineSpacing();
    const bool bLeftOfTarget = pt.x() > rcPage.center().x();
    double dY = pt.y() - 1.5 * dLine + metrics.ascent();
    for (int i = 0; i < 3; ++i) {
        font.setBold(i == 0);
        painter.setFont(font);
        painter.setPen(QColor(0, 0, 0));
        const double dWidth = QFontMetricsF(font).horizontalAdvance(lines[i]);
        const double dX =
            bLeftOfTarget ? pt.x() - CalLook::TEXT_GAP - dWidth : pt.x() + CalLook::TEXT_GAP;
        painter.drawText(QPointF(dX, dY), lines[i]);
        dY += dLine;
    }
}

void DrawNotice(QPainter& painter, const QRectF& rcPage, const CalGuide& guide) {
    QFont font = painter.font();
    font.setPixelSize(CalLook::TEXT_PX);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(170, 0, 0));  // dark red: 7:1 on the background
    // Between the top targets and the centre, where no guidance stands.
    const QRectF rcNotice(rcPage.left(), rcPage.top() + rcPage.height() * 0.25, rcPage.width(),
                          2.0 * CalLook::TEXT_PX);
    painter.drawText(rcNotice, Qt::AlignCenter, QString::fromStdString(guide.strNotice));
}

}  // namespace

QColor CalBackground() {
    return QColor(240, 240, 240);
}

void PaintCalibrationPage(QPainter& painter, const QRectF& rcPage,
                          const std::array<QPointF, CAL_TARGET_COUNT>& positions,
                          const std::array<CalTargetState, CAL_TARGET_COUNT>& states,
                          const CalGuide& guide) {
    painter.fillRect(rcPage, CalBackground());
    if (states[0] == CalTargetState::Hidden) {
        return;
    }
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        const QPointF pt = positions[i];
        painter.setPen(TargetPen(states[i]));
        painter.drawLine(QPointF(pt.x() - CalLook::ARM, pt.y()),
                         QPointF(pt.x() + CalLook::ARM, pt.y()));
        painter.drawLine(QPointF(pt.x(), pt.y() - CalLook::ARM),
                         QPointF(pt.x(), pt.y() + CalLook::ARM));
        if (states[i] == CalTargetState::Captured) {
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(Around(pt, CalLook::CAPTURED_RADIUS));
        }
    }
    if (guide.nTarget >= 0 && guide.nTarget < CAL_TARGET_COUNT) {
        DrawRings(painter, positions[guide.nTarget], guide);
        DrawGuideText(painter, rcPage, positions[guide.nTarget], guide);
    }
    if (!guide.strNotice.empty()) {
        DrawNotice(painter, rcPage, guide);
    }
}
