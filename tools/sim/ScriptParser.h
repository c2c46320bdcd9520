#pragma once

#include <string>
#include <vector>

// One line of a simulator script, parsed. See docs/simulator.md for the language.
enum class SimOp {
    Nothing,          // blank line or comment
    Rate,             // nValue packets/s while a touch is held
    Seed,             // nValue seeds the garbage generator
    Down,             // touch packet at raw (nX1, nY1)
    Move,             // touch packet at raw (nX1, nY1)
    Up,               // release packet at the last point
    Hold,             // touch packets at the last point for nValue ms
    Wait,             // silence for nValue ms
    Tap,              // down (nX1, nY1), hold nValue ms, up
    Drag,             // down (nX1, nY1), moves to (nX2, nY2) over nValue ms, up
    Garbage,          // nValue random bytes
    Stray,            // one data byte
    Noise,            // random bytes at nX1 bytes/s for nValue ms
    Strays,           // from now on one random byte every nValue ms among the rest (0: off)
    Bytes,            // vecBytes as they are
    File,             // the bytes of the file strText
    Calibration,      // strText is a settings line
    CalibrationFile,  // strText is a settings file, strName the device (empty: the active one)
    Point,            // touch packet at screen pixel (nX1, nY1)
    DownPoint,
    TapPoint,
    DragPoint,
    Echo,    // print strText on stdout
    Hangup,  // close the pseudo-terminal: the reader sees the device gone
    Reopen,  // a new pseudo-terminal behind the same link
    Quit,
};

struct SimCommand {
    SimOp op = SimOp::Nothing;
    int nX1 = 0;
    int nY1 = 0;
    int nX2 = 0;
    int nY2 = 0;
    int nValue = 0;
    std::vector<unsigned char> vecBytes;
    std::string strText;
    std::string strName;

    bool operator==(const SimCommand&) const = default;
};

// Parses one script line. On success fills command and returns true. On failure returns
// false, leaves command untouched and puts into strError what was expected, e.g.
// "down: expected <x> <y>, raw values 0..1023, got 'abc'".
//
// A '#' at the start of the line or after a blank starts a comment, so a settings line or
// an echo text may still hold '#' inside a word.
bool ParseScriptLine(const std::string& strLine, SimCommand& command, std::string& strError);

// Defaults the parser fills in when an optional argument is left out.
constexpr int g_nDefaultTapMs = 50;
constexpr int g_nDefaultDragMs = 300;
constexpr int g_nMaxRate = 10000;
constexpr int g_nMaxDurationMs = 24 * 3600 * 1000;
constexpr int g_nMaxGarbage = 1 << 20;
constexpr int g_nMaxNoiseRate = 100000;
