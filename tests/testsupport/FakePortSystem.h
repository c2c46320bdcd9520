#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "serial/SerialPortInfo.h"

// A system whose ports and paths are what the test says: facts by the exact path asked
// about, nothing for any other path; links are recorded, not made.
class CFakePortSystem final : public IPortSystem {
public:
    std::vector<SerialPortInfo> m_vecPorts;
    std::map<std::string, PortFacts> m_mapFacts;
    std::vector<std::pair<int, std::string>> m_vecLinked;
    int m_nLinkError = 0;

    std::vector<SerialPortInfo> EnumeratePorts() override { return m_vecPorts; }
    PortFacts Inspect(const std::string& strPath) override {
        const auto it = m_mapFacts.find(strPath);
        return it == m_mapFacts.end() ? PortFacts{} : it->second;
    }
    int LinkPort(int nPort, const std::string& strTarget) override {
        m_vecLinked.emplace_back(nPort, strTarget);
        return m_nLinkError;
    }
};
