#include "linux/XdgAutoStart.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "linux/FolderTrust.h"
#include "linux/PosixFileReplacer.h"

namespace {

std::string ConfigHome() {
    // As the base-directory rules say: a relative XDG_CONFIG_HOME is ignored.
    if (const char* szConfig = std::getenv("XDG_CONFIG_HOME"); szConfig && *szConfig == '/') {
        return szConfig;
    }
    if (const char* szHome = std::getenv("HOME"); szHome && *szHome == '/') {
        return std::string(szHome) + "/.config";
    }
    // Never a shared folder such as /tmp: without a home of our own there is no entry.
    const std::string strHome = HomeFromPasswordDatabase();
    return strHome.empty() ? std::string() : strHome + "/.config";
}

// Layers 2 and 3: one argument in double quotes, percent signs doubled.
std::string QuoteArgument(const std::string& strArgument) {
    std::string strQuoted = "\"";
    for (const char c : strArgument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            strQuoted += '\\';
        } else if (c == '%') {
            strQuoted += '%';
        }
        strQuoted += c;
    }
    return strQuoted + '"';
}

// Layer 1: the escapes of a string value.
std::string EscapeString(const std::string& strValue) {
    std::string strEscaped;
    for (const char c : strValue) {
        switch (c) {
            case '\\':
                strEscaped += "\\\\";
                break;
            case '\n':
                strEscaped += "\\n";
                break;
            case '\t':
                strEscaped += "\\t";
                break;
            case '\r':
                strEscaped += "\\r";
                break;
            default:
                strEscaped += c;
                break;
        }
    }
    return strEscaped;
}

}  // namespace

std::string CXdgAutoStart::EntryPath() {
    const std::string strConfig = ConfigHome();
    return strConfig.empty() ? std::string() : strConfig + "/autostart/Tactilo.desktop";
}

std::string CXdgAutoStart::ExecValue(const std::string& strProgram,
                                     const std::string& strArguments) {
    return EscapeString(QuoteArgument(strProgram) + strArguments);
}

std::string CXdgAutoStart::EntryText(const std::string& strProgram,
                                     const std::string& strArguments) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=Tactilo\n"
           "Comment=Touch-screen driver for serial touch controllers\n"
           "TryExec=" +
           EscapeString(strProgram) +
           "\n"
           "Exec=" +
           ExecValue(strProgram, strArguments) +
           "\n"
           "Icon=tactilo\n"
           "Terminal=false\n"
           "Categories=Settings;HardwareSettings;\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool CXdgAutoStart::PrepareFolder(const std::string& strEntry) {
    if (strEntry.empty()) {
        m_strProblem = "neither HOME nor the password database names a home folder";
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(strEntry).parent_path();
    if (std::string strProblem = FolderTrustProblem(folder.string()); !strProblem.empty()) {
        m_strProblem = strEntry + ": " + strProblem;
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        m_strProblem = "the folder " + folder.string() + " could not be made: " + error.message();
        return false;
    }
    return true;
}

bool CXdgAutoStart::Write(const std::string& strProgram, const std::string& strArguments) {
    m_strProblem.clear();
    const std::string strEntry = EntryPath();
    if (!PrepareFolder(strEntry)) {
        return false;
    }
    // A session starting meanwhile finds the old entry or the new one, never half of one.
    CPosixFileReplacer replacer;
    const FileOutcome outcome = replacer.ReplaceFile(strEntry, EntryText(strProgram, strArguments));
    if (!outcome.Ok()) {
        m_strProblem = strEntry + ": " + outcome.strReason;
        return false;
    }
    return true;
}

bool CXdgAutoStart::Remove() {
    m_strProblem.clear();
    const std::string strEntry = EntryPath();
    std::error_code error;
    if (strEntry.empty() ||
        !std::filesystem::exists(std::filesystem::symlink_status(strEntry, error))) {
        return true;  // nothing to remove, wherever that would have been
    }
    if (const std::string strProblem =
            FolderTrustProblem(std::filesystem::path(strEntry).parent_path().string());
        !strProblem.empty()) {
        m_strProblem = strEntry + ": " + strProblem;
        return false;
    }
    std::filesystem::remove(strEntry, error);
    if (error) {
        m_strProblem = strEntry + ": " + error.message();
        return false;
    }
    return true;
}
