#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "ScriptParser.h"

// Readable failures: the command's fields rather than its bytes.
void PrintTo(const SimCommand& command, std::ostream* pStream) {
    *pStream << "op " << static_cast<int>(command.op) << " (" << command.nX1 << ", " << command.nY1
             << ") (" << command.nX2 << ", " << command.nY2 << ") value " << command.nValue
             << " text '" << command.strText << "' name '" << command.strName << "' "
             << command.vecBytes.size() << " bytes";
}

namespace {

struct ParseRow {
    std::string strLine;
    bool bOk;
    SimCommand expected;       // for failing rows: unused, the command must stay untouched
    const char* szError = "";  // a part of the error text a user needs to see
};

SimCommand Cmd(SimOp op, int nX1 = 0, int nY1 = 0, int nValue = 0) {
    SimCommand command;
    command.op = op;
    command.nX1 = nX1;
    command.nY1 = nY1;
    command.nValue = nValue;
    return command;
}

SimCommand Drag(SimOp op, int nX1, int nY1, int nX2, int nY2, int nMs) {
    SimCommand command = Cmd(op, nX1, nY1, nMs);
    command.nX2 = nX2;
    command.nY2 = nY2;
    return command;
}

SimCommand Text(SimOp op, const std::string& strText, const std::string& strName = "") {
    SimCommand command = Cmd(op);
    command.strText = strText;
    command.strName = strName;
    return command;
}

SimCommand Bytes(std::vector<unsigned char> vecBytes) {
    SimCommand command = Cmd(SimOp::Bytes);
    command.vecBytes = std::move(vecBytes);
    return command;
}

const char* const g_szLine =
    "Front;DISPLAY1;COM3;9600;1;0;1920;0;1080;1.920000;1005.000000;5.000000;1.464407;"
    "868.000000;131.000000;505.000000;499.000000;105.000000;905.000000;1000.000000;"
    "205.000000;795.000000;737.500000;0;0;";

void PrintTo(const ParseRow& row, std::ostream* pStream) {
    *pStream << "'" << row.strLine << "'";
}

class ScriptParserTable : public ::testing::TestWithParam<ParseRow> {};

}  // namespace

TEST_P(ScriptParserTable, ParsesOrExplains) {
    const ParseRow& row = GetParam();
    SimCommand sentinel = Text(SimOp::Echo, "untouched");
    SimCommand command = sentinel;
    std::string strError;
    EXPECT_EQ(ParseScriptLine(row.strLine, command, strError), row.bOk) << strError;
    if (row.bOk) {
        EXPECT_EQ(command, row.expected);
    } else {
        EXPECT_EQ(command, sentinel);
        EXPECT_NE(strError.find(row.szError), std::string::npos) << strError;
    }
}

// One row per line, as a table reads.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptParserTable,
    ::testing::Values(
        // blank lines and comments
        ParseRow{"", true, Cmd(SimOp::Nothing)},
        ParseRow{"   \t ", true, Cmd(SimOp::Nothing)},
        ParseRow{"# a comment", true, Cmd(SimOp::Nothing)},
        ParseRow{"down 1 2   # press", true, Cmd(SimOp::Down, 1, 2)},
        ParseRow{"down 1 2\r", true, Cmd(SimOp::Down, 1, 2)},
        // raw coordinates: ten bits, whole numbers only
        ParseRow{"down 0 1023", true, Cmd(SimOp::Down, 0, 1023)},
        ParseRow{"move 512 384", true, Cmd(SimOp::Move, 512, 384)},
        ParseRow{"down 1024 0", false, {}, "raw values 0..1023, got '1024'"},
        ParseRow{"down -1 0", false, {}, "got '-1'"},
        ParseRow{"down 1.5 2", false, {}, "got '1.5'"},
        ParseRow{"down 12abc 2", false, {}, "got '12abc'"},
        ParseRow{"down 1", false, {}, "down: expected <x> <y>, got 1 argument"},
        ParseRow{"down 1 2 3", false, {}, "got 3 arguments"},
        // the release needs no point: it repeats the last one
        ParseRow{"up", true, Cmd(SimOp::Up)},
        ParseRow{"up 1", false, {}, "up: expected no arguments"},
        // durations and rates
        ParseRow{"hold 250", true, Cmd(SimOp::Hold, 0, 0, 250)},
        ParseRow{"wait 0", true, Cmd(SimOp::Wait, 0, 0, 0)},
        ParseRow{"wait -5", false, {}, "milliseconds"},
        ParseRow{"rate 100", true, Cmd(SimOp::Rate, 0, 0, 100)},
        ParseRow{"rate 0", false, {}, "packets per second"},
        ParseRow{"rate 10001", false, {}, "packets per second"},
        // optional durations
        ParseRow{"tap 10 20", true, Cmd(SimOp::Tap, 10, 20, g_nDefaultTapMs)},
        ParseRow{"tap 10 20 80", true, Cmd(SimOp::Tap, 10, 20, 80)},
        ParseRow{"drag 1 2 3 4", true, Drag(SimOp::Drag, 1, 2, 3, 4, g_nDefaultDragMs)},
        ParseRow{"drag 1 2 3 4 500", true, Drag(SimOp::Drag, 1, 2, 3, 4, 500)},
        ParseRow{"drag 1 2 3", false, {}, "<x1> <y1> <x2> <y2> [ms]"},
        // screen pixels may be negative: monitors left of the primary one
        ParseRow{"point -1280 20", true, Cmd(SimOp::Point, -1280, 20)},
        ParseRow{"movepoint 5 6", true, Cmd(SimOp::Point, 5, 6)},
        ParseRow{"downpoint 5 6", true, Cmd(SimOp::DownPoint, 5, 6)},
        ParseRow{"tappoint 960 540 70", true, Cmd(SimOp::TapPoint, 960, 540, 70)},
        ParseRow{"dragpoint 0 0 100 50", true,
                 Drag(SimOp::DragPoint, 0, 0, 100, 50, g_nDefaultDragMs)},
        // bytes
        ParseRow{"garbage 64", true, Cmd(SimOp::Garbage, 0, 0, 64)},
        ParseRow{"garbage 0", false, {}, "byte count"},
        ParseRow{"stray", true, Cmd(SimOp::Stray)},
        ParseRow{"noise 960 5000", true, Cmd(SimOp::Noise, 960, 0, 5000)},
        ParseRow{"noise 100001 10", false, {}, "bytes per second 1..100000"},
        ParseRow{"noise 960", false, {}, "noise: expected <bytes/s> <ms>"},
        ParseRow{"strays 2000", true, Cmd(SimOp::Strays, 0, 0, 2000)},
        ParseRow{"strays 0", true, Cmd(SimOp::Strays, 0, 0, 0)},
        ParseRow{"bytes C5 12 34", true, Bytes({0xC5, 0x12, 0x34})},
        ParseRow{"bytes c51234 0x7f", true, Bytes({0xC5, 0x12, 0x34, 0x7F})},
        ParseRow{"bytes C5 1", false, {}, "got '1'"},
        ParseRow{"bytes zz", false, {}, "got 'zz'"},
        ParseRow{"bytes", false, {}, "expected hex bytes"},
        ParseRow{"file /tmp/rec.bin", true, Text(SimOp::File, "/tmp/rec.bin")},
        ParseRow{"file", false, {}, "file: expected <path>"},
        // calibration: the rest of the line is a settings line, '#' inside a word stays
        ParseRow{(std::string("calibration ") + g_szLine), true,
                 Text(SimOp::Calibration, g_szLine)},
        ParseRow{"calibration nothing here", false, {}, "settings line"},
        ParseRow{"calibration-file /tmp/Settings.dat", true,
                 Text(SimOp::CalibrationFile, "/tmp/Settings.dat")},
        ParseRow{"calibration-file /tmp/Settings.dat Front", true,
                 Text(SimOp::CalibrationFile, "/tmp/Settings.dat", "Front")},
        ParseRow{"calibration-file", false, {}, "<path> [device name]"},
        // echo keeps its text as typed, up to a comment
        ParseRow{"echo  step#2 done  # note", true, Text(SimOp::Echo, "step#2 done")},
        ParseRow{"echo", true, Text(SimOp::Echo, "")},
        ParseRow{"hangup", true, Cmd(SimOp::Hangup)},
        ParseRow{"reopen", true, Cmd(SimOp::Reopen)},
        ParseRow{"quit", true, Cmd(SimOp::Quit)},
        ParseRow{"seed 42", true, Cmd(SimOp::Seed, 0, 0, 42)},
        ParseRow{"Down 1 2", false, {}, "unknown command 'Down'"},
        ParseRow{"jump", false, {}, "unknown command 'jump'"}));
// clang-format on
