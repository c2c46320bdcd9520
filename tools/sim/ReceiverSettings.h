#pragma once

#include "UartReceiver.h"

// The rate and receive flags the program on the slave side of a pseudo-terminal has set,
// read from the master: Linux answers a master's termios request with the slave's settings
// (both TCGETS and TCGETS2), and keeps the exact rate a program set with BOTHER. False with
// errno set when it cannot be read.
bool ReadReceiverSettings(int masterFd, int& nBaud, LineInputFlags& flags);
