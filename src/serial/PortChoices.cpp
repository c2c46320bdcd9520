#include "serial/PortChoices.h"

#include <algorithm>

#include "serial/PortNames.h"

namespace {

constexpr const char* DASH = " \xE2\x80\x94 ";  // an em dash between spaces

std::string ShortName(const std::string& strDevice) {
    const std::string strDev = "/dev/";
    return strDevice.compare(0, strDev.size(), strDev) == 0 ? strDevice.substr(strDev.size())
                                                            : strDevice;
}

const SerialPortInfo* Find(const std::vector<SerialPortInfo>& vecPorts,
                           const std::string& strDevice) {
    for (const SerialPortInfo& info : vecPorts) {
        if (info.strDevicePath == strDevice) {
            return &info;
        }
    }
    return nullptr;
}

std::string Behind(const SerialPortInfo* pInfo, const std::string& strDevice) {
    const std::string strDescription = pInfo ? PortDescription(*pInfo) : std::string();
    const std::string strShort = "(" + ShortName(strDevice) + ")";
    return strDescription.empty() ? strShort : strDescription + " " + strShort;
}

void Mark(PortChoice& choice, const PortFacts& facts) {
    choice.bInUse = facts.bInUse;
    choice.bNoAccess = !facts.bMayOpen;
    if (choice.bInUse) {
        choice.strText += std::string(DASH) + "in use";
    }
    if (choice.bNoAccess) {
        choice.strText += std::string(DASH) + "no permission";
        if (!facts.strGroup.empty()) {
            choice.strText += " (group " + facts.strGroup + ")";
        }
    }
}

}  // namespace

std::string PortDescription(const SerialPortInfo& info) {
    const std::string& strMaker = info.strManufacturer;
    const std::string& strProduct = info.strDescription;
    if (strMaker.empty() || strProduct.compare(0, strMaker.size(), strMaker) == 0) {
        return strProduct;
    }
    return strProduct.empty() ? strMaker : strMaker + " " + strProduct;
}

std::string AccessFixText(const std::string& strDevice, const std::string& strGroup) {
    if (strGroup.empty() || strGroup == "root") {
        return strDevice + " may not be opened by you; ask your administrator for access.";
    }
    return strDevice + " belongs to the group " + strGroup +
           ". Add yourself to it (sudo adduser $USER " + strGroup + "), then log out and in again.";
}

std::vector<PortChoice> ListPortChoices(IPortSystem& system) {
    const std::vector<SerialPortInfo> vecPorts = system.EnumeratePorts();
    std::vector<PortChoice> vecChoices;
    std::vector<std::string> vecReached;
    std::vector<int> vecTaken;  // COMn names that stand for something, listed or not
    for (int nPort = 1; nPort <= LAST_LISTED_PORT; ++nPort) {
        const std::string strPath = PortDevicePath(nPort);
        const bool bLinked = strPath == PortLinkPath(nPort);
        const PortFacts facts = system.Inspect(strPath);
        const SerialPortInfo* pInfo = Find(vecPorts, facts.strDevice);
        if (bLinked || pInfo != nullptr) {
            vecTaken.push_back(nPort);
        }
        if (facts.strDevice.empty() || (pInfo == nullptr && !(bLinked && facts.bPseudoTerminal))) {
            continue;
        }
        vecReached.push_back(facts.strDevice);
        PortChoice choice;
        choice.nPort = nPort;
        choice.strText = "COM" + std::to_string(nPort) +
                         (pInfo && !PortDescription(*pInfo).empty() ? DASH : " ") +
                         Behind(pInfo, facts.strDevice);
        Mark(choice, facts);
        vecChoices.push_back(choice);
    }
    int nFree = 1;
    for (const SerialPortInfo& info : vecPorts) {
        if (std::find(vecReached.begin(), vecReached.end(), info.strDevicePath) !=
                vecReached.end() ||
            info.strDevicePath.compare(0, 9, "/dev/ttyS") == 0) {
            continue;  // a built-in UART is reached as the COMn of its number or not at all
        }
        while (std::find(vecTaken.begin(), vecTaken.end(), nFree) != vecTaken.end()) {
            ++nFree;
        }
        vecTaken.push_back(nFree);
        PortChoice choice;
        choice.nPort = nFree;
        choice.strLinkTarget = info.strById.empty() ? info.strDevicePath : info.strById;
        choice.strText =
            Behind(&info, info.strDevicePath) + DASH + "new COM" + std::to_string(nFree);
        Mark(choice, system.Inspect(info.strDevicePath));
        vecChoices.push_back(choice);
    }
    return vecChoices;
}
