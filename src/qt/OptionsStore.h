#pragma once

#include <string>

#include "app/Options.h"

// The options in the user's Qt settings: the native (INI) file of organisation "Brenhold"
// and the program's name, $XDG_CONFIG_HOME/Brenhold/<name>.conf (by default
// ~/.config/Brenhold/Tactilo.conf), one group per section ("[SETTINGS]").
//
// The file's place is worked out again at every call instead of once per process as
// QSettings' own organisation/application lookup does, so a changed XDG_CONFIG_HOME (a test's
// temporary folder) is always honoured. Each call uses a settings object of its own, so the
// status of one write never colours the next.
//
// A write is made at once (sync) and its error number is errno-like:
//   QSettings::AccessError  EACCES (13)  the file or its folder cannot be written
//   QSettings::FormatError  EINVAL (22)  the existing file could not be understood
class COptionsStore final : public IOptionsStore {
public:
    // strAppName: the file's name without ".conf"; the program passes ExecutableFileName().
    explicit COptionsStore(std::string strAppName);

    int GetProfileInt(const char* szSection, const char* szEntry, int nDefault) override;
    std::string GetProfileString(const char* szSection, const char* szEntry,
                                 const std::string& strDefault) override;
    int WriteProfileInt(const char* szSection, const char* szEntry, int nValue) override;
    int WriteProfileString(const char* szSection, const char* szEntry,
                           const std::string& strValue) override;

    // The settings file this store reads and writes now.
    std::string FilePath() const;
    // The running program's file name ("Tactilo"), from /proc/self/exe.
    static std::string ExecutableFileName();

private:
    std::string m_strAppName;
};
