#include "win32/Win32Module.h"

#include <windows.h>

#include "win32/Win32Text.h"

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

UsageFacts Win32UsageFacts(const std::string& strAppDirectory, const std::string& strOptionsKey) {
    return {strAppDirectory + "Settings.dat", strOptionsKey + "\\SETTINGS (registry)",
            strAppDirectory + "Help.pdf",
            "Ports are named COM1, COM2, ... as Windows names them: the Device Manager lists\n"
            "each serial port and USB adapter under \"Ports (COM & LPT)\" with its COMn.\n"};
}
