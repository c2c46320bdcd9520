#include "devices/AppDirectory.h"

#include <filesystem>
#include <system_error>

std::string GetAppDirectory() {
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
