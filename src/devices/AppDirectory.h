#pragma once

#include <string>

// The directory of the running executable, with a trailing '/', e.g. "/opt/tactilo/bin/".
// Read from /proc/self/exe, so it names where the program really is, whatever the current
// directory or the name it was started by. Empty when the link cannot be read (no /proc).
std::string GetAppDirectory();
// What GetAppDirectory answers from now on, for a system without /proc/self/exe: the
// Windows program sets Win32AppDirectory() before anything asks. Call it before other
// threads start.
void SetAppDirectory(const std::string& strDirectory);

// Whether the program in strAppDirectory is an installed copy rather than a portable one (a
// build tree, an unpacked folder). Decided from where it stands, so an install counts
// whatever prefix it was given, at configure time or at install time:
//
//   strAppDirectory             beside it (in <prefix>/)              copy
//   <prefix>/bin/               share/doc/tactilo/                    installed
//   <prefix>/bin/               share/applications/Tactilo.desktop    installed
//   <prefix>/bin/               neither                               portable (a build's bin/)
//   any folder not named bin    anything                              portable
//
// An installed copy never writes beside itself: its bin folder is shared with other programs
// and usually not the user's to write.
bool IsInstalledCopy(const std::string& strAppDirectory);

// "Help.pdf" of the copy in strAppDirectory: <prefix>/share/doc/tactilo/Help.pdf for an
// installed copy, beside the executable for a portable one.
std::string HelpFilePath(const std::string& strAppDirectory);
