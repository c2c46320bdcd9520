#include "devices/AppDirectory.h"

#include <filesystem>
#include <system_error>

namespace {

// Set once at start by a platform that has no /proc (Windows asks the system instead).
std::string& AppDirectoryOverride() {
    static std::string s_strDirectory;
    return s_strDirectory;
}

}  // namespace

void SetAppDirectory(const std::string& strDirectory) {
    AppDirectoryOverride() = strDirectory;
}

std::string GetAppDirectory() {
    if (!AppDirectoryOverride().empty()) {
        return AppDirectoryOverride();
    }
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path()) {
        return {};
    }
    std::string strDirectory = exe.parent_path().string();
    if (strDirectory.empty() || strDirectory.back() != '/') {
        strDirectory += '/';
    }
    return strDirectory;
}

namespace {

// The folder itself, without its trailing '/' (with or without one given).
std::filesystem::path Folder(const std::string& strAppDirectory) {
    return (std::filesystem::path(strAppDirectory) / "").lexically_normal().parent_path();
}

// The installation's prefix for an executable folder "<prefix>/bin/".
std::filesystem::path PrefixOf(const std::string& strAppDirectory) {
    return Folder(strAppDirectory).parent_path();
}

}  // namespace

bool IsInstalledCopy(const std::string& strAppDirectory) {
    namespace fs = std::filesystem;
    if (strAppDirectory.empty() || Folder(strAppDirectory).filename() != "bin") {
        return false;
    }
    const fs::path prefix = PrefixOf(strAppDirectory);
    std::error_code error;
    return fs::is_directory(prefix / "share/doc/tactilo", error) ||
           fs::exists(prefix / "share/applications/Tactilo.desktop", error);
}

std::string HelpFilePath(const std::string& strAppDirectory) {
    if (IsInstalledCopy(strAppDirectory)) {
        return (PrefixOf(strAppDirectory) / "share/doc/tactilo/Help.pdf").string();
    }
    return strAppDirectory + "Help.pdf";
}
