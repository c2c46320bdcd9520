#include "app/XdgAutoStart.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::string ConfigHome() {
    // As the base-directory rules say: a relative XDG_CONFIG_HOME is ignored.
    if (const char* szConfig = std::getenv("XDG_CONFIG_HOME"); szConfig && *szConfig == '/') {
        return szConfig;
    }
    if (const char* szHome = std::getenv("HOME"); szHome && *szHome) {
        return std::string(szHome) + "/.config";
    }
    return "/tmp";
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
    return ConfigHome() + "/autostart/Tactilo.desktop";
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

bool CXdgAutoStart::Write(const std::string& strProgram, const std::string& strArguments) {
    const std::filesystem::path entry = EntryPath();
    std::error_code error;
    std::filesystem::create_directories(entry.parent_path(), error);
    if (error) {
        return false;
    }
    // Written aside and renamed over the old entry, so a session starting meanwhile finds
    // the old entry or the new one, never half of one.
    std::filesystem::path temporary = entry;
    temporary += ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << EntryText(strProgram, strArguments);
        file.close();
        if (!file) {
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::filesystem::rename(temporary, entry, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

bool CXdgAutoStart::Remove() {
    std::error_code error;
    std::filesystem::remove(EntryPath(), error);
    return !error;
}
