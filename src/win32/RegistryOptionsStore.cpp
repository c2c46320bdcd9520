#include "win32/RegistryOptionsStore.h"

#include <windows.h>
// <windows.h> maps these names onto its own profile functions; ours are the interface's.
#undef GetProfileInt
#undef GetProfileString
#undef WriteProfileString

#include <utility>

#include "win32/Win32Text.h"

CRegistryOptionsStore::CRegistryOptionsStore(std::string strKeyPath)
    : m_strKeyPath(std::move(strKeyPath)) {}

std::wstring CRegistryOptionsStore::SectionKey(const char* szSection) const {
    return Utf8ToWide(m_strKeyPath + "\\" + szSection);
}

int CRegistryOptionsStore::GetProfileInt(const char* szSection, const char* szEntry, int nDefault) {
    DWORD nValue = 0;
    DWORD nSize = sizeof nValue;
    if (RegGetValueW(HKEY_CURRENT_USER, SectionKey(szSection).c_str(), Utf8ToWide(szEntry).c_str(),
                     RRF_RT_REG_DWORD, nullptr, &nValue, &nSize) != ERROR_SUCCESS) {
        return nDefault;
    }
    return static_cast<int>(nValue);
}

std::string CRegistryOptionsStore::GetProfileString(const char* szSection, const char* szEntry,
                                                    const std::string& strDefault) {
    const std::wstring strKey = SectionKey(szSection);
    const std::wstring strEntry = Utf8ToWide(szEntry);
    // The size first, then the text: the value may grow in between, so ask again then.
    for (int nTry = 0; nTry < 3; ++nTry) {
        DWORD nBytes = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strEntry.c_str(), RRF_RT_REG_SZ,
                         nullptr, nullptr, &nBytes) != ERROR_SUCCESS) {
            return strDefault;
        }
        std::wstring strValue(nBytes / sizeof(wchar_t) + 1, L'\0');
        nBytes = static_cast<DWORD>(strValue.size() * sizeof(wchar_t));
        const LSTATUS nStatus = RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strEntry.c_str(),
                                             RRF_RT_REG_SZ, nullptr, strValue.data(), &nBytes);
        if (nStatus == ERROR_MORE_DATA) {
            continue;
        }
        if (nStatus != ERROR_SUCCESS) {
            return strDefault;
        }
        strValue.resize(wcsnlen(strValue.c_str(), strValue.size()));
        return WideToUtf8(strValue);
    }
    return strDefault;
}

int CRegistryOptionsStore::WriteProfileInt(const char* szSection, const char* szEntry, int nValue) {
    const DWORD nData = static_cast<DWORD>(nValue);
    return static_cast<int>(RegSetKeyValueW(HKEY_CURRENT_USER, SectionKey(szSection).c_str(),
                                            Utf8ToWide(szEntry).c_str(), REG_DWORD, &nData,
                                            sizeof nData));
}

int CRegistryOptionsStore::WriteProfileString(const char* szSection, const char* szEntry,
                                              const std::string& strValue) {
    const std::wstring strData = Utf8ToWide(strValue);
    // REG_SZ data includes its terminating zero.
    return static_cast<int>(RegSetKeyValueW(
        HKEY_CURRENT_USER, SectionKey(szSection).c_str(), Utf8ToWide(szEntry).c_str(), REG_SZ,
        strData.c_str(), static_cast<DWORD>((strData.size() + 1) * sizeof(wchar_t))));
}
