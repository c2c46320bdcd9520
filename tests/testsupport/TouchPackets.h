#pragma once

#include <string>
#include <vector>

#include "touch/BitString.h"

// The three bytes a touch controller sends for a point: the lead byte with the touch flag and
// the top three bits of x and y, then the low seven bits of x, then of y.
inline std::vector<unsigned char> TouchPacketBytes(bool bTouch, int nRawX, int nRawY) {
    return {static_cast<unsigned char>(0x80 | (bTouch ? 0x40 : 0) | ((nRawX >> 7) & 7) << 3 |
                                       ((nRawY >> 7) & 7)),
            static_cast<unsigned char>(nRawX & 0x7F), static_cast<unsigned char>(nRawY & 0x7F)};
}

// The same packet as the reader hands it on: 24 characters '0'/'1'.
inline std::string TouchPacketText(bool bTouch, int nRawX, int nRawY) {
    std::string strText;
    for (unsigned char nByte : TouchPacketBytes(bTouch, nRawX, nRawY)) {
        strText += ByteToBits(nByte);
    }
    return strText;
}
