#pragma once

#include <string>

// Text at the edge of the Windows API. Inside the program paths and registry texts are UTF-8
// std::strings, as on Linux; the API's W functions take UTF-16, so a path with letters
// outside the ANSI code page still works.
std::wstring Utf8ToWide(const std::string& strText);
std::string WideToUtf8(const std::wstring& strText);

// The system's text for a Windows error number ("Access is denied"), without the trailing
// full stop and line end, or "error N" when the system has none.
std::string SystemErrorText(unsigned long nError);
