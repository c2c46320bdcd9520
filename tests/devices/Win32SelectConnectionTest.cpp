// Detect on the real Win32 Device Settings dialog (under Wine), over a fake serial line: the
// button is pressed as a user's click does, and the dialog's own message loop carries the
// search's reports.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "FakeMonitorSource.h"
#include "FakeSerialLine.h"
#include "RecordingMessageBox.h"
#include "TouchPackets.h"
#include "resources/win32/resource.h"
#include "win32/ui/Win32SelectConnection.h"
// After the program's headers: <windows.h> macros would clash with their names.
#include <windows.h>

#include "Win32DialogSteps.h"

namespace {

// Pumps the thread's messages until bCondition holds or nTimeoutMs pass.
bool PumpUntil(const std::function<bool()>& bCondition, DWORD nTimeoutMs = 20000) {
    const ULONGLONG nDeadline = GetTickCount64() + nTimeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (bCondition()) {
            return true;
        }
        const ULONGLONG nNow = GetTickCount64();
        if (nNow >= nDeadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(nDeadline - nNow),
                                  QS_ALLINPUT);
    }
}

// The modal dialog runs its own message loop: the steps run from a timer inside it, and the
// dialog is cancelled after them.
class Win32SelectConnection : public ::testing::Test {
protected:
    void RunOpen(std::unique_ptr<CFakeSerialLine> pLine, const std::function<void()>& fnSteps) {
        m_pLine = std::move(pLine);
        RunWhileDialogOpen(
            L"Device Settings",
            [this] {
                DeviceSettingsValues values;
                CWin32SelectConnection::RunModal(GetModuleHandleW(nullptr), nullptr, values, false,
                                                 m_monitors, m_messages,
                                                 [this] { return std::move(m_pLine); });
            },
            [&](HWND hDlg) {
                m_hDlg = hDlg;
                fnSteps();
            });
    }
    HWND Item(int nId) const { return GetDlgItem(m_hDlg, nId); }
    // Its own flag: the dialog itself may not be shown yet when the steps run.
    bool Shown(int nId) const { return (GetWindowLongW(Item(nId), GWL_STYLE) & WS_VISIBLE) != 0; }
    int BaudRow() const {
        return static_cast<int>(SendMessageW(Item(IDC_BAUD_RATE), CB_GETCURSEL, 0, 0));
    }

    HWND m_hDlg = nullptr;
    CRecordingMessageBox m_messages;

private:
    std::unique_ptr<CFakeSerialLine> m_pLine;
    CFakeMonitorSource m_monitors{{{"screen", {0, 0, 1024, 768}}}};
};

// A finger dragged on a controller at 9600 baud: Detect selects 9600 in place of the
// default 2400, and the controls it locked come back.
TEST_F(Win32SelectConnection, DetectSelectsTheRateThatFrames) {
    auto pLine = std::make_unique<CFakeSerialLine>();
    for (int i = 0; i < 60; ++i) {
        pLine->Feed(TouchPacketBytes(true, 200 + i, 300 + i));
    }
    RunOpen(std::move(pLine), [this] {
        ASSERT_EQ(BaudRow(), 2);
        HWND hDetect = Item(IDC_DETECT);
        ASSERT_NE(hDetect, nullptr) << "no Detect button";
        EXPECT_FALSE(Shown(IDC_DETECT_PROGRESS));
        SendMessageW(hDetect, BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(hDetect) && BaudRow() == 0; }));
        EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));
        EXPECT_FALSE(Shown(IDC_DETECT_PROGRESS));
        EXPECT_TRUE(m_messages.Messages().empty());
    });
}

// A silent line that blocks its reads: the dialog closes mid-search without a hang.
TEST_F(Win32SelectConnection, ClosingWhileDetectingEndsTheSearch) {
    RunOpen(std::make_unique<CFakeSerialLine>(true), [this] {
        HWND hDetect = Item(IDC_DETECT);
        ASSERT_NE(hDetect, nullptr) << "no Detect button";
        SendMessageW(hDetect, BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
        EXPECT_TRUE(Shown(IDC_DETECT_PROGRESS));
    });
    EXPECT_TRUE(m_messages.Messages().empty());
}

}  // namespace
