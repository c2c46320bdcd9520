#include "win32/RunKeyAutoStart.h"

#include <windows.h>

#include <utility>

#include "win32/Win32Text.h"

CRunKeyAutoStart::CRunKeyAutoStart(std::string strKeyPath, std::string strValueName)
    : m_strKeyPath(std::move(strKeyPath)), m_strValueName(std::move(strValueName)) {}

std::string CRunKeyAutoStart::CommandLine(const std::string& strProgram,
                                          const std::string& strArguments) {
    return "\"" + strProgram + ".exe\"" + strArguments;
}

bool CRunKeyAutoStart::Write(const std::string& strProgram, const std::string& strArguments) {
    const std::wstring strData = Utf8ToWide(CommandLine(strProgram, strArguments));
    const LSTATUS nStatus = RegSetKeyValueW(
        HKEY_CURRENT_USER, Utf8ToWide(m_strKeyPath).c_str(), Utf8ToWide(m_strValueName).c_str(),
        REG_SZ, strData.c_str(), static_cast<DWORD>((strData.size() + 1) * sizeof(wchar_t)));
    m_strProblem = nStatus == ERROR_SUCCESS ? "" : "Error: " + std::to_string(nStatus);
    return nStatus == ERROR_SUCCESS;
}

bool CRunKeyAutoStart::Remove() {
    const LSTATUS nStatus = RegDeleteKeyValueW(HKEY_CURRENT_USER, Utf8ToWide(m_strKeyPath).c_str(),
                                               Utf8ToWide(m_strValueName).c_str());
    const bool bDone = nStatus == ERROR_SUCCESS || nStatus == ERROR_FILE_NOT_FOUND;
    m_strProblem = bDone ? "" : "Error: " + std::to_string(nStatus);
    return bDone;
}
