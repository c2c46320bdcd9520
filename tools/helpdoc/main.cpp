// tactilo-helpdoc: turns the user's manual (Markdown) into "Help.pdf", at build time.
//
//   tactilo-helpdoc MANUAL.md OUTPUT.pdf
//
// Qt's own text layout prints it, so the build needs nothing beyond Qt. It runs without a
// display: a build machine has none.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int g_nResolutionDpi = 300;
constexpr qreal g_dBodyPointSize = 10.5;

int Fail(const QString& strWhat) {
    std::fprintf(stderr, "tactilo-helpdoc: %s\n", qPrintable(strWhat));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        return Fail(QStringLiteral("usage: tactilo-helpdoc MANUAL.md OUTPUT.pdf"));
    }
    const QString strInput = QString::fromLocal8Bit(argv[1]);
    const QString strOutput = QString::fromLocal8Bit(argv[2]);

    QFile input(strInput);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return Fail(QStringLiteral("cannot read %1: %2").arg(strInput, input.errorString()));
    }
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(g_dBodyPointSize);
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromUtf8(input.readAll()), QTextDocument::MarkdownDialectGitHub);
    if (document.isEmpty()) {
        return Fail(QStringLiteral("%1 is empty").arg(strInput));
    }

    // Written aside and renamed, so a failed run never leaves a half file that looks done.
    const QString strPartial = strOutput + QStringLiteral(".part");
    {
        QPdfWriter writer(strPartial);
        writer.setTitle(QStringLiteral("Tactilo User's Manual"));
        writer.setCreator(QStringLiteral("Tactilo"));
        writer.setResolution(g_nResolutionDpi);
        // No margins of the writer's own: printing adds 2 cm on every side and the page
        // numbers in the bottom one.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (QFileInfo(strPartial).size() == 0) {
        QFile::remove(strPartial);
        return Fail(QStringLiteral("nothing was written to %1").arg(strPartial));
    }
    QFile::remove(strOutput);
    if (!QFile::rename(strPartial, strOutput)) {
        return Fail(QStringLiteral("cannot write %1").arg(strOutput));
    }
    return EXIT_SUCCESS;
}
