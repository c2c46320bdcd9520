#pragma once

#include <array>

// The three bytes a touch controller sends for one point:
//
//   byte   bit 7   bit 6         bits 5..3        bits 2..0
//   0      1       touch (1/0)   raw x bits 9..7  raw y bits 9..7
//   1      0       raw x bits 6..0
//   2      0       raw y bits 6..0
//
// Only the lead byte has its top bit set; that is all a reader can resynchronise on.
// Raw values outside 0..1023 keep their low ten bits, as a ten-bit controller would.
std::array<unsigned char, 3> EncodePacket(bool bTouch, int nRawX, int nRawY);
