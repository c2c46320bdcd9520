#include "app/Options.h"

#include <cstdlib>

#include "app/MessageBox.h"

Options ReadOptions(IOptionsStore& store) {
    Options options;
    options.m_bAutoStart =
        store.GetProfileInt(OPTIONS_SECTION, OPTION_AUTO_START, AUTO_START_DEFAULT) != 0;
    options.m_strPrecision =
        store.GetProfileString(OPTIONS_SECTION, OPTION_PRECISION, PRECISION_DEFAULT);
    // Read as the field reads it: a file edited by hand may hold anything ("-1" would wrap to
    // a delay that never ends, a number beyond int may be cut to another one), and whatever
    // the field would refuse is the default instead.
    // The registry keeps the delay as a number, which it will not read as a text: there the
    // number, read first, stands in for the text.
    const int nStored =
        store.GetProfileInt(OPTIONS_SECTION, OPTION_RIGHT_CLICK_TIME, RIGHT_CLICK_TIME_DEFAULT);
    const std::string strDelay = store.GetProfileString(OPTIONS_SECTION, OPTION_RIGHT_CLICK_TIME,
                                                        std::to_string(nStored));
    std::string strIgnored;
    if (!ParseRightClickTime(strDelay, options.m_nRightClickTime, strIgnored)) {
        options.m_nRightClickTime = RIGHT_CLICK_TIME_DEFAULT;
    }
    return options;
}

namespace {

bool Report(int nError, const char* szEntry, IMessageBox& messages) {
    if (nError == 0) {
        return true;
    }
    messages.Show(std::string("Writing ") + szEntry + " failed. Error: " + std::to_string(nError),
                  MessageIcon::None);
    return false;
}

}  // namespace

bool WriteOptions(IOptionsStore& store, const Options& options, IMessageBox& messages) {
    bool bAll = Report(
        store.WriteProfileInt(OPTIONS_SECTION, OPTION_AUTO_START, options.m_bAutoStart ? 1 : 0),
        OPTION_AUTO_START, messages);
    bAll &=
        Report(store.WriteProfileString(OPTIONS_SECTION, OPTION_PRECISION, options.m_strPrecision),
               OPTION_PRECISION, messages);
    bAll &= Report(store.WriteProfileInt(OPTIONS_SECTION, OPTION_RIGHT_CLICK_TIME,
                                         static_cast<int>(options.m_nRightClickTime)),
                   OPTION_RIGHT_CLICK_TIME, messages);
    return bAll;
}

int PrecisionSelection(const std::string& strStored) {
    for (std::size_t i = 0; i < PRECISION_ENTRIES.size(); ++i) {
        if (strStored == PRECISION_ENTRIES[i]) {
            return static_cast<int>(i);
        }
    }
    return PRECISION_FALLBACK_INDEX;
}

int PrecisionPixels(const std::string& strPrecision) {
    return std::atoi(strPrecision.c_str());
}

bool ParseRightClickTime(const std::string& strText, unsigned& nValueMs, std::string& strMessage) {
    const auto IsBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t nBegin = 0;
    std::size_t nEnd = strText.size();
    while (nBegin < nEnd && IsBlank(strText[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsBlank(strText[nEnd - 1])) {
        --nEnd;
    }
    if (nBegin == nEnd) {
        strMessage = "Please enter an unsigned integer.";
        return false;
    }
    // Digits only: no sign, so "-1" is not taken for a huge number. Counting stops above the
    // maximum, so any run of digits is a number that is merely too large.
    unsigned long long nValue = 0;
    for (std::size_t i = nBegin; i < nEnd; ++i) {
        const char c = strText[i];
        if (c < '0' || c > '9') {
            strMessage = "Please enter an unsigned integer.";
            return false;
        }
        if (nValue <= RIGHT_CLICK_TIME_MAX) {
            nValue = nValue * 10 + static_cast<unsigned>(c - '0');
        }
    }
    static_assert(RIGHT_CLICK_TIME_MIN == 0, "digits alone cannot be below the minimum");
    if (nValue > RIGHT_CLICK_TIME_MAX) {
        strMessage = "Please enter an integer between " + std::to_string(RIGHT_CLICK_TIME_MIN) +
                     " and " + std::to_string(RIGHT_CLICK_TIME_MAX) + ".";
        return false;
    }
    nValueMs = static_cast<unsigned>(nValue);
    return true;
}
