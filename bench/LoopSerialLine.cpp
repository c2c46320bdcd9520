#include "LoopSerialLine.h"

ReadStatus CLoopSerialLine::ReadByte(unsigned char& nByte) {
    if (m_vecStream.empty()) {
        return ReadStatus::Gone;
    }
    nByte = m_vecStream[m_nNext];
    if (++m_nNext == m_vecStream.size()) {
        m_nNext = 0;
    }
    return ReadStatus::Byte;
}
