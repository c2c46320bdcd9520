#pragma once

#include <functional>
#include <optional>
#include <string>

// The Help command: opens "Help.pdf" of the copy in strAppDir (the executable's folder,
// ending in '/'; see HelpFilePath for where an installed copy keeps it) with the desktop's
// viewer for it.
//
// Returns what went wrong, as the text to show the user, naming the file; empty when a
// viewer took it. None of these may be silent:
//
//   the file        PDF handler (fnPdfHandler)   result
//   missing         not asked                    "The manual ... is missing." (no viewer asked:
//                                                some would put up an error of their own)
//   there           none set ("")                "No program to open PDF files ..."
//   there           set, or cannot be asked      the desktop opens it; a refusal is told
//
// The handler is asked first because the desktop's opener (xdg-open) is started detached:
// it is "opened" even when xdg-open then finds no viewer and only writes to standard error.
using PdfHandlerQuery = std::function<std::optional<std::string>()>;
std::string OpenHelp(const std::string& strAppDir, const PdfHandlerQuery& fnPdfHandler);
std::string OpenHelp(const std::string& strAppDir);

// The desktop entry that opens PDF files, as `xdg-mime query default application/pdf` names
// it: empty when none is set, nothing when xdg-mime does not run.
std::optional<std::string> DefaultPdfHandler();
