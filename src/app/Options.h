#pragma once

#include <array>
#include <string>

class IMessageBox;

// The three options of the Device Manager window, kept per user in the section "SETTINGS":
//
//   key               stored as   default   control                      values
//   "AutoStart"       integer     1         "Run Tactilo on Startup"     0 or 1
//   "Precision"       text        "15"      drop-down "5" ... "30"       a drop-down entry
//   "RightClickTime"  integer     2000      edit, milliseconds           0 to 5000
//
// The window reads them once at start-up and writes them only on OK; each write that fails
// is reported on its own and the others are still made, so one bad key never costs the rest.

constexpr const char* OPTIONS_SECTION = "SETTINGS";
constexpr const char* OPTION_AUTO_START = "AutoStart";
constexpr const char* OPTION_PRECISION = "Precision";
constexpr const char* OPTION_RIGHT_CLICK_TIME = "RightClickTime";

constexpr int AUTO_START_DEFAULT = 1;
constexpr const char* PRECISION_DEFAULT = "15";
constexpr int RIGHT_CLICK_TIME_DEFAULT = 2000;

// Where the options live. Reads fall back to the default when the key is absent or holds
// something of the wrong kind. Writes return 0, or an errno value saying why the key could
// not be stored.
class IOptionsStore {
public:
    virtual ~IOptionsStore() = default;
    virtual int GetProfileInt(const char* szSection, const char* szEntry, int nDefault) = 0;
    virtual std::string GetProfileString(const char* szSection, const char* szEntry,
                                         const std::string& strDefault) = 0;
    virtual int WriteProfileInt(const char* szSection, const char* szEntry, int nValue) = 0;
    virtual int WriteProfileString(const char* szSection, const char* szEntry,
                                   const std::string& strValue) = 0;
};

// The options as the window's members hold them.
struct Options {
    bool m_bAutoStart = AUTO_START_DEFAULT != 0;
    // As stored; PrecisionSelection() tells which drop-down entry it selects.
    std::string m_strPrecision = PRECISION_DEFAULT;
    unsigned m_nRightClickTime = RIGHT_CLICK_TIME_DEFAULT;
};

// Reads the three keys, each with its default.
Options ReadOptions(IOptionsStore& store);

// Writes "AutoStart", "Precision" and "RightClickTime" in that order. Every failed key gets
// its own message, for example "Writing Precision failed. Error: 13", and the later keys are
// written all the same. Returns whether all three were written.
bool WriteOptions(IOptionsStore& store, const Options& options, IMessageBox& messages);

// The double click precision drop-down, in its order.
constexpr std::array<const char*, 6> PRECISION_ENTRIES = {"5", "10", "15", "20", "25", "30"};
// The entry a stored text that is no entry selects ("10").
constexpr int PRECISION_FALLBACK_INDEX = 1;

// The drop-down entry that equals strStored exactly, or PRECISION_FALLBACK_INDEX.
int PrecisionSelection(const std::string& strStored);
// The precision in pixels: the leading decimal number of the text, 0 when there is none
// (so the selected entry's text gives its number).
int PrecisionPixels(const std::string& strPrecision);

// The right click delay field: an unsigned decimal number (blanks around it allowed) from
// RIGHT_CLICK_TIME_MIN to RIGHT_CLICK_TIME_MAX milliseconds. On success sets nValueMs; on
// failure leaves it alone and sets strMessage to the text to show the user.
constexpr unsigned RIGHT_CLICK_TIME_MIN = 0;
constexpr unsigned RIGHT_CLICK_TIME_MAX = 5000;
bool ParseRightClickTime(const std::string& strText, unsigned& nValueMs, std::string& strMessage);
