#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "FakeTrayShell.h"
#include "tray/SystemTray.h"

namespace {

using Call = CFakeTrayShell::Call;
constexpr unsigned kAllFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

NotifyIconData Nid(unsigned uFlags, TrayIcon hIcon, const std::string& strTip) {
    return NotifyIconData{132, uFlags, hIcon, strTip};
}

// The one call that adds the icon with every field.
std::vector<Call> AddedAs(TrayIcon hIcon, const std::string& strTip) {
    return {{NotifyIconMessage::Add, Nid(kAllFlags, hIcon, strTip)}};
}

class SystemTray : public ::testing::Test {
protected:
    // Created as the main window does: icon 132, double click shows, left press arms.
    bool CreateIcon() {
        const bool bCreated = m_tray.Create("Tactilo - not connected", 132, 132);
        m_tray.SetDefaultMenuItem(32779, false);
        m_tray.SetClickCommand(32781);
        return bCreated;
    }

    CFakeTrayShell m_shell;
    CRecordingCommandTarget m_target;
    CSystemTray m_tray{m_shell, &m_target};
};

TEST_F(SystemTray, StartsNotAddedAndRegistersWithTheShell) {
    EXPECT_TRUE(m_tray.IsHidden());
    EXPECT_TRUE(m_tray.IsRemoved());
    EXPECT_FALSE(m_tray.IsShowPending());
    EXPECT_EQ(m_shell.Events(), &m_tray);
    // Before Create nothing reaches the shell.
    EXPECT_FALSE(m_tray.SetIconFromResource(139));
    EXPECT_FALSE(m_tray.SetTooltip("x"));
    EXPECT_TRUE(m_tray.RemoveIcon());
    EXPECT_TRUE(m_shell.Calls().empty());
}

TEST_F(SystemTray, CreateAddsTheIconWithEveryField) {
    ASSERT_TRUE(CreateIcon());
    EXPECT_FALSE(m_tray.IsHidden());
    EXPECT_FALSE(m_tray.IsRemoved());
    EXPECT_FALSE(m_tray.IsShowPending());
    EXPECT_EQ(m_shell.Calls(), AddedAs(132, "Tactilo - not connected"));
}

TEST_F(SystemTray, ChangesReachTheShellWithOnlyTheirOwnFlag) {
    ASSERT_TRUE(CreateIcon());
    m_shell.ClearCalls();
    EXPECT_TRUE(m_tray.SetIconFromResource(139));
    EXPECT_TRUE(m_tray.SetTooltip("Touch 1 - screen COM3 9600"));
    EXPECT_EQ(m_shell.Calls(),
              (std::vector<Call>{
                  {NotifyIconMessage::Modify, Nid(NIF_ICON, 139, "Tactilo - not connected")},
                  {NotifyIconMessage::Modify, Nid(NIF_TIP, 139, "Touch 1 - screen COM3 9600")}}));
}

TEST_F(SystemTray, AnUnknownIconResourceFailsAndKeepsThePicture) {
    ASSERT_TRUE(CreateIcon());
    m_shell.ClearCalls();
    EXPECT_FALSE(m_tray.SetIconFromResource(141));
    EXPECT_FALSE(m_tray.SetIconFromResource(0));
    EXPECT_EQ(m_tray.IconData().hIcon, 132u);
    EXPECT_TRUE(m_shell.Calls().empty());
}

TEST_F(SystemTray, WithoutAHostTheIconWaitsAndKeepsItsChanges) {
    m_shell.m_bAddSucceeds = false;
    EXPECT_FALSE(CreateIcon());
    EXPECT_TRUE(m_tray.IsHidden());
    EXPECT_TRUE(m_tray.IsRemoved());
    EXPECT_TRUE(m_tray.IsShowPending());

    // Stored only: answered true without a shell call.
    m_shell.ClearCalls();
    EXPECT_TRUE(m_tray.SetIconFromResource(140));
    EXPECT_TRUE(m_tray.SetTooltip("Touch 1 - screen COM3 9600"));
    EXPECT_TRUE(m_shell.Calls().empty());

    // The host appears: added with the current picture and tooltip and every field.
    m_shell.m_bAddSucceeds = true;
    EXPECT_EQ(m_shell.Events()->OnTaskbarCreated(), 0);
    EXPECT_EQ(m_shell.Calls(), AddedAs(140, "Touch 1 - screen COM3 9600"));
    EXPECT_FALSE(m_tray.IsHidden());
    EXPECT_FALSE(m_tray.IsRemoved());
    EXPECT_FALSE(m_tray.IsShowPending());

    // And it works: changes go to the shell, the commands reach the receiver.
    m_shell.ClearCalls();
    EXPECT_TRUE(m_tray.SetIconFromResource(139));
    EXPECT_EQ(m_shell.Calls().size(), 1u);
    EXPECT_EQ(m_tray.OnTrayNotification(132, TrayMouse::LeftPress, {}), 1);
    EXPECT_EQ(m_target.Commands(), std::vector<unsigned>{32781});
}

TEST_F(SystemTray, AHostThatFailsToTakeTheIconLeavesItWaiting) {
    m_shell.m_bAddSucceeds = false;
    CreateIcon();
    m_tray.OnTaskbarCreated();
    EXPECT_TRUE(m_tray.IsShowPending());
    EXPECT_TRUE(m_tray.IsHidden());
    EXPECT_EQ(m_shell.Calls().size(), 2u);
}

TEST_F(SystemTray, ANewHostGetsAShownIconAgain) {
    ASSERT_TRUE(CreateIcon());
    m_tray.SetIconFromResource(139);
    m_shell.ClearCalls();
    m_tray.OnTaskbarCreated();
    EXPECT_EQ(m_shell.Calls(), AddedAs(139, "Tactilo - not connected"));
    EXPECT_FALSE(m_tray.IsHidden());
}

TEST_F(SystemTray, ARemovedIconStaysAwayAndIgnoresChanges) {
    ASSERT_TRUE(CreateIcon());
    EXPECT_TRUE(m_tray.RemoveIcon());
    EXPECT_TRUE(m_tray.IsRemoved());
    EXPECT_TRUE(m_tray.IsHidden());
    EXPECT_EQ(m_shell.Calls().back().message, NotifyIconMessage::Delete);
    EXPECT_EQ(m_shell.Calls().back().nid.uFlags, 0u);

    m_shell.ClearCalls();
    EXPECT_TRUE(m_tray.SetIconFromResource(139));
    EXPECT_TRUE(m_tray.SetTooltip("Touch 1"));
    EXPECT_TRUE(m_tray.RemoveIcon());
    m_tray.OnTaskbarCreated();
    EXPECT_TRUE(m_shell.Calls().empty());
    EXPECT_FALSE(m_tray.IsShowPending());
}

TEST_F(SystemTray, RemovingAWaitingIconEndsTheWait) {
    m_shell.m_bAddSucceeds = false;
    CreateIcon();
    EXPECT_TRUE(m_tray.RemoveIcon());
    m_shell.m_bAddSucceeds = true;
    m_shell.ClearCalls();
    m_tray.OnTaskbarCreated();
    EXPECT_TRUE(m_shell.Calls().empty());
}

TEST_F(SystemTray, AFailedDeleteKeepsTheIconShown) {
    ASSERT_TRUE(CreateIcon());
    m_shell.m_bDeleteSucceeds = false;
    EXPECT_FALSE(m_tray.RemoveIcon());
    EXPECT_FALSE(m_tray.IsRemoved());
    m_shell.ClearCalls();
    m_tray.SetIconFromResource(139);
    EXPECT_EQ(m_shell.Calls().size(), 1u);
}

TEST_F(SystemTray, AHiddenCreateOnlyPreparesTheIcon) {
    EXPECT_TRUE(m_tray.Create("Tactilo - not connected", 132, 132, true));
    EXPECT_TRUE(m_tray.IsHidden());
    EXPECT_FALSE(m_tray.IsShowPending());
    EXPECT_TRUE(m_tray.SetIconFromResource(139));
    m_tray.OnTaskbarCreated();
    EXPECT_TRUE(m_shell.Calls().empty());
}

struct TooltipRow {
    std::string strIn;
    std::string strExpected;
};

class SystemTrayTooltip : public SystemTray, public ::testing::WithParamInterface<TooltipRow> {};

TEST_P(SystemTrayTooltip, IsCutTo127Bytes) {
    ASSERT_TRUE(m_tray.Create(GetParam().strIn, 132, 132));
    EXPECT_EQ(m_shell.Calls().back().nid.szTip, GetParam().strExpected);
    EXPECT_TRUE(m_tray.SetTooltip(GetParam().strIn));
    EXPECT_EQ(m_shell.Calls().back().nid.szTip, GetParam().strExpected);
}

// "é" is two bytes in UTF-8: at bytes 126..127 it straddles the cut and goes whole.
INSTANTIATE_TEST_SUITE_P(
    Lengths, SystemTrayTooltip,
    ::testing::Values(TooltipRow{"", ""}, TooltipRow{std::string(127, 'a'), std::string(127, 'a')},
                      TooltipRow{std::string(128, 'a'), std::string(127, 'a')},
                      TooltipRow{std::string(300, 'b'), std::string(127, 'b')},
                      TooltipRow{std::string(126, 'a') + "\xc3\xa9z", std::string(126, 'a')},
                      TooltipRow{std::string(125, 'a') + "\xc3\xa9z",
                                 std::string(125, 'a') + "\xc3\xa9"}));

struct MouseRow {
    const char* szName;
    unsigned nDefaultItem;
    bool bDefaultByPos;
    TrayMouse mouse;
    std::vector<unsigned> vecCommands;
};

class SystemTrayMouse : public SystemTray, public ::testing::WithParamInterface<MouseRow> {};

TEST_P(SystemTrayMouse, SendsItsCommand) {
    const MouseRow& row = GetParam();
    ASSERT_TRUE(CreateIcon());
    m_tray.SetDefaultMenuItem(row.nDefaultItem, row.bDefaultByPos);
    EXPECT_EQ(m_tray.OnTrayNotification(132, row.mouse, {5, 6}), 1);
    EXPECT_EQ(m_target.Commands(), row.vecCommands);
    EXPECT_TRUE(m_shell.MenusShown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, SystemTrayMouse,
    ::testing::Values(
        MouseRow{"LeftPressArms", 32779, false, TrayMouse::LeftPress, {32781}},
        MouseRow{"DoubleClickWhileHiddenShows", 32779, false, TrayMouse::DoubleClick, {32779}},
        MouseRow{"DoubleClickWhileShownHides", 32780, false, TrayMouse::DoubleClick, {32780}},
        MouseRow{"DoubleClickByPositionSendsThatItem", 2, true, TrayMouse::DoubleClick, {32776}},
        MouseRow{
            "DoubleClickOnASeparatorSendsNoItem", 1, true, TrayMouse::DoubleClick, {0xFFFFFFFF}},
        MouseRow{"OtherButtonsDoNothing", 32779, false, TrayMouse::Other, {}}),
    [](const auto& info) { return std::string(info.param.szName); });

TEST_F(SystemTray, ContextRequestShowsTheMenuAtTheCursor) {
    ASSERT_TRUE(CreateIcon());
    EXPECT_EQ(m_tray.OnTrayNotification(132, TrayMouse::ContextMenu, {40, 12}), 1);
    ASSERT_EQ(m_shell.MenusShown().size(), 1u);
    EXPECT_EQ(m_shell.MenusShown()[0], (CFakeTrayShell::MenuShown{132, 32779, false, {40, 12}}));
    EXPECT_TRUE(m_target.Commands().empty());

    // The chosen item goes to the receiver.
    m_shell.Events()->OnMenuCommand(32778);
    EXPECT_EQ(m_target.Commands(), std::vector<unsigned>{32778});
}

TEST_F(SystemTray, ANotificationForAnotherIconIsIgnored) {
    ASSERT_TRUE(CreateIcon());
    for (TrayMouse mouse : {TrayMouse::LeftPress, TrayMouse::DoubleClick, TrayMouse::ContextMenu}) {
        EXPECT_EQ(m_tray.OnTrayNotification(133, mouse, {}), 0);
    }
    EXPECT_TRUE(m_target.Commands().empty());
    EXPECT_TRUE(m_shell.MenusShown().empty());
}

TEST_F(SystemTray, AMissingMenuAnswersZeroWhereItIsNeeded) {
    ASSERT_TRUE(CreateIcon());
    m_shell.m_bHasMenu = false;
    EXPECT_FALSE(m_tray.SetDefaultMenuItem(0, true));
    EXPECT_EQ(m_tray.OnTrayNotification(132, TrayMouse::ContextMenu, {}), 0);
    EXPECT_EQ(m_tray.OnTrayNotification(132, TrayMouse::DoubleClick, {}), 0);
    // A default given as a command id needs no menu.
    EXPECT_FALSE(m_tray.SetDefaultMenuItem(32780, false));
    EXPECT_EQ(m_tray.OnTrayNotification(132, TrayMouse::DoubleClick, {}), 1);
    EXPECT_EQ(m_target.Commands(), std::vector<unsigned>{32780});
}

TEST_F(SystemTray, AnExplicitTargetTakesTheCommands) {
    ASSERT_TRUE(CreateIcon());
    CRecordingCommandTarget other;
    m_tray.SetTargetWindow(&other);
    EXPECT_EQ(m_tray.GetTargetWindow(), &other);
    m_tray.OnTrayNotification(132, TrayMouse::LeftPress, {});
    EXPECT_EQ(other.Commands(), std::vector<unsigned>{32781});
    EXPECT_TRUE(m_target.Commands().empty());
}

TEST(SystemTrayNoTarget, AnswersZero) {
    CFakeTrayShell shell;
    CSystemTray tray(shell, nullptr);
    ASSERT_TRUE(tray.Create("Tactilo - not connected", 132, 132));
    EXPECT_EQ(tray.OnTrayNotification(132, TrayMouse::LeftPress, {}), 0);
}

TEST(SystemTrayLifetime, DestructionRemovesTheIconAndUnregisters) {
    CFakeTrayShell shell;
    {
        CSystemTray tray(shell, nullptr);
        ASSERT_TRUE(tray.Create("Tactilo - not connected", 132, 132));
    }
    EXPECT_EQ(shell.Calls().back().message, NotifyIconMessage::Delete);
    EXPECT_EQ(shell.Events(), nullptr);
}

// The reader thread changes the picture while the user-interface thread changes the
// tooltip: every change reaches the shell whole, and the last of each wins.
TEST_F(SystemTray, ChangesFromTwoThreadsKeepTheRecordWhole) {
    ASSERT_TRUE(CreateIcon());
    m_shell.ClearCalls();
    std::thread reader([this] {
        for (int i = 0; i < 500; ++i) {
            m_tray.SetIconFromResource(i % 2 ? 139 : 140);
        }
    });
    for (int i = 0; i < 500; ++i) {
        m_tray.SetTooltip(i % 2 ? "Touch 1" : "Tactilo - not connected");
    }
    reader.join();
    const std::vector<Call> vecCalls = m_shell.Calls();
    ASSERT_EQ(vecCalls.size(), 1000u);
    for (const Call& call : vecCalls) {
        EXPECT_TRUE(call.nid.uFlags == NIF_ICON || call.nid.uFlags == NIF_TIP);
    }
    EXPECT_EQ(m_tray.IconData().hIcon, 139u);
    EXPECT_EQ(m_tray.IconData().szTip, "Touch 1");
}

}  // namespace
