#pragma once

#include <array>
#include <string>
#include <vector>

#include "calibration/CalibrationCapture.h"
#include "calibration/CalibrationGuide.h"

// What the calibration page draws and where, as data: every front end paints this list with
// its own primitives and decides nothing about pens, sizes or placement. Two painters that
// each chose their own pens drifted apart (a 2-pixel dark green target on one, the 5-pixel
// pure green one on the other; guidance cut off at the page's edge), so the choices live here.
//
//   element                    | pen (colour, width)          | shape
//   ---------------------------+------------------------------+-----------------------------
//   waiting target             | grey (100,100,100), 1        | crosshair, arm 30
//   target to touch now        | black, 5                     | crosshair, arm 30
//   captured target            | green (0,255,0), 5           | crosshair and a circle, r 16
//   ring tracks (active only)  | light grey (200,200,200), 3  | circles r 40 and r 50
//   time left                  | dark blue (0,84,166), 3      | arc r 50 from twelve o'clock
//   hold counted               | black, 6                     | arc r 40 from twelve o'clock
//   guidance                   | black, 20 px (step bold)     | three lines beside the target,
//                              |                              | on the side facing the middle;
//                              |                              | below the centre target
//   notice after a refusal     | dark red (170,0,0), 20 px    | a line a quarter down, centred
//   label                      | black, 14 px                 | top left, over no fill
//
// Sizes are in look units; a front end that paints device pixels at a display scale passes
// the scale, and every size, pen and font grows with it while the targets stay at their
// fractions of the page. Before the capture starts only the background and the label show.

struct CalColour {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const CalColour&) const = default;
};

// Pixels from the page's top left corner; right and bottom are exclusive for a box.
struct CalRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CalRect&) const = default;
};

enum class CalDrawKind {
    Line,     // from (rc.left, rc.top) to (rc.right, rc.bottom), flat ends
    Ellipse,  // the outline inside rc, nothing filled
    Arc,      // the outline inside rc, from twelve o'clock clockwise over dShare of it
    Text,     // strText on one line inside rc, from its top, clipped to it
};

enum class CalTextAlign { Left, Centre, Right };

struct CalDrawItem {
    CalDrawKind kind = CalDrawKind::Line;
    CalColour colour;
    int nPenWidth = 1;  // Line, Ellipse, Arc
    CalRect rc;
    double dShare = 1.0;  // Arc: 0..1
    std::string strText;  // Text, UTF-8
    CalTextAlign align = CalTextAlign::Left;
    int nTextPx = 0;  // Text: the font's pixel height
    bool bBold = false;
};

struct CalPageLook {
    CalColour background;
    std::vector<CalDrawItem> items;  // in painting order
};

namespace CalLook {
constexpr int ARM = 30;              // crosshair arm
constexpr int CAPTURED_RADIUS = 16;  // the circle that marks a captured target
constexpr int HOLD_RADIUS = 40;      // the ring that fills as the hold is counted
constexpr int TIME_RADIUS = 50;      // the ring that runs down the time-out
constexpr int TEXT_PX = 20;          // guidance text height
constexpr int LINE = 26;             // guidance line spacing
constexpr int TEXT_GAP = 64;         // from the target's centre to the guidance text
constexpr int MARGIN = 10;           // between texts and the page's edges
constexpr int LABEL_PX = 14;         // the label's text height
constexpr int LABEL_TOP = 8;
constexpr int LABEL_LINE = 20;
constexpr CalColour BACKGROUND{240, 240, 240};
constexpr CalColour WAITING{100, 100, 100};
constexpr CalColour ACTIVE{0, 0, 0};
constexpr CalColour CAPTURED{0, 255, 0};
constexpr CalColour TRACK{200, 200, 200};
constexpr CalColour TIME{0, 84, 166};   // 7:1 on the background
constexpr CalColour INK{0, 0, 0};       // texts
constexpr CalColour NOTICE{170, 0, 0};  // 7:1 on the background
}  // namespace CalLook

// The label of the page for a device name.
std::string CalPageLabel(const std::string& strDevice);

// The page nWidth by nHeight pixels, its targets in these states, the guidance and the label,
// with every size times dScale (pixels per look unit).
CalPageLook LookOfCalPage(int nWidth, int nHeight, double dScale,
                          const std::array<CalTargetState, CAL_TARGET_COUNT>& targets,
                          const CalGuide& guide, const std::string& strLabel);
