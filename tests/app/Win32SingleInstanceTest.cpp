// The single running copy's name and hand-over message on Windows.
#include <gtest/gtest.h>

#include <string>

#include "app/Win32SingleInstance.h"

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
    std::string strLong(300, 's');
    char szControl[] = "/s\n";
    char szSwitches[] = "/s /cs";
    struct Row {
        ULONG_PTR nTag;
        DWORD nBytes;
        void* pData;
        bool bHandOver;
    };
    for (const Row& row : {Row{TAG, 6, szSwitches, true}, Row{TAG, 0, nullptr, true},
                           Row{0x1234, 6, szSwitches, false}, Row{TAG, 300, strLong.data(), false},
                           Row{TAG, 3, szControl, false}, Row{TAG, 4, nullptr, false}}) {
        const COPYDATASTRUCT data = {row.nTag, row.nBytes, row.pData};
        const auto switches = CWin32SingleInstance::ReadHandOver(data);
        EXPECT_EQ(switches.has_value(), row.bHandOver) << row.nTag << " " << row.nBytes;
        if (switches && row.pData) {
            EXPECT_EQ(*switches, std::string(static_cast<const char*>(row.pData), row.nBytes));
        }
    }
}

}  // namespace
