#include "devices/PosixFileReplacer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// Where the content must end up: through a symbolic link to its target, so that the link
// stays a link.
std::string ResolveTarget(const std::string& strPath) {
    char szResolved[PATH_MAX];
    struct stat linkStat {};
    if (lstat(strPath.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode) &&
        realpath(strPath.c_str(), szResolved) != nullptr) {
        return szResolved;
    }
    return strPath;
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

}  // namespace

bool CPosixFileReplacer::ReplaceFile(const std::string& strPath, const std::string& strContent) {
    const std::string strTarget = ResolveTarget(strPath);
    const std::size_t nSlash = strTarget.rfind('/');
    const std::string strFolder =
        nSlash == std::string::npos ? "./" : strTarget.substr(0, nSlash + 1);
    const std::string strName =
        nSlash == std::string::npos ? strTarget : strTarget.substr(nSlash + 1);

    // Hidden and unique, in the same folder so that the rename stays on one file system.
    std::string strTemp = strFolder + "." + strName + ".XXXXXX";
    const int fd = mkostemp(strTemp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }

    mode_t nMode = 0644;
    struct stat oldStat {};
    if (stat(strTarget.c_str(), &oldStat) == 0) {
        nMode = oldStat.st_mode & 07777;
    }

    bool bOk = fchmod(fd, nMode) == 0 && WriteAll(fd, strContent) && fsync(fd) == 0;
    // close reports write-back failures of some file systems (NFS): it counts too.
    bOk = (close(fd) == 0) && bOk;
    if (bOk && rename(strTemp.c_str(), strTarget.c_str()) == 0) {
        SyncFolder(strFolder);
        return true;
    }
    unlink(strTemp.c_str());
    return false;
}
