#pragma once

#include <string>

// Writes a whole file so that it is either the old file or the new one, never a mixture and
// never empty: a failed or interrupted write (a full disk, a power cut) leaves the old
// content in place. The Linux implementation is CPosixFileReplacer.
class IFileReplacer {
public:
    virtual ~IFileReplacer() = default;
    // True when strPath now holds exactly strContent, durably.
    virtual bool ReplaceFile(const std::string& strPath, const std::string& strContent) = 0;
};
