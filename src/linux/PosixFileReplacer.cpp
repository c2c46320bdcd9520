#include "linux/PosixFileReplacer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <system_error>

namespace {

constexpr int MAX_LINK_HOPS = 40;  // as the kernel allows before ELOOP
constexpr int TEMP_SUFFIX_CHARS = 6;
const char g_szSuffixChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

FileOutcome Failed(std::string strReason, bool bOldContentKept = true) {
    FileOutcome outcome;
    outcome.kind = FileOutcome::Kind::Failed;
    outcome.strReason = std::move(strReason);
    outcome.bOldContentKept = bOldContentKept;
    return outcome;
}

FileOutcome FailedErrno(int nError, bool bOldContentKept = true) {
    return Failed(std::generic_category().message(nError), bOldContentKept);
}

std::string FolderOf(const std::string& strPath) {
    const std::size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? "./" : strPath.substr(0, nSlash + 1);
}

std::string NameOf(const std::string& strPath) {
    const std::size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// Follows a chain of symbolic links to the name the content must go to, also when the last
// link dangles: the links stay links and their target is written.
int ResolveTarget(const std::string& strPath, std::string& strTarget) {
    strTarget = strPath;
    for (int nHop = 0; nHop <= MAX_LINK_HOPS; ++nHop) {
        struct stat linkStat {};
        if (lstat(strTarget.c_str(), &linkStat) != 0) {
            return errno == ENOENT ? 0 : errno;  // ENOENT: a new file
        }
        if (!S_ISLNK(linkStat.st_mode)) {
            return 0;
        }
        char szLink[PATH_MAX];
        const ssize_t nLength = readlink(strTarget.c_str(), szLink, sizeof szLink);
        if (nLength < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(nLength) >= sizeof szLink) {
            return ENAMETOOLONG;
        }
        const std::string strLink(szLink, static_cast<std::size_t>(nLength));
        strTarget = strLink.front() == '/' ? strLink : FolderOf(strTarget) + strLink;
    }
    return ELOOP;
}

bool IsTempName(const std::string& strEntry, const std::string& strPrefix) {
    if (strEntry.size() != strPrefix.size() + TEMP_SUFFIX_CHARS ||
        strEntry.compare(0, strPrefix.size(), strPrefix) != 0) {
        return false;
    }
    for (std::size_t i = strPrefix.size(); i < strEntry.size(); ++i) {
        const char ch = strEntry[i];
        if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'))) {
            return false;
        }
    }
    return true;
}

// Temporary names left by a save that was killed between link and rename (or by older
// versions, which wrote named temporary files). A live save holds an flock on its file, so a
// name we can lock is nobody's any more.
void RemoveStaleTemporaries(const std::string& strFolder, const std::string& strPrefix) {
    DIR* pDir = opendir(strFolder.c_str());
    if (pDir == nullptr) {
        return;
    }
    const int nDirFd = dirfd(pDir);
    while (const dirent* pEntry = readdir(pDir)) {
        if (!IsTempName(pEntry->d_name, strPrefix)) {
            continue;
        }
        const int fd = openat(nDirFd, pEntry->d_name,
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat openStat {};
        struct stat nameStat {};
        // Unlink only the file we locked: the name must still be that file.
        if (fstat(fd, &openStat) == 0 && S_ISREG(openStat.st_mode) &&
            flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            fstatat(nDirFd, pEntry->d_name, &nameStat, AT_SYMLINK_NOFOLLOW) == 0 &&
            nameStat.st_dev == openStat.st_dev && nameStat.st_ino == openStat.st_ino) {
            unlinkat(nDirFd, pEntry->d_name, 0);
        }
        close(fd);
    }
    closedir(pDir);
}

std::string RandomSuffix() {
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof g_szSuffixChars - 2);
    std::string strSuffix;
    for (int i = 0; i < TEMP_SUFFIX_CHARS; ++i) {
        strSuffix += g_szSuffixChars[pick(random)];
    }
    return strSuffix;
}

bool WriteAll(int fd, const std::string& strContent) {
    const char* pData = strContent.data();
    std::size_t nLeft = strContent.size();
    while (nLeft > 0) {
        const ssize_t nWritten = write(fd, pData, nLeft);
        if (nWritten < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        pData += nWritten;
        nLeft -= static_cast<std::size_t>(nWritten);
    }
    return true;
}

// The rename is only durable once the folder's entry is on the disk too. A folder that
// cannot be synced does not undo the replacement, so the result is not reported.
void SyncFolder(const std::string& strFolder) {
    const int fd = open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// The new file, not yet in place. With O_TMPFILE it has no name until Link(); where the
// file system has no O_TMPFILE it is named at once.
class CTempFile {
public:
    CTempFile(std::string strFolder, std::string strPrefix)
        : m_strFolder(std::move(strFolder)), m_strPrefix(std::move(strPrefix)) {}
    ~CTempFile() {
        if (!m_strName.empty()) {
            unlink(m_strName.c_str());
        }
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // 0, or the errno of the failure. Mode 0666 less the umask, as any new file.
    int Create() {
        m_fd = open(m_strFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            return CreateNamed();
        }
        if (m_fd < 0) {
            return errno;
        }
        flock(m_fd, LOCK_EX);  // ours while we live; see RemoveStaleTemporaries
        return 0;
    }
    int Fd() const { return m_fd; }
    // Gives the file its hidden name (when it has none yet); 0 or an errno.
    int Link() {
        if (!m_strName.empty()) {
            return 0;
        }
        const std::string strProc = "/proc/self/fd/" + std::to_string(m_fd);
        for (int nTry = 0; nTry < 100; ++nTry) {
            const std::string strName = m_strFolder + m_strPrefix + RandomSuffix();
            if (linkat(AT_FDCWD, strProc.c_str(), AT_FDCWD, strName.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                m_strName = strName;
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }
    // Renames it over strTarget; 0 or an errno.
    int RenameOver(const std::string& strTarget) {
        if (rename(m_strName.c_str(), strTarget.c_str()) != 0) {
            return errno;
        }
        m_strName.clear();
        return 0;
    }

private:
    int CreateNamed() {
        for (int nTry = 0; nTry < 100; ++nTry) {
            const std::string strName = m_strFolder + m_strPrefix + RandomSuffix();
            m_fd = open(strName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                m_strName = strName;
                flock(m_fd, LOCK_EX);
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }

    std::string m_strFolder;
    std::string m_strPrefix;
    std::string m_strName;
    int m_fd = -1;
};

// The old file's identity goes to the new one. The owner first: a chown by a user other than
// root clears set-id bits, which the chmod then puts back. Owner and group are kept only as
// far as we may set them (root: both; the owner: a group they belong to).
bool KeepIdentity(int fd, const struct stat& oldStat) {
    if (fchown(fd, oldStat.st_uid, oldStat.st_gid) != 0) {
        fchown(fd, static_cast<uid_t>(-1), oldStat.st_gid);
    }
    return fchmod(fd, oldStat.st_mode & 07777) == 0;
}

// For a file we may write in a folder we may not: no new file can be made, so the old one
// is overwritten and cut to length. Not atomic: a crash or a full disk midway leaves it
// incomplete, which the caller is told.
FileOutcome RewriteInPlace(const std::string& strTarget, const std::string& strContent) {
    const int fd = open(strTarget.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return FailedErrno(errno);
    }
    struct stat openStat {};
    if (fstat(fd, &openStat) != 0 || !S_ISREG(openStat.st_mode)) {
        close(fd);
        return Failed("it is not a regular file");
    }
    int nError = 0;
    if (!WriteAll(fd, strContent) || ftruncate(fd, static_cast<off_t>(strContent.size())) != 0 ||
        fsync(fd) != 0) {
        nError = errno;
    }
    if (close(fd) != 0 && nError == 0) {
        nError = errno;
    }
    if (nError != 0) {
        return FailedErrno(nError, false);
    }
    FileOutcome outcome;
    outcome.bInPlace = true;
    return outcome;
}

}  // namespace

FileOutcome CPosixFileReplacer::ReadWhole(const std::string& strPath, std::string& strContent,
                                          std::size_t nMaxBytes) {
    strContent.clear();
    // Non-blocking, so that a FIFO put in the file's place cannot hold the program up.
    const int fd = open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            FileOutcome outcome;
            outcome.kind = FileOutcome::Kind::Missing;
            return outcome;
        }
        return FailedErrno(errno);
    }
    struct stat openStat {};
    FileOutcome outcome;
    if (fstat(fd, &openStat) != 0) {
        outcome = FailedErrno(errno);
    } else if (!S_ISREG(openStat.st_mode)) {
        outcome = Failed("it is not a regular file");
    } else if (static_cast<unsigned long long>(openStat.st_size) > nMaxBytes) {
        outcome = Failed("it is larger than " + std::to_string(nMaxBytes / (1024 * 1024)) +
                         " MB, more than any device list needs");
    } else {
        // Up to one byte beyond the bound, for a file that grows while we read it.
        char aBuffer[65536];
        while (strContent.size() <= nMaxBytes) {
            const ssize_t nRead = read(fd, aBuffer, sizeof aBuffer);
            if (nRead < 0 && errno == EINTR) {
                continue;
            }
            if (nRead < 0) {
                outcome = FailedErrno(errno);
                break;
            }
            if (nRead == 0) {
                break;
            }
            strContent.append(aBuffer, static_cast<std::size_t>(nRead));
        }
        if (outcome.Ok() && strContent.size() > nMaxBytes) {
            outcome = Failed("it is larger than " + std::to_string(nMaxBytes / (1024 * 1024)) +
                             " MB, more than any device list needs");
        }
    }
    close(fd);
    if (!outcome.Ok()) {
        strContent.clear();
    }
    return outcome;
}

FileOutcome CPosixFileReplacer::ReplaceFile(const std::string& strPath,
                                            const std::string& strContent) {
    std::string strTarget;
    if (const int nError = ResolveTarget(strPath, strTarget)) {
        return FailedErrno(nError);
    }
    const std::string strFolder = FolderOf(strTarget);
    const std::string strPrefix = "." + NameOf(strTarget) + ".";

    struct stat oldStat {};
    const bool bHadOld = stat(strTarget.c_str(), &oldStat) == 0;
    if (bHadOld && !S_ISREG(oldStat.st_mode)) {
        return Failed("it is not a regular file");
    }

    RemoveStaleTemporaries(strFolder, strPrefix);
    CTempFile temp(strFolder, strPrefix);
    if (const int nError = temp.Create()) {
        // A file we may write in a folder we may not: the only way left to save.
        if (bHadOld && (nError == EACCES || nError == EPERM)) {
            return RewriteInPlace(strTarget, strContent);
        }
        return FailedErrno(nError);
    }
    if ((bHadOld && !KeepIdentity(temp.Fd(), oldStat)) || !WriteAll(temp.Fd(), strContent) ||
        fsync(temp.Fd()) != 0) {
        return FailedErrno(errno);
    }
    // The file stays open, and so locked, until it is in place: a save running beside us
    // must not take its name for a stale one. fsync has already reported write-back errors.
    int nError = temp.Link();
    if (nError == 0) {
        nError = temp.RenameOver(strTarget);
    }
    if (nError != 0) {
        return FailedErrno(nError);
    }
    SyncFolder(strFolder);
    return {};
}
