#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "QtWait.h"
#include "qt/AboutDlg.h"

namespace {

TEST(AboutDlg, ShowsTheVersionOnlyOnceShown) {
    CAboutDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "About Tactilo");
    auto* pVersion = dlg.findChild<QLabel*>("ctl1020");
    ASSERT_NE(pVersion, nullptr);
    EXPECT_NE(pVersion->text(), "Tactilo Version 2.00");

    dlg.show();
    EXPECT_EQ(pVersion->text(), "Tactilo Version 2.5.0.0");
    EXPECT_TRUE(pVersion->isVisible());

    auto* pMaker = dlg.findChild<QLabel*>("makerLine");
    ASSERT_NE(pMaker, nullptr);
    EXPECT_TRUE(pMaker->text().contains("Brenhold"));
    auto* pIcon = dlg.findChild<QLabel*>("programIcon");
    ASSERT_NE(pIcon, nullptr);
    EXPECT_FALSE(pIcon->pixmap().isNull());
}

// Laid out like its 235 x 55 template: wider than high in that proportion, and nothing cut
// off at its edges.
TEST(AboutDlg, KeepsItsProportionsAndItsControlsInside) {
    CAboutDlg dlg;
    dlg.show();
    const QSize size = dlg.size();
    EXPECT_GT(size.width(), 2 * size.height());
    EXPECT_LT(size.width(), 6 * size.height());
    for (QWidget* pChild : dlg.findChildren<QWidget*>()) {
        EXPECT_TRUE(dlg.rect().contains(pChild->geometry()))
            << pChild->objectName().toStdString() << " lies outside the dialog";
    }
    auto* pVersion = dlg.findChild<QLabel*>("ctl1020");
    EXPECT_GE(pVersion->width(), pVersion->sizeHint().width()) << "the version line is cut off";
}

TEST(AboutDlg, OkClosesIt) {
    CAboutDlg dlg;
    dlg.show();
    auto* pOk = dlg.findChild<QPushButton*>("ctl1");
    ASSERT_NE(pOk, nullptr);
    EXPECT_EQ(pOk->text(), "OK");
    pOk->click();
    EXPECT_TRUE(PumpUntil([&] { return !dlg.isVisible(); }));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
