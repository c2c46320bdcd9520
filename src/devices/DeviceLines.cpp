#include "devices/DeviceLines.h"

#include <stdexcept>

void CDeviceLines::SetAt(int nIndex, const std::string& strLine) {
    CheckIndex(nIndex);
    m_vecLines[static_cast<std::size_t>(nIndex)] = strLine;
}

const std::string& CDeviceLines::GetAt(int nIndex) const {
    CheckIndex(nIndex);
    return m_vecLines[static_cast<std::size_t>(nIndex)];
}

void CDeviceLines::RemoveAt(int nIndex) {
    CheckIndex(nIndex);
    m_vecLines.erase(m_vecLines.begin() + nIndex);
}

void CDeviceLines::CheckIndex(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetSize()) {
        throw std::invalid_argument("device line " + std::to_string(nIndex) + " outside 0.." +
                                    std::to_string(GetSize() - 1));
    }
}
