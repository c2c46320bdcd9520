#include "devices/LegacyText.h"

#include <cstdint>

namespace {

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined map to the C1 controls of
// the same number, as Windows' own conversion does.
const char16_t g_aHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& strOut, char32_t nCode) {
    if (nCode < 0x80) {
        strOut += static_cast<char>(nCode);
    } else if (nCode < 0x800) {
        strOut += static_cast<char>(0xC0 | (nCode >> 6));
        strOut += static_cast<char>(0x80 | (nCode & 0x3F));
    } else {
        strOut += static_cast<char>(0xE0 | (nCode >> 12));
        strOut += static_cast<char>(0x80 | ((nCode >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (nCode & 0x3F));
    }
}

}  // namespace

bool IsUtf8(const std::string& strText) {
    std::size_t i = 0;
    while (i < strText.size()) {
        const auto nLead = static_cast<std::uint8_t>(strText[i]);
        int nFollow = 0;
        char32_t nCode = 0;
        char32_t nMin = 0;
        if (nLead < 0x80) {
            ++i;
            continue;
        } else if (nLead >= 0xC2 && nLead <= 0xDF) {
            nFollow = 1, nCode = nLead & 0x1F, nMin = 0x80;
        } else if (nLead >= 0xE0 && nLead <= 0xEF) {
            nFollow = 2, nCode = nLead & 0x0F, nMin = 0x800;
        } else if (nLead >= 0xF0 && nLead <= 0xF4) {
            nFollow = 3, nCode = nLead & 0x07, nMin = 0x10000;
        } else {
            return false;
        }
        if (strText.size() - i <= static_cast<std::size_t>(nFollow)) {
            return false;
        }
        for (int k = 1; k <= nFollow; ++k) {
            const auto nByte = static_cast<std::uint8_t>(strText[i + k]);
            if ((nByte & 0xC0) != 0x80) {
                return false;
            }
            nCode = (nCode << 6) | (nByte & 0x3F);
        }
        if (nCode < nMin || nCode > 0x10FFFF || (nCode >= 0xD800 && nCode <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(nFollow) + 1;
    }
    return true;
}

std::string DisplayText(const std::string& strStored) {
    if (IsUtf8(strStored)) {
        return strStored;
    }
    std::string strOut;
    strOut.reserve(strStored.size() * 2);
    for (const char ch : strStored) {
        const auto nByte = static_cast<std::uint8_t>(ch);
        if (nByte >= 0x80 && nByte < 0xA0) {
            AppendUtf8(strOut, g_aHighControls[nByte - 0x80]);
        } else {
            AppendUtf8(strOut, nByte);  // Latin-1 and Windows-1252 agree on the rest
        }
    }
    return strOut;
}

std::string StoredText(const std::string& strShown, const std::string& strStored) {
    return strShown == DisplayText(strStored) ? strStored : strShown;
}

std::string ShownField(const std::string& strStored) {
    if (strStored.size() <= MAX_SHOWN_FIELD_BYTES) {
        return strStored;
    }
    if (!IsUtf8(strStored)) {
        return strStored.substr(0, MAX_SHOWN_FIELD_BYTES - 1) + '\x85';
    }
    // Room for the three bytes of the ellipsis; never end inside a character.
    std::size_t nCut = MAX_SHOWN_FIELD_BYTES - 3;
    while (nCut > 0 && (static_cast<unsigned char>(strStored[nCut]) & 0xC0) == 0x80) {
        --nCut;
    }
    return strStored.substr(0, nCut) + "\xE2\x80\xA6";
}
