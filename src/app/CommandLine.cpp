#include "app/CommandLine.h"

#include <cstring>
#include <utility>
#include <vector>

void CMyCommandLineInfo::ParseParam(const char* szParam, bool /*bFlag*/, bool /*bLast*/) {
    if (std::strcmp(szParam, "s") == 0) {
        m_bSwitchS = true;
    } else if (std::strcmp(szParam, "c") == 0) {
        m_bSwitchC = true;
    } else if (std::strcmp(szParam, "cs") == 0) {
        m_bSwitchCs = true;
    } else if (std::strcmp(szParam, "csw") == 0) {
        m_bSwitchCsw = true;
    } else if (std::strcmp(szParam, "install") == 0) {
        m_bSwitchInstall = true;
    }
}

void CMyCommandLineInfo::ParseCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* szParam = argv[i];
        const bool bFlag = szParam[0] == '/' || szParam[0] == '-';
        ParseParam(bFlag ? szParam + 1 : szParam, bFlag, i + 1 == argc);
    }
}

bool CMyCommandLineInfo::AnySwitch() const {
    return m_bSwitchS || m_bSwitchC || m_bSwitchInstall || m_bSwitchCs || m_bSwitchCsw;
}

std::string CMyCommandLineInfo::AutoStartSuffix() const {
    return ::AutoStartSuffix(m_bSwitchS, m_bSwitchC, m_bSwitchCs, m_bSwitchCsw);
}

std::string CMyCommandLineInfo::SwitchArguments() const {
    std::string strArguments;
    for (const auto& [bSet, szName] :
         {std::pair{m_bSwitchS, "/s"}, std::pair{m_bSwitchC, "/c"},
          std::pair{m_bSwitchInstall, "/install"}, std::pair{m_bSwitchCs, "/cs"},
          std::pair{m_bSwitchCsw, "/csw"}}) {
        if (bSet) {
            strArguments += (strArguments.empty() ? "" : " ") + std::string(szName);
        }
    }
    return strArguments;
}

CMyCommandLineInfo CMyCommandLineInfo::FromArguments(const std::string& strArguments) {
    std::vector<std::string> vecWords{""};
    for (const char c : strArguments) {
        if (c == ' ') {
            vecWords.emplace_back();
        } else {
            vecWords.back() += c;
        }
    }
    std::vector<const char*> vecArgv{"Tactilo"};
    for (const std::string& strWord : vecWords) {
        if (!strWord.empty()) {
            vecArgv.push_back(strWord.c_str());
        }
    }
    CMyCommandLineInfo switches;
    switches.ParseCommandLine(static_cast<int>(vecArgv.size()), vecArgv.data());
    return switches;
}

std::string AutoStartSuffix(bool bSwitchS, bool bSwitchC, bool bSwitchCs, bool bSwitchCsw) {
    if (bSwitchS) {
        return " /s";
    }
    if (bSwitchC) {
        return " /c";
    }
    if (bSwitchCs) {
        return " /cs";
    }
    if (bSwitchCsw) {
        return " /csw";
    }
    return "";
}

InfoRequest FindInfoRequest(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return InfoRequest::Help;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            return InfoRequest::Version;
        }
    }
    return InfoRequest::None;
}

std::string UsageText(const UsageFacts& facts) {
    std::string strText =
        "Usage: Tactilo [/s | /c | /cs | /csw | /install]\n"
        "       Tactilo --help | -h | --version\n"
        "\n"
        "Without a switch Tactilo runs hidden behind its tray icon. With a switch it shows\n"
        "the Device Manager and ends when you choose Exit. A switch may also be written\n"
        "with '-' or without a prefix (s, -s, /s).\n"
        "  /s         show the Device Manager\n"
        "  /c         calibrate the active device at start\n"
        "  /cs        calibrate, then hide to the tray\n"
        "  /csw       calibrate, then hide to the tray unless calibrating could not start\n"
        "  /install   show the Device Manager, nothing else\n"
        "\n"
        "Files:\n";
    strText += "  devices     " + facts.strSettingsFile + "\n";
    strText += "  options     " + facts.strOptions + "\n";
    strText += "  manual      " + facts.strHelpFile + "\n";
    strText += "\n" + facts.strPorts;
    return strText;
}

std::string VersionText(const std::string& strVersion) {
    return "Tactilo " + strVersion + "\n";
}
