#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>

#include "ScriptParser.h"

// The script language is one command per line, words separated by blanks:
//
//   line                         command
//   "" / "# note"                Nothing
//   "down 100 200"               Down raw (100, 200)
//   "tap 100 200" / "... 80"     Tap, held 50 ms by default or 80 ms
//   "drag 1 2 3 4 [ms]"          Drag from raw (1, 2) to raw (3, 4)
//   "tappoint 960 540"           TapPoint, screen pixels through the calibration
//   "bytes C5 12 34" / "c51234"  Bytes, hex, pairs may be run together, "0x" allowed
//   "noise 960 5000"             Noise, 960 random bytes/s for 5 s
//   "strays 2000" / "strays 0"   Strays, a random byte every 2 s from now on / no more
//   "calibration <line>"         the rest of the line is a settings line
//   "echo <text>"                the rest of the line, as typed
//
// Raw values are 0..1023 (ten bits); pixels may be negative (monitors left of the primary).
// Every failure names the command and what it expected; nothing half-parsed escapes.

namespace {

enum class ArgKind { Raw, Pixel, Duration, Rate, Count, Seed, ByteRate };

struct Range {
    long long nMin;
    long long nMax;
    const char* szWhat;
};

Range RangeOf(ArgKind kind) {
    switch (kind) {
        case ArgKind::Raw:
            return {0, 1023, "raw values 0..1023"};
        case ArgKind::Pixel:
            return {-1000000, 1000000, "pixels"};
        case ArgKind::Duration:
            return {0, g_nMaxDurationMs, "milliseconds"};
        case ArgKind::Rate:
            return {1, g_nMaxRate, "packets per second 1..10000"};
        case ArgKind::Count:
            return {1, g_nMaxGarbage, "a byte count 1..1048576"};
        case ArgKind::Seed:
            return {0, 4294967295LL, "a number 0..4294967295"};
        case ArgKind::ByteRate:
            return {1, g_nMaxNoiseRate, "bytes per second 1..100000"};
    }
    return {0, 0, ""};
}

struct CommandForm {
    SimOp op;
    std::vector<ArgKind> vecArgs;  // required, in order
    int nOptional;                 // how many of the last arguments may be left out
    const char* szUsage;
};

const std::map<std::string, CommandForm>& CommandForms() {
    using A = ArgKind;
    static const std::map<std::string, CommandForm> s_forms = {
        {"rate", {SimOp::Rate, {A::Rate}, 0, "<packets/s>"}},
        {"seed", {SimOp::Seed, {A::Seed}, 0, "<number>"}},
        {"down", {SimOp::Down, {A::Raw, A::Raw}, 0, "<x> <y>"}},
        {"move", {SimOp::Move, {A::Raw, A::Raw}, 0, "<x> <y>"}},
        {"up", {SimOp::Up, {}, 0, "no arguments"}},
        {"hold", {SimOp::Hold, {A::Duration}, 0, "<ms>"}},
        {"wait", {SimOp::Wait, {A::Duration}, 0, "<ms>"}},
        {"tap", {SimOp::Tap, {A::Raw, A::Raw, A::Duration}, 1, "<x> <y> [ms]"}},
        {"drag",
         {SimOp::Drag,
          {A::Raw, A::Raw, A::Raw, A::Raw, A::Duration},
          1,
          "<x1> <y1> <x2> <y2> [ms]"}},
        {"garbage", {SimOp::Garbage, {A::Count}, 0, "<n>"}},
        {"stray", {SimOp::Stray, {}, 0, "no arguments"}},
        {"noise", {SimOp::Noise, {A::ByteRate, A::Duration}, 0, "<bytes/s> <ms>"}},
        {"strays", {SimOp::Strays, {A::Duration}, 0, "<ms between bytes, 0 for none>"}},
        {"point", {SimOp::Point, {A::Pixel, A::Pixel}, 0, "<px> <py>"}},
        {"movepoint", {SimOp::Point, {A::Pixel, A::Pixel}, 0, "<px> <py>"}},
        {"downpoint", {SimOp::DownPoint, {A::Pixel, A::Pixel}, 0, "<px> <py>"}},
        {"tappoint", {SimOp::TapPoint, {A::Pixel, A::Pixel, A::Duration}, 1, "<px> <py> [ms]"}},
        {"dragpoint",
         {SimOp::DragPoint,
          {A::Pixel, A::Pixel, A::Pixel, A::Pixel, A::Duration},
          1,
          "<px1> <py1> <px2> <py2> [ms]"}},
        {"hangup", {SimOp::Hangup, {}, 0, "no arguments"}},
        {"reopen", {SimOp::Reopen, {}, 0, "no arguments"}},
        {"quit", {SimOp::Quit, {}, 0, "no arguments"}},
    };
    return s_forms;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string StripComment(const std::string& strLine) {
    for (std::size_t i = 0; i < strLine.size(); ++i) {
        if (strLine[i] == '#' && (i == 0 || IsBlank(strLine[i - 1]))) {
            return strLine.substr(0, i);
        }
    }
    return strLine;
}

std::string Trim(const std::string& strText) {
    std::size_t nBegin = 0;
    std::size_t nEnd = strText.size();
    while (nBegin < nEnd && IsBlank(strText[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsBlank(strText[nEnd - 1])) {
        --nEnd;
    }
    return strText.substr(nBegin, nEnd - nBegin);
}

std::vector<std::string> Words(const std::string& strText) {
    std::vector<std::string> vecWords;
    std::istringstream stream(strText);
    std::string strWord;
    while (stream >> strWord) {
        vecWords.push_back(strWord);
    }
    return vecWords;
}

bool ParseNumber(const std::string& strWord, ArgKind kind, long long& nValue) {
    const char* pEnd = strWord.data() + strWord.size();
    const auto [pStop, error] = std::from_chars(strWord.data(), pEnd, nValue);
    const Range range = RangeOf(kind);
    return error == std::errc() && pStop == pEnd && nValue >= range.nMin && nValue <= range.nMax;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool ParseHexWord(std::string strWord, std::vector<unsigned char>& vecBytes) {
    if (strWord.size() > 2 && strWord[0] == '0' && (strWord[1] == 'x' || strWord[1] == 'X')) {
        strWord.erase(0, 2);
    }
    if (strWord.empty() || strWord.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < strWord.size(); i += 2) {
        const int nHigh = HexDigit(strWord[i]);
        const int nLow = HexDigit(strWord[i + 1]);
        if (nHigh < 0 || nLow < 0) {
            return false;
        }
        vecBytes.push_back(static_cast<unsigned char>(nHigh * 16 + nLow));
    }
    return true;
}

// The text after the command word, blanks around it removed.
std::string RestAfterWord(const std::string& strLine) {
    std::string strTrimmed = Trim(strLine);
    std::size_t nSpace = 0;
    while (nSpace < strTrimmed.size() && !IsBlank(strTrimmed[nSpace])) {
        ++nSpace;
    }
    return Trim(strTrimmed.substr(nSpace));
}

bool ParseFixed(const std::string& strName, const CommandForm& form,
                const std::vector<std::string>& vecWords, SimCommand& parsed,
                std::string& strError) {
    const std::size_t nGiven = vecWords.size() - 1;
    const std::size_t nMax = form.vecArgs.size();
    const std::size_t nMin = nMax - static_cast<std::size_t>(form.nOptional);
    if (nGiven < nMin || nGiven > nMax) {
        strError = strName + ": expected " + form.szUsage + ", got " + std::to_string(nGiven) +
                   (nGiven == 1 ? " argument" : " arguments");
        return false;
    }
    long long anValues[5] = {0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < nGiven; ++i) {
        if (!ParseNumber(vecWords[i + 1], form.vecArgs[i], anValues[i])) {
            strError = strName + ": expected " + form.szUsage + ", " +
                       RangeOf(form.vecArgs[i]).szWhat + ", got '" + vecWords[i + 1] + "'";
            return false;
        }
    }
    parsed.op = form.op;
    switch (form.op) {
        case SimOp::Rate:
        case SimOp::Hold:
        case SimOp::Wait:
        case SimOp::Garbage:
        case SimOp::Strays:
            parsed.nValue = static_cast<int>(anValues[0]);
            break;
        case SimOp::Noise:
            parsed.nX1 = static_cast<int>(anValues[0]);
            parsed.nValue = static_cast<int>(anValues[1]);
            break;
        case SimOp::Seed:
            parsed.nValue = static_cast<int>(static_cast<unsigned>(anValues[0]));
            break;
        case SimOp::Tap:
        case SimOp::TapPoint:
            parsed.nX1 = static_cast<int>(anValues[0]);
            parsed.nY1 = static_cast<int>(anValues[1]);
            parsed.nValue = nGiven == 3 ? static_cast<int>(anValues[2]) : g_nDefaultTapMs;
            break;
        case SimOp::Drag:
        case SimOp::DragPoint:
            parsed.nX1 = static_cast<int>(anValues[0]);
            parsed.nY1 = static_cast<int>(anValues[1]);
            parsed.nX2 = static_cast<int>(anValues[2]);
            parsed.nY2 = static_cast<int>(anValues[3]);
            parsed.nValue = nGiven == 5 ? static_cast<int>(anValues[4]) : g_nDefaultDragMs;
            break;
        default:
            parsed.nX1 = static_cast<int>(anValues[0]);
            parsed.nY1 = static_cast<int>(anValues[1]);
            break;
    }
    return true;
}

}  // namespace

bool ParseScriptLine(const std::string& strLine, SimCommand& command, std::string& strError) {
    const std::string strCode = StripComment(strLine);
    const std::vector<std::string> vecWords = Words(strCode);
    SimCommand parsed;
    if (vecWords.empty()) {
        command = parsed;
        return true;
    }
    const std::string& strName = vecWords[0];
    const std::string strRest = RestAfterWord(strCode);

    if (strName == "echo") {
        // The text as typed (a comment after it is still a comment).
        parsed.op = SimOp::Echo;
        parsed.strText = strRest;
    } else if (strName == "bytes") {
        if (vecWords.size() < 2) {
            strError = "bytes: expected hex bytes, e.g. 'bytes C5 12 34'";
            return false;
        }
        for (std::size_t i = 1; i < vecWords.size(); ++i) {
            if (!ParseHexWord(vecWords[i], parsed.vecBytes)) {
                strError =
                    "bytes: expected hex bytes (pairs of 0-9/A-F), got '" + vecWords[i] + "'";
                return false;
            }
        }
        parsed.op = SimOp::Bytes;
    } else if (strName == "file") {
        if (strRest.empty()) {
            strError = "file: expected <path> of a recorded byte file";
            return false;
        }
        parsed.op = SimOp::File;
        parsed.strText = strRest;
    } else if (strName == "calibration") {
        if (strRest.find(';') == std::string::npos) {
            strError = "calibration: expected a settings line (25 fields, each ending in ';')";
            return false;
        }
        parsed.op = SimOp::Calibration;
        parsed.strText = strRest;
    } else if (strName == "calibration-file") {
        if (vecWords.size() < 2 || vecWords.size() > 3) {
            strError = "calibration-file: expected <path> [device name]";
            return false;
        }
        parsed.op = SimOp::CalibrationFile;
        parsed.strText = vecWords[1];
        parsed.strName = vecWords.size() == 3 ? vecWords[2] : std::string();
    } else if (const auto it = CommandForms().find(strName); it != CommandForms().end()) {
        if (!ParseFixed(strName, it->second, vecWords, parsed, strError)) {
            return false;
        }
    } else {
        strError = "unknown command '" + strName + "'";
        return false;
    }
    command = std::move(parsed);
    return true;
}
