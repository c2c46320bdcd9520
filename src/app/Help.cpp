#include "app/Help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool OpenHelp(const std::string& strAppDir) {
    const QString strPath = QString::fromLocal8Bit(strAppDir + "Help.pdf");
    if (!QFileInfo(strPath).isFile()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(strPath));
}
