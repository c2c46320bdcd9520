// CTempConfigDir for the Windows build: the same folder and variable, made with what the C
// runtime there has (no mkdtemp, no setenv).
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "TempConfigDir.h"

CTempConfigDir::CTempConfigDir() {
    if (const char* szOld = std::getenv("XDG_CONFIG_HOME")) {
        m_bHadOld = true;
        m_strOld = szOld;
    }
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tactilo-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(GetTickCount64()));
    if (!std::filesystem::create_directories(folder)) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_strPath = folder.string();
    _putenv_s("XDG_CONFIG_HOME", m_strPath.c_str());
}

CTempConfigDir::~CTempConfigDir() {
    _putenv_s("XDG_CONFIG_HOME", m_bHadOld ? m_strOld.c_str() : "");
    std::error_code error;
    std::filesystem::remove_all(m_strPath, error);
}

void CTempConfigDir::LinkPort(int nPort, const std::string& strTarget) const {
    const std::filesystem::path folder = std::filesystem::path(m_strPath) / "Brenhold" / "ports";
    std::filesystem::create_directories(folder);
    std::error_code error;
    std::filesystem::create_symlink(strTarget, folder / ("COM" + std::to_string(nPort)), error);
}
