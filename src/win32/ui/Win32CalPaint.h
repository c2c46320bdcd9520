#pragma once

#include "calibration/CalPageLook.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

// Paints the page as the core's list says into hDC, nWidth by nHeight pixels: the background,
// then each item in order with GDI pens and DrawTextW over a transparent background.
void PaintCalPageLook(HDC hDC, int nWidth, int nHeight, const CalPageLook& look);
