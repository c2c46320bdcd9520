#pragma once

#include <string>

// Where a resident copy listens for a second start: one socket per user, per display and per
// executable, so a copy on another display, another user's copy, or a different build of the
// program (a portable copy beside an installed one) each keep their own resident copy.
//
//   runtime folder        socket
//   $XDG_RUNTIME_DIR      <runtime>/tactilo-<hash>.sock   (the folder is the user's alone)
//   empty                 /tmp/tactilo-<uid>/tactilo-<hash>.sock
//
// Without a runtime folder (a su session, a bare startx) the socket goes into a folder of its
// own, which the program makes with mode 0700 and checks before use: a name in /tmp itself
// could be taken first by any other user, who would then answer in our place.
//
// <hash> is 16 hex digits over the display and the executable's path: a path may be longer
// than a socket name may be (108 bytes), the hash never is.
std::string InstanceSocketPath(const std::string& strRuntimeDir, unsigned nUid,
                               const std::string& strDisplay, const std::string& strExecutable);
// The private folder that stands in for a missing runtime folder: <strTempDir>/tactilo-<uid>.
std::string PrivateRuntimeFolder(const std::string& strTempDir, unsigned nUid);
