#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "FakeTrayShell.h"
#include "qt/QtTrayShell.h"
#include "qt/Resources.h"
#include "tray/SystemTray.h"

namespace {

// One application for the whole binary, never destroyed: Qt's globals outlive the tests.
void EnsureApplication() {
    if (!qApp) {
        static int s_argc = 1;
        static char s_szName[] = "tray_ui_tests";
        static char* s_argv[] = {s_szName, nullptr};
        new QApplication(s_argc, s_argv);
    }
}

// Runs the event loop until the condition holds or the deadline passes.
template <typename Condition>
bool EventsUntil(Condition bCondition) {
    return WaitUntil([&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return bCondition();
    });
}

// The colour at (3, middle) of the icon drawn 32 pixels wide: the background, left of the
// picture.
QRgb Background(const QIcon& icon) {
    return icon.pixmap(32).toImage().pixel(3, 16) & 0xFFFFFF;
}

class QtTrayShell : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    CQtTrayShell m_shell;
    CRecordingCommandTarget m_target;
    CSystemTray m_tray{m_shell, &m_target};
};

TEST_F(QtTrayShell, TheMenuHoldsTheFiveEntries) {
    struct Entry {
        unsigned nId;
        const char* szText;
    };
    const std::vector<Entry> vecExpected = {
        {32775, "About..."}, {0, ""}, {32776, "Help"}, {32777, "Options..."}, {32778, "Exit"}};
    const QList<QAction*> actions = m_shell.Menu()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(vecExpected.size()));
    for (size_t i = 0; i < vecExpected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actions[i]->isSeparator(), vecExpected[i].nId == 0);
        EXPECT_EQ(actions[i]->text().toStdString(), vecExpected[i].szText);
        if (vecExpected[i].nId != 0) {
            EXPECT_EQ(actions[i]->data().toUInt(), vecExpected[i].nId);
        }
        EXPECT_EQ(m_shell.MenuItemId(132, static_cast<unsigned>(i)),
                  vecExpected[i].nId ? vecExpected[i].nId : 0xFFFFFFFF);
    }
    EXPECT_EQ(m_shell.MenuItemId(132, 5), 0xFFFFFFFFu);
    EXPECT_EQ(m_shell.MenuItemId(133, 0), std::nullopt);
    EXPECT_TRUE(m_shell.HasMenu(132));
    EXPECT_FALSE(m_shell.HasMenu(133));
}

TEST_F(QtTrayShell, ChoosingExitSendsItsCommandToTheReceiver) {
    m_tray.Create("Tactilo - not connected", 132, 132);
    for (QAction* pAction : m_shell.Menu()->actions()) {
        if (pAction->text() == QLatin1String("Exit")) {
            pAction->trigger();
        }
    }
    EXPECT_EQ(m_target.Commands(), std::vector<unsigned>{32778});
}

TEST_F(QtTrayShell, TheContextRequestOpensTheMenuAtTheCursor) {
    m_tray.Create("Tactilo - not connected", 132, 132);
    m_tray.SetDefaultMenuItem(32779, false);
    EXPECT_EQ(m_tray.OnTrayNotification(132, TrayMouse::ContextMenu, {50, 60}), 1);
    EXPECT_TRUE(EventsUntil([this] { return m_shell.Menu()->isVisible(); }));
    EXPECT_EQ(m_shell.Menu()->pos(), QPoint(50, 60));
    // 32779 is not an item of the menu, so no item is the default.
    EXPECT_EQ(m_shell.Menu()->defaultAction(), nullptr);
    m_shell.Menu()->close();
    EXPECT_TRUE(m_target.Commands().empty());
}

TEST_F(QtTrayShell, TheIconsLoadFromTheProgramsResources) {
    struct Row {
        unsigned nId;
        QRgb rgbBackground;
    };
    for (const Row& row : {Row{132, 0x8C8C8C}, Row{139, 0x2F9E44}, Row{140, 0x2F9E44}}) {
        SCOPED_TRACE(row.nId);
        const QIcon icon = IconFromResource(row.nId);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes(),
                  (QList<QSize>{{16, 16}, {22, 22}, {32, 32}, {48, 48}, {64, 64}}));
        EXPECT_EQ(Background(icon), row.rgbBackground);
        EXPECT_TRUE(m_shell.LoadIcon(row.nId));
    }
    EXPECT_TRUE(IconFromResource(141).isNull());
    EXPECT_FALSE(m_shell.LoadIcon(141));
    EXPECT_FALSE(QIcon(QStringLiteral(":/icons/tactilo.png")).isNull());
}

TEST_F(QtTrayShell, ChangesFromAnotherThreadWaitForTheUserInterfaceThreadInOrder) {
    const auto fromThread = [this](TrayIcon hIcon, const std::string& strTip) {
        std::thread reader([&] {
            EXPECT_TRUE(m_shell.NotifyIcon(NotifyIconMessage::Modify,
                                           NotifyIconData{132, NIF_ICON | NIF_TIP, hIcon, strTip}));
        });
        reader.join();
    };
    m_shell.NotifyIcon(NotifyIconMessage::Modify, NotifyIconData{132, NIF_ICON, 132, ""});

    // Queued: Qt's icon is untouched until the user-interface thread runs its events.
    fromThread(139, "Touch 1");
    EXPECT_EQ(m_shell.ShownIcon(), 132u);
    EXPECT_TRUE(EventsUntil([this] { return m_shell.ShownIcon() == 139; }));
    EXPECT_EQ(m_shell.Icon()->toolTip().toStdString(), "Touch 1");
    EXPECT_EQ(Background(m_shell.Icon()->icon()), 0x2F9E44u);

    // A later call on the user-interface thread wins over an earlier queued one.
    fromThread(140, "armed");
    m_shell.NotifyIcon(NotifyIconMessage::Modify, NotifyIconData{132, NIF_ICON, 132, ""});
    EXPECT_EQ(m_shell.ShownIcon(), 132u);
    EXPECT_EQ(m_shell.Icon()->toolTip().toStdString(), "armed");
    QCoreApplication::processEvents();
    EXPECT_EQ(m_shell.ShownIcon(), 132u);
}

TEST(HideToTray, HidesAndRestoresTheWindow) {
    EnsureApplication();
    QWidget window;
    window.show();
    ASSERT_TRUE(EventsUntil([&] { return window.isVisible(); }));

    CSystemTray::HideToTray(&window);
    EXPECT_FALSE(window.isVisible());

    // Activation needs a real X server (see TrayIntegrationTest); offscreen keeps a window
    // that was active before it was hidden as its focus window and never reactivates it.
    CSystemTray::RestoreFromTray(&window);
    EXPECT_TRUE(window.isVisible());

    // A window that was minimised comes back as a window.
    window.showMinimized();
    CSystemTray::HideToTray(&window);
    CSystemTray::RestoreFromTray(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

}  // namespace
