#pragma once

#include <string>

#include "app/CommandLine.h"

// The running program's own file, as Windows reports it.

// The full path of the executable (UTF-8), e.g. "C:\Tools\Tactilo\Tactilo.exe"; also past
// MAX_PATH.
std::string ModuleFilePath();
// Its directory with the trailing backslash: "C:\Tools\Tactilo\". "Settings.dat" and
// "Help.pdf" stand there.
std::string Win32AppDirectory();

// The name of the window message that ends every running copy started from strExePath:
// another process that knows the path registers the same name and sends the message to the
// program's top-level windows. The path is part of the name, so copies started from other
// files are left alone.
std::string TerminateMessageName(const std::string& strExePath);
// Registers it; the same name gives the same id in every process of the session. 0 on
// failure.
unsigned RegisterTerminateMessage(const std::string& strExePath);

// What --help says on Windows: "Settings.dat" and "Help.pdf" in strAppDirectory, the options
// under the registry key strOptionsKey (section SETTINGS), and COM ports as Windows names
// them. No link folder: Windows gives every serial device its COMn itself.
UsageFacts Win32UsageFacts(const std::string& strAppDirectory, const std::string& strOptionsKey);
