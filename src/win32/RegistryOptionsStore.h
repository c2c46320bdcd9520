#pragma once

#include <string>

#include "app/Options.h"

// The options in the registry, where the program has always kept them:
// HKEY_CURRENT_USER\Software\Brenhold\Tactilo\<section>, integers as REG_DWORD and texts as
// REG_SZ. A value of another type reads as absent (its default), as the original's profile
// functions did. Writes return 0 or the Windows error number.
class CRegistryOptionsStore final : public IOptionsStore {
public:
    // strKeyPath under HKEY_CURRENT_USER; tests hand in a key of their own.
    explicit CRegistryOptionsStore(std::string strKeyPath = "Software\\Brenhold\\Tactilo");

    int GetProfileInt(const char* szSection, const char* szEntry, int nDefault) override;
    std::string GetProfileString(const char* szSection, const char* szEntry,
                                 const std::string& strDefault) override;
    int WriteProfileInt(const char* szSection, const char* szEntry, int nValue) override;
    int WriteProfileString(const char* szSection, const char* szEntry,
                           const std::string& strValue) override;

    // The key as users see it in the registry editor: "HKEY_CURRENT_USER\Software\...".
    std::string KeyName() const { return "HKEY_CURRENT_USER\\" + m_strKeyPath; }

private:
    std::wstring SectionKey(const char* szSection) const;

    std::string m_strKeyPath;
};
