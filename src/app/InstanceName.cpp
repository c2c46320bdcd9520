#include "app/InstanceName.h"

#include <cstdint>
#include <cstdio>

namespace {

// FNV-1a, 64 bits: stable across builds and machines, unlike std::hash.
std::uint64_t Fnv1a(const std::string& strText, std::uint64_t nHash = 14695981039346656037ULL) {
    for (const unsigned char c : strText) {
        nHash ^= c;
        nHash *= 1099511628211ULL;
    }
    return nHash;
}

}  // namespace

std::string InstanceSocketPath(const std::string& strRuntimeDir, unsigned nUid,
                               const std::string& strDisplay, const std::string& strExecutable) {
    // The NUL between the two keeps ("ab", "c") and ("a", "bc") apart.
    const std::uint64_t nHash =
        Fnv1a(strExecutable, Fnv1a(std::string(1, '\0'), Fnv1a(strDisplay)));
    char szHash[17];
    std::snprintf(szHash, sizeof szHash, "%016llx", static_cast<unsigned long long>(nHash));
    std::string strDir = strRuntimeDir.empty() ? PrivateRuntimeFolder("/tmp", nUid) : strRuntimeDir;
    while (strDir.size() > 1 && strDir.back() == '/') {
        strDir.pop_back();
    }
    return strDir + "/tactilo-" + szHash + ".sock";
}

std::string PrivateRuntimeFolder(const std::string& strTempDir, unsigned nUid) {
    std::string strDir = strTempDir;
    while (strDir.size() > 1 && strDir.back() == '/') {
        strDir.pop_back();
    }
    return (strDir == "/" ? "" : strDir) + "/tactilo-" + std::to_string(nUid);
}
