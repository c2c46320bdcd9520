#include "devices/DeviceLines.h"

#include <algorithm>
#include <stdexcept>

#include "devices/TouchDevice.h"

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

std::vector<std::string> UnsavedDeviceNames(const std::vector<std::string>& vecSaved,
                                            const std::vector<std::string>& vecCurrent) {
    std::vector<std::string> vecNames;
    const auto add = [&vecNames](const std::string& strName) {
        if (std::find(vecNames.begin(), vecNames.end(), strName) == vecNames.end()) {
            vecNames.push_back(strName);
        }
    };
    std::vector<std::string> vecCurrentNames;
    for (const std::string& strLine : vecCurrent) {
        vecCurrentNames.push_back(ParseDeviceLine(strLine).m_strName);
        if (std::find(vecSaved.begin(), vecSaved.end(), strLine) == vecSaved.end()) {
            add(vecCurrentNames.back());
        }
    }
    for (const std::string& strLine : vecSaved) {
        const std::string strName = ParseDeviceLine(strLine).m_strName;
        if (std::find(vecCurrentNames.begin(), vecCurrentNames.end(), strName) ==
            vecCurrentNames.end()) {
            add(strName);
        }
    }
    return vecNames;
}
