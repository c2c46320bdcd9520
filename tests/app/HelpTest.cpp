#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <vector>

#include "TempConfigDir.h"
#include "qt/Help.h"

namespace {

// Stands in for the desktop's viewer: QDesktopServices hands it every file URL.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> m_vecUrls;
public slots:
    void Open(const QUrl& url) { m_vecUrls.push_back(url); }
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override { QDesktopServices::setUrlHandler("file", &m_viewer, "Open"); }
    void TearDown() override { QDesktopServices::unsetUrlHandler("file"); }

    CTempConfigDir m_dir;  // any empty folder of our own
    CUrlRecorder m_viewer;
};

TEST_F(HelpTest, OpensHelpPdfInTheProgramsFolder) {
    const std::string strAppDir = m_dir.Path() + "/my tactilo #1/";
    std::filesystem::create_directories(strAppDir);
    std::ofstream(strAppDir + "Help.pdf") << "%PDF-1.4\n";

    EXPECT_EQ(OpenHelp(strAppDir, [] { return std::optional<std::string>("viewer.desktop"); }), "");
    ASSERT_EQ(m_viewer.m_vecUrls.size(), 1u);
    EXPECT_EQ(m_viewer.m_vecUrls[0].toLocalFile().toStdString(), strAppDir + "Help.pdf");
}

TEST_F(HelpTest, AMissingFileAsksNoViewerAndSaysWhichFile) {
    const std::string strFile = m_dir.Path() + "/Help.pdf";
    EXPECT_EQ(OpenHelp(m_dir.Path() + "/"), "The manual " + strFile + " is missing.");
    std::filesystem::create_directories(strFile);  // a folder is no file
    EXPECT_EQ(OpenHelp(m_dir.Path() + "/"), "The manual " + strFile + " is missing.");
    EXPECT_TRUE(m_viewer.m_vecUrls.empty());
}

// xdg-open is started detached and "succeeds" even when it then finds no viewer: a desktop
// without a PDF handler is told before anything is handed to it.
TEST_F(HelpTest, ADesktopWithoutAPdfViewerIsToldWithTheManualsPath) {
    std::ofstream(m_dir.Path() + "/Help.pdf") << "%PDF-1.4\n";
    EXPECT_EQ(OpenHelp(m_dir.Path() + "/", [] { return std::optional<std::string>(""); }),
              "No program to open PDF files was found, so the manual cannot be shown. It is " +
                  m_dir.Path() + "/Help.pdf.");
    EXPECT_TRUE(m_viewer.m_vecUrls.empty());
    // xdg-mime that cannot be asked leaves it to the desktop.
    EXPECT_EQ(OpenHelp(m_dir.Path() + "/", [] { return std::optional<std::string>(); }), "");
    EXPECT_EQ(m_viewer.m_vecUrls.size(), 1u);
}

TEST_F(HelpTest, AFileNoViewerTakesIsToldWithItsName) {
    // The test platform has no desktop to hand files to: without our stand-in, nothing opens.
    QDesktopServices::unsetUrlHandler("file");
    std::ofstream(m_dir.Path() + "/Help.pdf") << "%PDF-1.4\n";
    EXPECT_EQ(OpenHelp(m_dir.Path() + "/", [] { return std::optional<std::string>(); }),
              "No program could open the manual " + m_dir.Path() + "/Help.pdf.");
}

}  // namespace

#include "HelpTest.moc"
