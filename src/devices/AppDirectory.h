#pragma once

#include <string>

// The directory of the running executable, with a trailing '/', e.g. "/opt/tactilo/bin/".
// Read from /proc/self/exe, so it names where the program really is, whatever the current
// directory or the name it was started by. Empty when the link cannot be read (no /proc).
std::string GetAppDirectory();
