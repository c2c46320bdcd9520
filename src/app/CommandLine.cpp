#include "app/CommandLine.h"

#include <cstring>

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
