#pragma once

#include <array>

// The five crosshair targets of a calibration, by target index: the order in which the user
// is asked to touch them. Everything in the calibration (the page, the capture, the readings)
// counts targets in this order.
//
//   index  where         fraction of width, height   trace label
//   0      top left      0.1, 0.1                     "1010"
//   1      bottom left   0.1, 0.9                     "1090"
//   2      centre        0.5, 0.5                     "5050"
//   3      top right     0.9, 0.1                     "9010"
//   4      bottom right  0.9, 0.9                     "9090"
//
// The 10 % and 90 % lines are what the pointer mapping anchors on, so the targets sit there
// rather than near the edges, where many panels are least linear.

constexpr int CAL_TARGET_COUNT = 5;

enum CalTargetIndex {
    CAL_TOP_LEFT = 0,
    CAL_BOTTOM_LEFT = 1,
    CAL_CENTRE = 2,
    CAL_TOP_RIGHT = 3,
    CAL_BOTTOM_RIGHT = 4,
};

// A point of two ints: a target's position in window pixels, or a raw reading.
struct CalPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CalPoint&) const = default;
};

// The label that the reading's trace line carries ("Mouseposition 1010: ...").
const char* CalTargetLabel(int nTarget);

// The five target positions, by target index, in pixels from the top left corner of a
// monitor nWidth by nHeight pixels: the fraction times the size in double arithmetic,
// truncated toward zero. On 1920 x 1080 the targets lie at x 192, 960, 1728 and
// y 108, 540, 972.
std::array<CalPoint, CAL_TARGET_COUNT> CalTargetPositions(int nWidth, int nHeight);
