#pragma once

#include <string>

// Points XDG_CONFIG_HOME at a fresh temporary folder for the life of the object, so a test
// never reads or writes the user's own settings, ports links or autostart entries.
class CTempConfigDir {
public:
    CTempConfigDir();
    ~CTempConfigDir();
    CTempConfigDir(const CTempConfigDir&) = delete;
    CTempConfigDir& operator=(const CTempConfigDir&) = delete;

    // The XDG_CONFIG_HOME folder, without a trailing '/'.
    const std::string& Path() const { return m_strPath; }
    // Links <config>/Brenhold/ports/COM<n> to strTarget (replacing an old link).
    void LinkPort(int nPort, const std::string& strTarget) const;

private:
    std::string m_strPath;
    std::string m_strOld;
    bool m_bHadOld = false;
};
