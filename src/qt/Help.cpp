#include "qt/Help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "devices/AppDirectory.h"

namespace {

// xdg-mime is a shell script that reads a few files; a hung one must not hang the window.
constexpr int g_nQueryMs = 3000;

}  // namespace

std::string OpenHelp(const std::string& strAppDir, const PdfHandlerQuery& fnPdfHandler) {
    const std::string strFile = HelpFilePath(strAppDir);
    const QString strPath = QString::fromLocal8Bit(strFile);
    if (!QFileInfo(strPath).isFile()) {
        return "The manual " + strFile + " is missing.";
    }
    if (const std::optional<std::string> handler = fnPdfHandler(); handler && handler->empty()) {
        return "No program to open PDF files was found, so the manual cannot be shown. It is " +
               strFile + ".";
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(strPath))) {
        return "No program could open the manual " + strFile + ".";
    }
    return {};
}

std::string OpenHelp(const std::string& strAppDir) {
    return OpenHelp(strAppDir, DefaultPdfHandler);
}

std::optional<std::string> DefaultPdfHandler() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("application/pdf")});
    if (!query.waitForFinished(g_nQueryMs) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        query.waitForFinished(g_nQueryMs);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed().toStdString();
}
