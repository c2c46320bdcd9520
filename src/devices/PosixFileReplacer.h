#pragma once

#include "devices/FileReplacer.h"

// Replaces a file the way that survives failures: the new content goes to a temporary file
// in the same folder, which is flushed to the disk (fsync) and then renamed over the old
// file. A rename within one file system is atomic, so a reader, or the next start after a
// crash, finds either the whole old file or the whole new one. Any failure on the way
// removes the temporary file and leaves the old one untouched.
//
// A file that is a symbolic link is written where the link points, keeping the link. The
// new file takes the old file's permissions (0644 for a new file).
class CPosixFileReplacer final : public IFileReplacer {
public:
    bool ReplaceFile(const std::string& strPath, const std::string& strContent) override;
};
