#include "touch/BitString.h"

std::string ByteToBits(unsigned nByte) {
    std::string strBits(8, '0');
    for (int nBit = 0; nBit < 8; ++nBit) {
        if (nByte & (0x80u >> nBit)) {
            strBits[nBit] = '1';
        }
    }
    return strBits;
}

int BitsToInt(const std::string& strBits) {
    unsigned nValue = 0;
    for (char ch : strBits) {
        nValue = ((nValue << 1) | (ch == '1' ? 1u : 0u)) & 0x7FFFFFFFu;
    }
    return static_cast<int>(nValue);
}
