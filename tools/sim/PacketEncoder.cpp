#include "PacketEncoder.h"

std::array<unsigned char, 3> EncodePacket(bool bTouch, int nRawX, int nRawY) {
    const unsigned nX = static_cast<unsigned>(nRawX) & 1023U;
    const unsigned nY = static_cast<unsigned>(nRawY) & 1023U;
    const unsigned nLead = 0x80U | (bTouch ? 0x40U : 0U) | ((nX >> 7) << 3) | (nY >> 7);
    return {static_cast<unsigned char>(nLead), static_cast<unsigned char>(nX & 127U),
            static_cast<unsigned char>(nY & 127U)};
}
