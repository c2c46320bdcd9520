#pragma once

#include "devices/FileReplacer.h"

// Replaces a file the way that survives failures: the new content goes to an unnamed file
// (O_TMPFILE) in the same folder, which is flushed to the disk (fsync), given a hidden name
// ".<name>.XXXXXX" and renamed over the old file at once. A rename within one file system is
// atomic, so a reader, or the next start after a crash, finds either the whole old file or
// the whole new one, and a crash before the link leaves nothing behind. A crash in the few
// instructions between link and rename can still leave a named one: every save first removes
// such names that no live save holds (each save holds an flock on its file).
//
//   what is there            | what a save does
//   -------------------------+-----------------------------------------------------------
//   nothing                  | a new file, its mode from the umask
//   a regular file           | replaced; mode kept, owner and group kept where allowed
//   a symbolic link (chain)  | the final target is written (created when it dangles); the
//                            | links stay links
//   a FIFO, device, folder   | refused
//   a folder we cannot write | the file is rewritten in place and flushed (not atomic)
//
// Hard links to the old file keep the old content: a replace makes a new file.
class CPosixFileReplacer final : public IFileReplacer {
public:
    FileOutcome ReadWhole(const std::string& strPath, std::string& strContent,
                          std::size_t nMaxBytes) override;
    FileOutcome ReplaceFile(const std::string& strPath, const std::string& strContent) override;
};
