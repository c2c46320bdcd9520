#include "linux/FolderTrust.h"

#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/InstanceName.h"

namespace {

std::string Trimmed(std::string strFolder) {
    while (strFolder.size() > 1 && strFolder.back() == '/') {
        strFolder.pop_back();
    }
    return strFolder;
}

std::string UserName(uid_t nUid) {
    std::vector<char> vecBuffer(16384);
    struct passwd entry {};
    struct passwd* pFound = nullptr;
    if (getpwuid_r(nUid, &entry, vecBuffer.data(), vecBuffer.size(), &pFound) == 0 && pFound) {
        return std::string(pFound->pw_name) + " (" + std::to_string(nUid) + ")";
    }
    return std::to_string(nUid);
}

std::string Mode(mode_t nMode) {
    char szMode[8];
    std::snprintf(szMode, sizeof szMode, "%04o", static_cast<unsigned>(nMode & 07777));
    return szMode;
}

bool OursOrRoot(const struct stat& st) {
    return st.st_uid == geteuid() || st.st_uid == 0;
}

// Debian gives each user a group of their own (user private groups), and with umask 002 the
// folders they make are group-writable: writable by nobody else, as long as the group is our
// primary group, named as we are, with no other member.
bool OurPrivateGroup(gid_t nGid) {
    if (nGid != getegid()) {
        return false;
    }
    std::vector<char> vecBuffer(16384);
    struct passwd user {};
    struct passwd* pUser = nullptr;
    struct group group {};
    struct group* pGroup = nullptr;
    if (getpwuid_r(geteuid(), &user, vecBuffer.data(), vecBuffer.size() / 2, &pUser) != 0 ||
        !pUser ||
        getgrgid_r(nGid, &group, vecBuffer.data() + vecBuffer.size() / 2, vecBuffer.size() / 2,
                   &pGroup) != 0 ||
        !pGroup || std::string(pGroup->gr_name) != pUser->pw_name) {
        return false;
    }
    for (char** pMember = pGroup->gr_mem; *pMember; ++pMember) {
        if (std::string(*pMember) != pUser->pw_name) {
            return false;
        }
    }
    return true;
}

// Whether anyone but the owner may add, remove or rename entries.
bool OthersMayWrite(const struct stat& st) {
    return (st.st_mode & S_IWOTH) != 0 ||
           ((st.st_mode & S_IWGRP) != 0 && !(st.st_uid == geteuid() && OurPrivateGroup(st.st_gid)));
}

// The part of strFolder that exists, with its links resolved; empty when not even "/" does.
std::string ExistingPart(const std::string& strFolder) {
    std::string strPart = strFolder;
    for (;;) {
        std::unique_ptr<char, decltype(&free)> pReal(realpath(strPart.c_str(), nullptr), &free);
        if (pReal) {
            return pReal.get();
        }
        if (errno != ENOENT && errno != ENOTDIR) {
            return {};
        }
        const std::size_t nSlash = strPart.rfind('/');
        if (nSlash == std::string::npos || strPart == "/") {
            return {};
        }
        strPart = nSlash == 0 ? "/" : strPart.substr(0, nSlash);
    }
}

}  // namespace

std::string FolderTrustProblem(const std::string& strFolder) {
    const std::string strWanted = Trimmed(strFolder);
    if (strWanted.empty() || strWanted.front() != '/') {
        return "the folder \"" + strFolder + "\" is not an absolute path";
    }
    // A link on the way is the folder its owner chooses, now or later: only ours or root's.
    for (std::size_t nSlash = strWanted.find('/', 1);; nSlash = strWanted.find('/', nSlash + 1)) {
        const std::string strPart = strWanted.substr(0, nSlash);
        struct stat st {};
        if (lstat(strPart.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && !OursOrRoot(st)) {
            return "the link " + strPart + " belongs to the user " + UserName(st.st_uid) +
                   ", not to you";
        }
        if (nSlash == std::string::npos) {
            break;
        }
    }
    const std::string strExisting = ExistingPart(strWanted);
    if (strExisting.empty()) {
        return "the folder " + strWanted +
               " cannot be looked at: " + std::generic_category().message(errno);
    }
    // Every folder from the root down to the deepest one that exists.
    std::vector<std::string> vecChain = {"/"};
    for (std::size_t nSlash = strExisting.find('/', 1);;
         nSlash = strExisting.find('/', nSlash + 1)) {
        const std::string strPart = strExisting.substr(0, nSlash);
        if (strPart != "/") {
            vecChain.push_back(strPart);
        }
        if (nSlash == std::string::npos) {
            break;
        }
    }
    for (std::size_t i = 0; i < vecChain.size(); ++i) {
        struct stat st {};
        if (lstat(vecChain[i].c_str(), &st) != 0) {
            return "the folder " + vecChain[i] +
                   " cannot be looked at: " + std::generic_category().message(errno);
        }
        if (!S_ISDIR(st.st_mode)) {
            return vecChain[i] + " is not a folder";
        }
        if (!OursOrRoot(st)) {
            return "the folder " + vecChain[i] + " belongs to the user " + UserName(st.st_uid) +
                   ", not to you";
        }
        const bool bOthersWrite = OthersMayWrite(st);
        const bool bLast = i + 1 == vecChain.size();
        // A sticky folder (/tmp) only lets its owner rename or remove an entry: the entry
        // below it, checked next, decides.
        if (bOthersWrite && (bLast || (st.st_mode & S_ISVTX) == 0)) {
            return "the folder " + vecChain[i] + " can be written by other users (mode " +
                   Mode(st.st_mode) + ")";
        }
    }
    return {};
}

std::string PrivateFolderProblem(const std::string& strFolder) {
    const std::string strPath = Trimmed(strFolder);
    struct stat st {};
    if (lstat(strPath.c_str(), &st) != 0) {
        return "the folder " + strPath +
               " cannot be looked at: " + std::generic_category().message(errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return strPath + " is a symbolic link, not a private folder";
    }
    if (!S_ISDIR(st.st_mode)) {
        return strPath + " is not a folder";
    }
    if (st.st_uid != geteuid()) {
        return "the folder " + strPath + " belongs to the user " + UserName(st.st_uid) +
               ", not to you";
    }
    if ((st.st_mode & 07777) != 0700) {
        return "the folder " + strPath + " has mode " + Mode(st.st_mode) + ", not 0700";
    }
    return {};
}

std::string MakePrivateFolder(const std::string& strFolder) {
    const std::string strPath = Trimmed(strFolder);
    if (mkdir(strPath.c_str(), 0700) != 0 && errno != EEXIST) {
        return "the folder " + strPath +
               " could not be made: " + std::generic_category().message(errno);
    }
    return PrivateFolderProblem(strPath);
}

std::string RuntimeFolderForThisUser(std::string& strProblem) {
    strProblem.clear();
    if (const char* szRuntime = std::getenv("XDG_RUNTIME_DIR");
        szRuntime && *szRuntime == '/' && PrivateFolderProblem(szRuntime).empty()) {
        return szRuntime;
    }
    const char* szTemp = std::getenv("TMPDIR");
    const std::string strFolder =
        PrivateRuntimeFolder(szTemp && *szTemp == '/' ? szTemp : "/tmp", geteuid());
    strProblem = MakePrivateFolder(strFolder);
    return strProblem.empty() ? strFolder : std::string();
}

std::string HomeFromPasswordDatabase() {
    long nSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> vecBuffer(nSize > 0 ? static_cast<std::size_t>(nSize) : 16384);
    struct passwd entry {};
    struct passwd* pFound = nullptr;
    while (getpwuid_r(geteuid(), &entry, vecBuffer.data(), vecBuffer.size(), &pFound) == ERANGE) {
        vecBuffer.resize(vecBuffer.size() * 2);
    }
    if (pFound == nullptr || pFound->pw_dir == nullptr || pFound->pw_dir[0] != '/') {
        return {};
    }
    return pFound->pw_dir;
}
