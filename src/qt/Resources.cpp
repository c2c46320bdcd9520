#include "qt/Resources.h"

#include <QDir>
#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterTactiloResources() {
    Q_INIT_RESOURCE(tactilo);
}

void InitTactiloResources() {
    static std::once_flag s_once;
    std::call_once(s_once, RegisterTactiloResources);
}

QIcon IconFromResource(unsigned nResourceId) {
    InitTactiloResources();
    const QDir dir(QStringLiteral(":/icons/%1").arg(nResourceId));
    QIcon icon;
    for (const QString& strFile : dir.entryList(QDir::Files)) {
        icon.addFile(dir.filePath(strFile));
    }
    return icon;
}
