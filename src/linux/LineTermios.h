#pragma once

#include "serial/SerialLine.h"

// The termios side of a serial line, kept in a source file of its own because the kernel's
// termios2 header (needed for rates such as 14400 or 256000 that have no B-constant) clashes
// with the C library's <termios.h>. All functions return 0 or an errno.

// Reads the line's settings: fails with ENOTTY when fd is not a terminal.
int ReadLineSettings(int fd);
// Raw 8-bit input with the given framing, receiver on, modem control lines ignored for the
// open, RTS/CTS handshake, no XON/XOFF, the exact baud rate, and VMIN 1 / VTIME 0.
int WriteLineSettings(int fd, const LineSettings& settings);

struct LineFraming {
    unsigned nBaudRate = 0;
    int nByteSize = 0;
    int nParity = 0;  // as LineSettings
    bool bTwoStopBits = false;
    bool bRtsCts = false;
    bool bRaw = false;  // no canonical mode, no echo, no signals, no input translation
};
int ReadLineFraming(int fd, LineFraming& framing);
