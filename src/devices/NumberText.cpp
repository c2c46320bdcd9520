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
    // Accumulate as a magnitude and saturate at the int range, as a 32-bit long does on the
    // platform the files come from: a file must read the same wherever it is read.
    long long nMagnitude = 0;
    const long long nLimit = bNegative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; nPos < strText.size() && strText[nPos] >= '0' && strText[nPos] <= '9'; ++nPos) {
        nMagnitude = nMagnitude * 10 + (strText[nPos] - '0');
        if (nMagnitude > nLimit) {
            nMagnitude = nLimit;
        }
    }
    return static_cast<int>(bNegative ? -nMagnitude : nMagnitude);
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

    // Only the decimal form is a number here: "0x10" is the number 0 followed by other text,
    // as the runtime the files come from reads it (from_chars' general format agrees).
    if (pBegin != pEnd && (*pBegin == '+' || *pBegin == '-')) {
        return 0.0;  // a second sign: no number
    }
    const auto result = std::from_chars(pBegin, pEnd, dValue, std::chars_format::general);
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
