#pragma once

#include <string>

// The Help command: opens "Help.pdf" of the copy in strAppDir (the executable's folder,
// ending in '/'; see HelpFilePath for where an installed copy keeps it) with the desktop's
// viewer for it.
//
// Returns what went wrong, as the text to show the user, naming the file; empty when a
// viewer took it. A missing file asks no viewer (some would put up an error of their own),
// and a viewer that refuses it leaves the user without a manual: neither may be silent.
std::string OpenHelp(const std::string& strAppDir);
