// The tray shell's resources as the program carries them: the tray menu's items by position
// and the three icons, read through the shell as CSystemTray reads them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/ui/Win32TrayShell.h"

namespace {

class CRecordingTrayEvents final : public ITrayEvents {
public:
    int OnTrayNotification(unsigned nIconId, TrayMouse mouse, TrayPoint) override {
        m_vecSeen.push_back(std::to_string(nIconId) + " " +
                            std::to_string(static_cast<int>(mouse)));
        return 1;
    }
    void OnMenuCommand(unsigned nCommandId) override {
        m_vecSeen.push_back("command " + std::to_string(nCommandId));
    }
    int OnTaskbarCreated() override {
        m_vecSeen.push_back("taskbar created");
        return 0;
    }
    std::vector<std::string> m_vecSeen;
};

// What the shell sends to the icon's window becomes the tray's events: the presses and the
// double click that carry commands, the right release that asks for the menu, nothing for
// moves; and the shell's broadcast that a new taskbar wants its icons again.
TEST(Win32TrayShell, TurnsTheShellsMessagesIntoTrayEvents) {
    CWin32TrayShell shell(GetModuleHandleW(nullptr));
    CRecordingTrayEvents events;
    shell.SetEvents(&events);
    const struct {
        UINT nMouse;
        const char* szSeen;  // nullptr: nothing
    } rows[] = {
        {WM_LBUTTONDOWN, "132 0"}, {WM_LBUTTONDBLCLK, "132 1"}, {WM_RBUTTONUP, "132 2"},
        {WM_RBUTTONDOWN, "132 3"}, {WM_MOUSEMOVE, nullptr},     {WM_LBUTTONUP, nullptr},
    };
    for (const auto& row : rows) {
        events.m_vecSeen.clear();
        SendMessageW(shell.Window(), CWin32TrayShell::WM_TRAY_NOTIFY, 132, row.nMouse);
        EXPECT_EQ(events.m_vecSeen,
                  row.szSeen ? std::vector<std::string>{row.szSeen} : std::vector<std::string>{})
            << "mouse message " << row.nMouse;
    }
    events.m_vecSeen.clear();
    SendMessageW(shell.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(events.m_vecSeen, std::vector<std::string>{"taskbar created"});
    shell.SetEvents(nullptr);
}

TEST(Win32TrayShell, FindsTheTrayMenuAndTheIconsInTheResources) {
    CWin32TrayShell shell(GetModuleHandleW(nullptr));
    ASSERT_NE(shell.Window(), nullptr);
    EXPECT_TRUE(shell.HasMenu(132));
    EXPECT_FALSE(shell.HasMenu(133));
    const std::optional<unsigned> expected[] = {32775, 0xFFFFFFFF, 32776, 32777, 32778, 0xFFFFFFFF};
    for (unsigned nPos = 0; nPos < 6; ++nPos) {
        EXPECT_EQ(shell.MenuItemId(132, nPos), expected[nPos]) << "position " << nPos;
    }
    EXPECT_EQ(shell.MenuItemId(133, 0), std::nullopt);
    for (unsigned nIcon : {132u, 139u, 140u}) {
        EXPECT_TRUE(shell.LoadIcon(nIcon)) << nIcon;
    }
    EXPECT_FALSE(shell.LoadIcon(141));
}

// The animation flies to the icon when the shell tells where it is, else to the notification
// area, else to the corner of the work area where the tray usually is.
TEST(Win32TrayShell, AnimationGoesToTheIconTheNotificationAreaOrTheCorner) {
    const RECT rcIcon = {1800, 1040, 1824, 1064};
    const RECT rcArea = {1700, 1030, 1900, 1080};
    const RECT rcWork = {0, 0, 1920, 1040};
    const auto same = [](RECT a, RECT b) { return EqualRect(&a, &b) != FALSE; };
    EXPECT_TRUE(same(ChooseTrayRect(rcIcon, rcArea, rcWork), rcIcon));
    EXPECT_TRUE(same(ChooseTrayRect({}, rcArea, rcWork), rcArea));
    EXPECT_TRUE(same(ChooseTrayRect({}, {}, rcWork), {1770, 1010, 1920, 1040}));
}

// Without an icon shown there is nothing to fly to, and the notice of a missing tray comes
// once its time is up.
TEST(Win32TrayShell, WithoutAnIconNoAnimationAndTheNoticeComes) {
    CWin32TrayShell shell(GetModuleHandleW(nullptr));
    RECT rc = {};
    EXPECT_FALSE(shell.AnimationRect(rc));
    int nTold = 0;
    shell.TellIfNoIcon(1, [&nTold] { ++nTold; });
    MSG msg;
    const ULONGLONG nEnd = GetTickCount64() + 20000;
    while (nTold == 0 && GetTickCount64() < nEnd) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    EXPECT_EQ(nTold, 1);
}

}  // namespace
