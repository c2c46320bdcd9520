#include "TempConfigDir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

CTempConfigDir::CTempConfigDir() {
    if (const char* szOld = getenv("XDG_CONFIG_HOME")) {
        m_bHadOld = true;
        m_strOld = szOld;
    }
    std::string strTemplate =
        (std::filesystem::temp_directory_path() / "tactilo-test-XXXXXX").string();
    if (mkdtemp(strTemplate.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_strPath = strTemplate;
    setenv("XDG_CONFIG_HOME", m_strPath.c_str(), 1);
}

CTempConfigDir::~CTempConfigDir() {
    if (m_bHadOld) {
        setenv("XDG_CONFIG_HOME", m_strOld.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code error;
    std::filesystem::remove_all(m_strPath, error);
}

void CTempConfigDir::LinkPort(int nPort, const std::string& strTarget) const {
    const std::filesystem::path folder = std::filesystem::path(m_strPath) / "Brenhold" / "ports";
    std::filesystem::create_directories(folder);
    const auto link = folder / ("COM" + std::to_string(nPort));
    std::error_code error;
    std::filesystem::remove(link, error);
    std::filesystem::create_symlink(strTarget, link);
}
