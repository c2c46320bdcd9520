#include "devices/DeviceStore.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/UserPaths.h"
#include "devices/AppDirectory.h"
#include "devices/FileReplacer.h"

namespace fs = std::filesystem;

namespace {

const char* const g_szFileName = "Settings.dat";

}  // namespace

CDeviceStore::CDeviceStore(IFileReplacer& replacer, std::string strFilePath)
    : m_replacer(replacer), m_strFilePath(std::move(strFilePath)) {}

std::string CDeviceStore::FilePath() const {
    return m_strFilePath.empty() ? SettingsFilePath() : m_strFilePath;
}

bool CDeviceStore::LoadDevices(CDeviceLines& arrDeviceLines) const {
    const std::string strPath = FilePath();
    std::error_code error;
    if (fs::is_directory(strPath, error)) {
        return false;  // it opens, but reads as nothing: that is not an empty device list
    }
    std::ifstream file(strPath, std::ios::binary);
    if (!file.is_open()) {
        return false;
    }
    const std::string strContent{std::istreambuf_iterator<char>(file),
                                 std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return false;
    }
    for (const std::string& strLine : ParseSettingsFile(strContent)) {
        arrDeviceLines.Add(strLine);
    }
    return true;
}

bool CDeviceStore::SaveDevices(const CDeviceLines& arrDeviceLines) const {
    const fs::path path = FilePath();
    std::error_code error;
    // The per-user folder may not exist yet; beside the executable it always does.
    if (path.has_parent_path() && !fs::exists(path.parent_path(), error)) {
        fs::create_directories(path.parent_path(), error);
    }
    return m_replacer.ReplaceFile(path.string(), FormatSettingsFile(arrDeviceLines.Lines()));
}

std::string SettingsFilePath() {
    return SettingsFilePath(GetAppDirectory(), BrenholdConfigDirectory());
}

std::string SettingsFilePath(const std::string& strAppDirectory,
                             const std::string& strConfigDirectory) {
    if (IsInstalledCopy(strAppDirectory)) {
        return strConfigDirectory + g_szFileName;
    }
    return strAppDirectory + g_szFileName;
}

std::vector<std::string> ParseSettingsFile(const std::string& strContent) {
    std::vector<std::string> vecLines;
    std::size_t nStart = 0;
    while (nStart < strContent.size()) {
        std::size_t nEnd = strContent.find('\n', nStart);
        if (nEnd == std::string::npos) {
            vecLines.push_back(strContent.substr(nStart));  // the last line, without a line end
            break;
        }
        std::size_t nLength = nEnd - nStart;
        if (nLength > 0 && strContent[nEnd - 1] == '\r') {
            --nLength;
        }
        vecLines.push_back(strContent.substr(nStart, nLength));
        nStart = nEnd + 1;
    }
    return vecLines;
}

std::string FormatSettingsFile(const std::vector<std::string>& vecLines) {
    std::string strContent;
    for (const std::string& strLine : vecLines) {
        strContent += strLine;
        strContent += "\r\n";
    }
    return strContent;
}
