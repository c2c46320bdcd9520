#pragma once

#include <string>

// The Help command: opens "Help.pdf" in strAppDir (the executable's folder, ending in '/')
// with the desktop's viewer for it. Nothing is shown when the file is missing (no viewer is
// even asked, as some put up an error of their own) or no viewer takes it; the result is for
// tests and traces only.
bool OpenHelp(const std::string& strAppDir);
