#include "app/Win32Module.h"

#include <windows.h>

#include "app/Win32Text.h"

std::string ModuleFilePath() {
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD nChars =
            GetModuleFileNameW(nullptr, strPath.data(), static_cast<DWORD>(strPath.size()));
        if (nChars == 0) {
            return {};
        }
        if (nChars < strPath.size()) {
            strPath.resize(nChars);
            return WideToUtf8(strPath);
        }
        strPath.resize(strPath.size() * 2);  // cut short: ask again with more room
    }
}

std::string Win32AppDirectory() {
    const std::string strPath = ModuleFilePath();
    const std::size_t nSlash = strPath.find_last_of("\\/");
    return nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1);
}

std::string TerminateMessageName(const std::string& strExePath) {
    return "BRENHOLD-QX-TerminateBrenholdTactilo-" + strExePath;
}

unsigned RegisterTerminateMessage(const std::string& strExePath) {
    return RegisterWindowMessageW(Utf8ToWide(TerminateMessageName(strExePath)).c_str());
}
