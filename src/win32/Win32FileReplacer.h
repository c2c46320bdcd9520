#pragma once

#include "devices/FileReplacer.h"

// Whole-file reads and atomic replacement on Windows.
//
// A write goes to a new file beside the target ("Settings.dat.new"), is flushed to the disk,
// and then takes the target's place in one step: ReplaceFileW when the target exists (it
// keeps the old file's security and attributes), MoveFileExW when it does not. Only when no
// file can be made beside it (a folder the user may not create files in, but a target they
// may write) is the target rewritten in place. Paths are UTF-8.
class CWin32FileReplacer final : public IFileReplacer {
public:
    FileOutcome ReadWhole(const std::string& strPath, std::string& strContent,
                          std::size_t nMaxBytes) override;
    FileOutcome ReplaceFile(const std::string& strPath, const std::string& strContent) override;
};
