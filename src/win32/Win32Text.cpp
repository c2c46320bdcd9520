#include "win32/Win32Text.h"

#include <windows.h>

std::wstring Utf8ToWide(const std::string& strText) {
    if (strText.empty()) {
        return {};
    }
    const int nChars = MultiByteToWideChar(CP_UTF8, 0, strText.data(),
                                           static_cast<int>(strText.size()), nullptr, 0);
    std::wstring strWide(static_cast<std::size_t>(nChars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()),
                        strWide.data(), nChars);
    return strWide;
}

std::string WideToUtf8(const std::wstring& strText) {
    if (strText.empty()) {
        return {};
    }
    const int nBytes = WideCharToMultiByte(
        CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), nullptr, 0, nullptr, nullptr);
    std::string strUtf8(static_cast<std::size_t>(nBytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()),
                        strUtf8.data(), nBytes, nullptr, nullptr);
    return strUtf8;
}

std::string SystemErrorText(unsigned long nError) {
    wchar_t* pszText = nullptr;
    const DWORD nChars = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, nError, 0, reinterpret_cast<wchar_t*>(&pszText), 0, nullptr);
    std::string strText;
    if (nChars > 0 && pszText) {
        strText = WideToUtf8(std::wstring(pszText, nChars));
    }
    LocalFree(pszText);
    while (!strText.empty() && (strText.back() == '\n' || strText.back() == '\r' ||
                                strText.back() == '.' || strText.back() == ' ')) {
        strText.pop_back();
    }
    return strText.empty() ? "error " + std::to_string(nError) : strText;
}
