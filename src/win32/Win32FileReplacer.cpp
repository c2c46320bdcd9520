#include "win32/Win32FileReplacer.h"

#include <windows.h>
// <windows.h> maps ReplaceFile onto ReplaceFileW; ours is the interface's.
#undef ReplaceFile

#include <algorithm>
#include <string>

#include "win32/Win32Text.h"

namespace {

FileOutcome Failed(std::string strReason, bool bOldContentKept = true) {
    FileOutcome outcome;
    outcome.kind = FileOutcome::Kind::Failed;
    outcome.strReason = std::move(strReason);
    outcome.bOldContentKept = bOldContentKept;
    return outcome;
}

FileOutcome LastErrorFailed(bool bOldContentKept = true) {
    return Failed(SystemErrorText(GetLastError()), bOldContentKept);
}

class CHandle {
public:
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    bool Ok() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    bool Close() {
        const bool bOk = m_h == INVALID_HANDLE_VALUE || CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return bOk;
    }

private:
    HANDLE m_h;
};

bool WriteAll(HANDLE h, const std::string& strContent) {
    std::size_t nDone = 0;
    while (nDone < strContent.size()) {
        const DWORD nChunk =
            static_cast<DWORD>(std::min<std::size_t>(strContent.size() - nDone, 1u << 20));
        DWORD nWritten = 0;
        if (!WriteFile(h, strContent.data() + nDone, nChunk, &nWritten, nullptr)) {
            return false;
        }
        nDone += nWritten;
    }
    return FlushFileBuffers(h) != FALSE;
}

// No new file could be made beside the target: rewrite it where it is.
FileOutcome ReplaceInPlace(const std::wstring& strTarget, const std::string& strContent) {
    CHandle file(CreateFileW(strTarget.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Ok()) {
        return LastErrorFailed();
    }
    FileOutcome outcome;
    outcome.bInPlace = true;
    if (!SetEndOfFile(file.Get()) || !WriteAll(file.Get(), strContent) || !file.Close()) {
        outcome = LastErrorFailed(false);
        outcome.bInPlace = true;
    }
    return outcome;
}

}  // namespace

FileOutcome CWin32FileReplacer::ReadWhole(const std::string& strPath, std::string& strContent,
                                          std::size_t nMaxBytes) {
    CHandle file(CreateFileW(Utf8ToWide(strPath).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Ok()) {
        const DWORD nError = GetLastError();
        if (nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND) {
            return {FileOutcome::Kind::Missing, {}, true, false};
        }
        return Failed(SystemErrorText(nError));
    }
    // A pipe or a device would block or never end.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return Failed("it is not a regular file");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        return LastErrorFailed();
    }
    if (static_cast<unsigned long long>(size.QuadPart) > nMaxBytes) {
        return Failed("it is larger than " + std::to_string(nMaxBytes / (1024 * 1024)) + " MiB");
    }
    std::string strRead(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t nDone = 0;
    while (nDone < strRead.size()) {
        DWORD nRead = 0;
        if (!::ReadFile(file.Get(), strRead.data() + nDone,
                        static_cast<DWORD>(strRead.size() - nDone), &nRead, nullptr)) {
            return LastErrorFailed();
        }
        if (nRead == 0) {
            break;  // the file shrank while we read it
        }
        nDone += nRead;
    }
    strRead.resize(nDone);
    strContent = std::move(strRead);
    return {};
}

FileOutcome CWin32FileReplacer::ReplaceFile(const std::string& strPath,
                                            const std::string& strContent) {
    const std::wstring strTarget = Utf8ToWide(strPath);
    const std::wstring strNew = strTarget + L".new";
    {
        CHandle file(CreateFileW(strNew.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Ok()) {
            const DWORD nError = GetLastError();
            if (nError == ERROR_ACCESS_DENIED) {
                return ReplaceInPlace(strTarget, strContent);
            }
            return Failed(SystemErrorText(nError));
        }
        if (!WriteAll(file.Get(), strContent) || !file.Close()) {
            const DWORD nError = GetLastError();
            DeleteFileW(strNew.c_str());
            return Failed(SystemErrorText(nError));
        }
    }
    const bool bExists = GetFileAttributesW(strTarget.c_str()) != INVALID_FILE_ATTRIBUTES;
    const BOOL bReplaced = bExists
                               ? ReplaceFileW(strTarget.c_str(), strNew.c_str(), nullptr,
                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                               : MoveFileExW(strNew.c_str(), strTarget.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!bReplaced) {
        const DWORD nError = GetLastError();
        DeleteFileW(strNew.c_str());
        return Failed(SystemErrorText(nError));
    }
    return {};
}
