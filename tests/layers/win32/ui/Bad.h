#pragma once
// A Win32 window that reached for POSIX.
#include <unistd.h>
#include <windows.h>
