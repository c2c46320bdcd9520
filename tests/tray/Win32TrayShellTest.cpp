// The tray shell's resources as the program carries them: the tray menu's items by position
// and the three icons, read through the shell as CSystemTray reads them.
#include <gtest/gtest.h>

#include <optional>

#include "tray/Win32TrayShell.h"

namespace {

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

}  // namespace
