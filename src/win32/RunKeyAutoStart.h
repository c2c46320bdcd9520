#pragma once

#include <string>

#include "app/AutoStart.h"

// The autostart entry as the value "Tactilo" (REG_SZ) under
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run.
//
// The command line is the program's full path in double quotes, then the switches:
// "C:\Program Files\Tactilo\Tactilo.exe" /cs. Unquoted, a path with a blank in it is split
// by the system at the blank and "C:\Program.exe" would be started instead.
class CRunKeyAutoStart final : public IAutoStart {
public:
    // strKeyPath under HKEY_CURRENT_USER; tests hand in a key of their own.
    explicit CRunKeyAutoStart(
        std::string strKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        std::string strValueName = "Tactilo");

    // strProgram names the program without its extension (ApplyAutoStart gives the
    // directory and "Tactilo"); ".exe" is added here.
    bool Write(const std::string& strProgram, const std::string& strArguments) override;
    bool Remove() override;
    // "Error: <n>", the registry's status, as option writes are told.
    std::string Problem() const override { return m_strProblem; }

    // The command line Write stores.
    static std::string CommandLine(const std::string& strProgram, const std::string& strArguments);

private:
    std::string m_strKeyPath;
    std::string m_strValueName;
    std::string m_strProblem;
};
