#pragma once

#include <cstdint>
#include <string>

// A rectangle in virtual-screen pixels; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

// The configuration of one touch screen. Devices are kept as settings lines (see
// FormatDeviceLine); a record is what a line is parsed into to read or change it.
struct TouchDevice {
    std::string m_strName;      // as typed in Device Settings
    std::string m_strMonitor;   // monitor name, e.g. "DISPLAY1" or "screen"
    std::string m_strPort;      // "COM%d"
    std::string m_strBaudRate;  // "9600"
    int m_bConnect = 0;         // 1: the active device, its row ticked
    ScreenRect m_rcMonitor;     // the device's monitor
    // The fourteen calibration numbers, in raw controller units (scales in pixels per unit).
    double m_dScaleX = 0.0;
    double m_dScaleY = 0.0;
    double m_dRawMinX = 0.0;
    double m_dRawMaxX = 0.0;
    double m_dRawMinY = 0.0;
    double m_dRawMaxY = 0.0;
    std::int16_t m_nIndex = 0;  // row in the device list
    double m_dCenterX = 0.0;
    double m_dCenterY = 0.0;
    double m_dLeftX = 0.0;   // raw x at 10 % of the width
    double m_dRightX = 0.0;  // raw x at 90 % of the width
    double m_dSpanX = 0.0;
    double m_dTopY = 0.0;     // raw y at 10 % of the height
    double m_dBottomY = 0.0;  // raw y at 90 % of the height
    double m_dSpanY = 0.0;
    int m_bSwapXY = 0;

    bool operator==(const TouchDevice&) const = default;
};

// The settings line: 25 fields, each followed by ';'
//
//   0 name  1 monitor  2 port  3 baud  4 connect  5..8 rectangle left, right, top, bottom
//   9 scale x  10 raw max x  11 raw min x  12 scale y  13 raw max y  14 raw min y
//   15 centre x  16 centre y  17 left x  18 right x  19 span x  20 top y  21 bottom y
//   22 span y  23 index  24 swap
//
// Integers as %d, numbers as %f (six decimals), always in the C locale. There is no escape:
// a ';' inside a text field shifts every later field, so the editor refuses it.
std::string FormatDeviceLine(TouchDevice device);

// Never fails: every line yields a record. Fields are read up to the last ';' (text after it
// is dropped); missing fields keep their defaults; extra fields are ignored; a number field
// reads like atoi/atof (leading number, else 0); the index keeps its low 16 bits.
TouchDevice ParseDeviceLine(std::string strLine);
