#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <array>

#include "calibration/CalibrationCapture.h"
#include "calibration/CalibrationGuide.h"

class QPainter;

// The page's look, in device-independent pixels: the painter paints the page's logical
// coordinates, so every size here keeps its physical size at any display scale.
namespace CalLook {
constexpr int ARM = 30;              // crosshair arm
constexpr int CAPTURED_RADIUS = 16;  // the circle that marks a captured target
constexpr int HOLD_RADIUS = 40;      // the ring that fills as the hold is counted
constexpr int TIME_RADIUS = 50;      // the ring that runs down the time-out
constexpr int TEXT_PX = 20;          // guidance text height
constexpr int TEXT_GAP = 64;         // from the target's centre to the guidance text
}  // namespace CalLook

// The light background every theme gets: the pens were chosen for it.
QColor CalBackground();

// Paints the whole page but the label: background, the five targets from their states at
// positions (logical pixels), and the guidance beside the active target.
void PaintCalibrationPage(QPainter& painter, const QRectF& rcPage,
                          const std::array<QPointF, CAL_TARGET_COUNT>& positions,
                          const std::array<CalTargetState, CAL_TARGET_COUNT>& states,
                          const CalGuide& guide);
