#pragma once
// A core file that reached for a back-end and for POSIX.
#include <termios.h>
#include "win32/Win32SerialLine.h"
