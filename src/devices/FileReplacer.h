#pragma once

#include <cstddef>
#include <string>

// What became of reading or writing a whole file.
struct FileOutcome {
    enum class Kind {
        Done,     // read or written as asked
        Missing,  // a read found no file at all (not even a dangling link's target)
        Failed,   // anything else; strReason says what
    };
    Kind kind = Kind::Done;
    // Why it failed, for the user: the system's text for the error ("Permission denied"),
    // or what made us refuse ("it is not a regular file").
    std::string strReason;
    // A failed write: false when the file was being rewritten in place and may now be
    // incomplete; true when the old content is as it was.
    bool bOldContentKept = true;
    // A write that had to rewrite the file in place (no new file could be made beside it).
    bool bInPlace = false;

    bool Ok() const { return kind == Kind::Done; }
};

// Reads and writes a whole file so that a write is either the old file or the new one,
// never a mixture and never empty: a failed or interrupted write (a full disk, a power cut)
// leaves the old content in place. The Linux implementation is CPosixFileReplacer.
class IFileReplacer {
public:
    virtual ~IFileReplacer() = default;
    // The whole content of the regular file strPath, when it holds at most nMaxBytes. Never
    // blocks: a FIFO or a device is refused, not read.
    virtual FileOutcome ReadWhole(const std::string& strPath, std::string& strContent,
                                  std::size_t nMaxBytes) = 0;
    // Done when strPath now holds exactly strContent, durably.
    virtual FileOutcome ReplaceFile(const std::string& strPath, const std::string& strContent) = 0;
};
