// The single running copy's name and hand-over message on Windows.
#include <gtest/gtest.h>

#include <string>

#include "win32/Win32SingleInstance.h"

namespace {

// One name per user and executable, whatever the letter case of the path (Windows ignores
// it); a name the session namespace takes.
TEST(Win32SingleInstance, NameBelongsToOneUserAndOneExecutable) {
    const std::wstring strName = CWin32SingleInstance::InstanceName("ann", "C:\\T\\Tactilo.exe");
    EXPECT_EQ(strName.rfind(L"Local\\Brenhold-Tactilo-", 0), 0u);
    EXPECT_EQ(strName.find(L'\\', 6), std::wstring::npos);
    EXPECT_EQ(CWin32SingleInstance::InstanceName("ann", "c:\\t\\TACTILO.EXE"), strName);
    EXPECT_NE(CWin32SingleInstance::InstanceName("bob", "C:\\T\\Tactilo.exe"), strName);
    EXPECT_NE(CWin32SingleInstance::InstanceName("ann", "C:\\U\\Tactilo.exe"), strName);
}

// Any program of the session can send the window a WM_COPYDATA: only a tagged, short text
// of plain characters counts as a hand-over.
TEST(Win32SingleInstance, OnlyAShortTaggedTextIsAHandOver) {
    constexpr ULONG_PTR TAG = CWin32SingleInstance::HAND_OVER_DATA;
    char szSwitches[] = "/s /cs\n";
    std::string strLong(300, 's');
    const auto read = [](ULONG_PTR nTag, DWORD nBytes, void* pData) {
        return CWin32SingleInstance::ReadHandOver({nTag, nBytes, pData});
    };
    EXPECT_EQ(read(TAG, 6, szSwitches), std::optional<std::string>("/s /cs"));
    EXPECT_EQ(read(TAG, 0, nullptr), std::optional<std::string>(""));
    for (const auto& switches : {read(0x1234, 6, szSwitches), read(TAG, 7, szSwitches),
                                 read(TAG, 300, strLong.data()), read(TAG, 4, nullptr)}) {
        EXPECT_FALSE(switches.has_value());
    }
}

}  // namespace
