#include "devices/DeviceStore.h"

#include <filesystem>
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

bool CDeviceStore::LoadDevices(CDeviceLines& arrDeviceLines) {
    const std::string strPath = FilePath();
    m_strProblem.clear();
    std::string strContent;
    const FileOutcome outcome = m_replacer.ReadWhole(strPath, strContent, MAX_FILE_BYTES);
    if (outcome.kind == FileOutcome::Kind::Missing) {
        return false;  // the first start: the first OK creates the file
    }
    if (!outcome.Ok()) {
        m_bKeepFile = true;
        m_strProblem = "The device file " + strPath + " could not be read: " + outcome.strReason +
                       ". The device list starts empty, and the file will not be overwritten.";
        return false;
    }
    for (const std::string& strLine : ParseSettingsFile(strContent)) {
        arrDeviceLines.Add(strLine);
    }
    return true;
}

bool CDeviceStore::SaveDevices(const CDeviceLines& arrDeviceLines) {
    const fs::path path = FilePath();
    m_strProblem.clear();
    if (m_bKeepFile) {
        m_strProblem = "The device file " + path.string() +
                       " could not be read when Tactilo started, so it was kept as it is. The "
                       "devices were not saved. Make the file readable and start Tactilo again.";
        return false;
    }
    std::error_code error;
    // The per-user folder may not exist yet; beside the executable it always does.
    if (path.has_parent_path() && !fs::exists(path.parent_path(), error)) {
        // Told as it is (a read-only home, a file in the way): the write that would follow
        // could only say that the file's folder is missing.
        if (!fs::create_directories(path.parent_path(), error) && error) {
            m_strProblem = "The folder " + path.parent_path().string() +
                           " could not be made: " + error.message() +
                           ". The devices were not saved.";
            return false;
        }
    }
    const FileOutcome outcome =
        m_replacer.ReplaceFile(path.string(), FormatSettingsFile(arrDeviceLines.Lines()));
    if (outcome.Ok()) {
        return true;
    }
    m_strProblem =
        "Writing " + path.string() + " failed: " + outcome.strReason + ". " +
        (outcome.bOldContentKept ? "The devices were not saved; the file was kept as it was."
                                 : "The devices were not saved, and the file may be incomplete.");
    return false;
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
