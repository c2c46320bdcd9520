#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Options.h"

// Options kept in memory, keyed "SECTION/Entry". Writes to a key listed in m_setFailing
// fail with m_nError and leave the value alone.
class CFakeOptionsStore final : public IOptionsStore {
public:
    int GetProfileInt(const char* szSection, const char* szEntry, int nDefault) override {
        const auto it = m_mapValues.find(Key(szSection, szEntry));
        if (it == m_mapValues.end()) {
            return nDefault;
        }
        try {
            return std::stoi(it->second);
        } catch (...) {
            return nDefault;
        }
    }
    std::string GetProfileString(const char* szSection, const char* szEntry,
                                 const std::string& strDefault) override {
        const auto it = m_mapValues.find(Key(szSection, szEntry));
        return it == m_mapValues.end() ? strDefault : it->second;
    }
    int WriteProfileInt(const char* szSection, const char* szEntry, int nValue) override {
        return WriteProfileString(szSection, szEntry, std::to_string(nValue));
    }
    int WriteProfileString(const char* szSection, const char* szEntry,
                           const std::string& strValue) override {
        const std::string strKey = Key(szSection, szEntry);
        m_vecWrites.push_back(strKey);
        if (m_setFailing.count(szEntry) != 0) {
            return m_nError;
        }
        m_mapValues[strKey] = strValue;
        return 0;
    }

    static std::string Key(const char* szSection, const char* szEntry) {
        return std::string(szSection) + "/" + szEntry;
    }

    std::map<std::string, std::string> m_mapValues;
    std::set<std::string> m_setFailing;  // entry names
    int m_nError = 13;
    std::vector<std::string> m_vecWrites;  // keys in the order written
};
