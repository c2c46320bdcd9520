// The Win32 main window on real window messages under Wine, over fakes for the platform
// (port, tray, options): how a quit ends the program, how queued calls reach a modal loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// First: the core's names that <windows.h> also defines as macros.
#include "app/TactiloHub.h"

#include "FakeAutoStart.h"
#include "FakeMonitorSource.h"
#include "FakeOptionsStore.h"
#include "FakeSerialLine.h"
#include "FakeTrayShell.h"
#include "RecordingMessageBox.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "devices/DeviceStore.h"
#include "win32/Win32FileReplacer.h"
#include "win32/ui/Win32TactiloDlg.h"

namespace {

namespace fs = std::filesystem;

// Runs the thread's messages until fnDone holds or nDeadlineMs passes; true when it held.
// The wait ends at each message, so it lasts as long as the awaited calls take, no longer.
bool PumpUntil(const std::function<bool()>& fnDone, DWORD nDeadlineMs = 20000) {
    const ULONGLONG nEnd = GetTickCount64() + nDeadlineMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (fnDone()) {
            return true;
        }
        const ULONGLONG nNow = GetTickCount64();
        if (nNow >= nEnd) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(nEnd - nNow), QS_ALLINPUT);
    }
}

class Win32TactiloDlgTest : public ::testing::Test {
protected:
    Win32TactiloDlgTest()
        : m_folder(fs::temp_directory_path() /
                   ("tactilo-dlg-" + std::to_string(GetCurrentProcessId()))),
          m_deviceStore(m_replacer, (m_folder / "Settings.dat").string()) {
        fs::create_directories(m_folder);
        // One device, connected: the port is open once the window is made.
        std::ofstream(m_folder / "Settings.dat", std::ios::binary)
            << "Front;DISPLAY1;COM3;9600;1;\r\n";
        auto pLine = std::make_unique<CFakeSerialLine>(true);
        m_pLine = pLine.get();
        m_pDlg = std::make_unique<CWin32TactiloDlg>(
            GetModuleHandleW(nullptr),
            CTactiloHub::Services{m_output, m_uiOutput, m_monitors, m_trace, m_messages, m_tray,
                                  std::move(pLine), [](int) {}, m_options, m_autoStart,
                                  m_deviceStore},
            m_switches, 0);
    }

    ~Win32TactiloDlgTest() override {
        m_pDlg.reset();
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    bool IconRemoved() const {
        const auto calls = m_tray.Calls();
        return !calls.empty() && calls.back().message == NotifyIconMessage::Delete;
    }

    fs::path m_folder;
    CRecordingPointerOutput m_output;
    CRecordingPointerOutput m_uiOutput;
    CFakeMonitorSource m_monitors;
    CRecordingTraceSink m_trace;
    CRecordingMessageBox m_messages;
    CFakeTrayShell m_tray;
    CFakeOptionsStore m_options;
    CFakeAutoStart m_autoStart;
    CWin32FileReplacer m_replacer;
    CDeviceStore m_deviceStore;
    CMyCommandLineInfo m_switches;
    CFakeSerialLine* m_pLine = nullptr;
    std::unique_ptr<CWin32TactiloDlg> m_pDlg;
};

// WM_QUIT to the main window ends the program as the terminate message does, whether it is
// posted (it then ends the message loop) or sent (the tray's window sends it).
class Win32TactiloDlgQuit : public Win32TactiloDlgTest,
                            public ::testing::WithParamInterface<bool> {};

TEST_P(Win32TactiloDlgQuit, EndsAsTheTerminateMessageDoes) {
    ASSERT_TRUE(m_pDlg->Create());
    ASSERT_TRUE(m_pLine->IsOpen());
    if (GetParam()) {
        PostMessageW(m_pDlg->Window(), WM_QUIT, 0, 0);
    } else {
        // Handled at once; the loop then ends on the quit the hub asks for.
        SendMessageW(m_pDlg->Window(), WM_QUIT, 0, 0);
        ASSERT_FALSE(m_pLine->IsOpen()) << "a sent WM_QUIT did not end the program";
    }
    EXPECT_EQ(m_pDlg->RunMessageLoop(), 0);
    EXPECT_FALSE(m_pLine->IsOpen());
    EXPECT_TRUE(IconRemoved());
    EXPECT_FALSE(IsWindowVisible(m_pDlg->Window()));
    // Nothing is saved on the way out.
    EXPECT_TRUE(m_options.m_mapValues.empty());
}

INSTANTIATE_TEST_SUITE_P(PostedAndSent, Win32TactiloDlgQuit, ::testing::Values(true, false));

// A queued call that runs a modal loop (a message box, the calibration page) must not hold up
// the calls queued behind it: one of them already waiting, and two more posted from another
// thread while the loop runs, all run inside that loop.
TEST_F(Win32TactiloDlgTest, QueuedCallsRunInsideAModalLoopOfAnEarlierCall) {
    ASSERT_TRUE(m_pDlg->Create());
    int nRan = 0;
    bool bModalDone = false;
    bool bAllRanInside = false;
    m_pDlg->Post([&] {
        std::thread poster([&] {
            m_pDlg->Post([&] { ++nRan; });
            m_pDlg->Post([&] { ++nRan; });
        });
        bAllRanInside = PumpUntil([&] { return nRan == 3; });
        poster.join();
        bModalDone = true;
    });
    m_pDlg->Post([&] { ++nRan; });
    ASSERT_TRUE(PumpUntil([&] { return bModalDone; }, 60000));
    EXPECT_TRUE(bAllRanInside) << nRan << " of the 3 calls ran inside the modal loop";
}

}  // namespace
