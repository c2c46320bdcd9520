#include "devices/NumberText.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace {

bool IsCSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

std::size_t SkipSpace(const std::string& strText) {
    std::size_t nPos = 0;
    while (nPos < strText.size() && IsCSpace(strText[nPos])) {
        ++nPos;
    }
    return nPos;
}

bool StartsWithNoCase(const char* pBegin, const char* pEnd, const char* szWord) {
    for (; *szWord != '\0'; ++szWord, ++pBegin) {
        if (pBegin == pEnd || (*pBegin | 0x20) != *szWord) {
            return false;
        }
    }
    return true;
}

}  // namespace

int TextToInt(const std::string& strText) {
    std::size_t nPos = SkipSpace(strText);
    bool bNegative = false;
    if (nPos < strText.size() && (strText[nPos] == '+' || strText[nPos] == '-')) {
        bNegative = strText[nPos] == '-';
        ++nPos;
    }
    // Accumulate as a magnitude and saturate like strtol does.
    unsigned long long nMagnitude = 0;
    const unsigned long long nLimit =
        bNegative ? static_cast<unsigned long long>(LONG_MAX) + 1 : LONG_MAX;
    for (; nPos < strText.size() && strText[nPos] >= '0' && strText[nPos] <= '9'; ++nPos) {
        nMagnitude = nMagnitude * 10 + static_cast<unsigned>(strText[nPos] - '0');
        if (nMagnitude > nLimit) {
            nMagnitude = nLimit;
        }
    }
    const long nValue =
        bNegative ? static_cast<long>(0 - nMagnitude) : static_cast<long>(nMagnitude);
    return static_cast<int>(nValue);  // modulo 2^32, as the C library's atoi gives it
}

double TextToDouble(const std::string& strText) {
    std::size_t nPos = SkipSpace(strText);
    bool bNegative = false;
    if (nPos < strText.size() && (strText[nPos] == '+' || strText[nPos] == '-')) {
        bNegative = strText[nPos] == '-';
        ++nPos;
    }
    const char* pBegin = strText.data() + nPos;
    const char* pEnd = strText.data() + strText.size();
    double dValue = 0.0;

    auto format = std::chars_format::general;
    if (pEnd - pBegin >= 2 && pBegin[0] == '0' && (pBegin[1] | 0x20) == 'x') {
        const char* pDigits = pBegin + 2;
        if (pDigits != pEnd && *pDigits != '+' && *pDigits != '-') {
            double dHex = 0.0;
            if (std::from_chars(pDigits, pEnd, dHex, std::chars_format::hex).ec == std::errc()) {
                return bNegative ? -dHex : dHex;
            }
        }
        // "0x" without hex digits reads as the number 0 followed by other text.
        return bNegative ? -0.0 : 0.0;
    }
    if (pBegin != pEnd && (*pBegin == '+' || *pBegin == '-')) {
        return 0.0;  // a second sign: no number
    }
    const auto result = std::from_chars(pBegin, pEnd, dValue, format);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the C library gives HUGE_VAL or 0.
        bool bTiny = false;
        for (const char* p = pBegin; p != result.ptr; ++p) {
            if ((*p | 0x20) == 'e') {
                bTiny = (p + 1 != result.ptr && p[1] == '-');
            }
        }
        dValue = bTiny ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        // from_chars knows "inf" and "nan" but some versions reject "infinity"
        if (StartsWithNoCase(pBegin, pEnd, "inf")) {
            dValue = HUGE_VAL;
        } else if (StartsWithNoCase(pBegin, pEnd, "nan")) {
            dValue = NAN;
        } else {
            return 0.0;
        }
    }
    return bNegative ? -dValue : dValue;
}

std::string IntToText(long long nValue) {
    char szBuffer[24];
    const auto result = std::to_chars(szBuffer, szBuffer + sizeof szBuffer, nValue);
    return std::string(szBuffer, result.ptr);
}

std::string DoubleToText(double dValue) {
    // The largest double has 309 integer digits; 6 decimals, sign and point fit in 330.
    char szBuffer[330];
    const auto result =
        std::to_chars(szBuffer, szBuffer + sizeof szBuffer, dValue, std::chars_format::fixed, 6);
    return std::string(szBuffer, result.ptr);
}
