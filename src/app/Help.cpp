#include "app/Help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "devices/AppDirectory.h"

std::string OpenHelp(const std::string& strAppDir) {
    const std::string strFile = HelpFilePath(strAppDir);
    const QString strPath = QString::fromLocal8Bit(strFile);
    if (!QFileInfo(strPath).isFile()) {
        return "The manual " + strFile + " is missing.";
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(strPath))) {
        return "No program could open the manual " + strFile + ".";
    }
    return {};
}
