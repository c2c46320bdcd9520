#pragma once

#include <QColor>

#include "calibration/CalPageLook.h"

class QPainter;

QColor ToQColor(CalColour colour);

// Paints the page as the core's list says: the background over nWidth by nHeight, then each
// item in order, with QPainter's own primitives and nothing chosen here.
void PaintCalPageLook(QPainter& painter, int nWidth, int nHeight, const CalPageLook& look);
