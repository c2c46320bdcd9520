#include "qt/OptionsStore.h"

#include <QSettings>
#include <QString>
#include <QVariant>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/UserPaths.h"

namespace {

QString Key(const char* szSection, const char* szEntry) {
    return QString::fromLocal8Bit(szSection) + QLatin1Char('/') + QString::fromLocal8Bit(szEntry);
}

int ErrorNumber(QSettings::Status status) {
    switch (status) {
        case QSettings::NoError:
            return 0;
        case QSettings::AccessError:
            return EACCES;
        case QSettings::FormatError:
            return EINVAL;
    }
    return EIO;
}

}  // namespace

COptionsStore::COptionsStore(std::string strAppName) : m_strAppName(std::move(strAppName)) {}

std::string COptionsStore::FilePath() const {
    return BrenholdConfigDirectory() + m_strAppName + ".conf";
}

std::string COptionsStore::ExecutableFileName() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("Tactilo") : exe.filename().string();
}

int COptionsStore::GetProfileInt(const char* szSection, const char* szEntry, int nDefault) {
    const QSettings settings(QString::fromLocal8Bit(FilePath()), QSettings::NativeFormat);
    const QVariant value = settings.value(Key(szSection, szEntry));
    bool bOk = false;
    const int nValue = value.toInt(&bOk);
    return bOk ? nValue : nDefault;
}

std::string COptionsStore::GetProfileString(const char* szSection, const char* szEntry,
                                            const std::string& strDefault) {
    const QSettings settings(QString::fromLocal8Bit(FilePath()), QSettings::NativeFormat);
    const QVariant value = settings.value(Key(szSection, szEntry));
    if (!value.isValid()) {
        return strDefault;
    }
    return value.toString().toLocal8Bit().toStdString();
}

int COptionsStore::WriteProfileInt(const char* szSection, const char* szEntry, int nValue) {
    QSettings settings(QString::fromLocal8Bit(FilePath()), QSettings::NativeFormat);
    settings.setValue(Key(szSection, szEntry), nValue);
    settings.sync();
    return ErrorNumber(settings.status());
}

int COptionsStore::WriteProfileString(const char* szSection, const char* szEntry,
                                      const std::string& strValue) {
    QSettings settings(QString::fromLocal8Bit(FilePath()), QSettings::NativeFormat);
    settings.setValue(Key(szSection, szEntry), QString::fromLocal8Bit(strValue));
    settings.sync();
    return ErrorNumber(settings.status());
}
