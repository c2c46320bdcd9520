// Tactilo.exe under Wine, end to end: a portable copy started in a folder of its own, its
// tray icon docked in a real tray host (trayer) on the run's X server, the Device Manager
// opened by a double click on that icon, the icon back in a restarted tray host, a device on COM5
// added through Device Settings and saved on OK, the calibration page over the monitor fed five
// touches through COM5, and touches that move the X pointer and press and release the left button.
//
// The dialogs are driven the way a user's clicks reach them, by their controls' messages
// from this process; the pointer is read by an X client (the runner), the buttons through
// GetAsyncKeyState, since SendInput's buttons do not reach the X server under Wine.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "TouchPackets.h"
#include "WineHost.h"
#include "calibration/CalibrationNumbers.h"
#include "calibration/CalibrationTargets.h"
#include "devices/TouchDevice.h"
#include "resources/win32/resource.h"
#include "win32/Win32Module.h"
#include "win32/Win32Text.h"
// After the program's headers: <windows.h> macros would clash with their names.
#include <windows.h>

#include <commctrl.h>

namespace fs = std::filesystem;

namespace {

// Waits for a condition with a deadline; each try is a round trip to another process or the
// X server, which paces the loop.
bool WaitFor(const std::function<bool()>& fnDone, int nSeconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (fnDone()) {
            return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return fnDone();
}

struct FindData {
    DWORD nProcess;
    const wchar_t* szTitle;  // nullptr: any
    bool bVisibleOnly;
    HWND hFound;
};

BOOL CALLBACK FindProc(HWND hWnd, LPARAM lParam) {
    auto* pFind = reinterpret_cast<FindData*>(lParam);
    DWORD nProcess = 0;
    GetWindowThreadProcessId(hWnd, &nProcess);
    wchar_t szClass[32] = {};
    GetClassNameW(hWnd, szClass, 32);
    wchar_t szTitle[128] = {};
    GetWindowTextW(hWnd, szTitle, 128);
    if (nProcess == pFind->nProcess && std::wstring(szClass) == L"#32770" &&
        (!pFind->szTitle || std::wstring(szTitle) == pFind->szTitle) &&
        (!pFind->bVisibleOnly || IsWindowVisible(hWnd))) {
        pFind->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(DWORD nProcess, const wchar_t* szTitle, bool bVisibleOnly) {
    FindData find{nProcess, szTitle, bVisibleOnly, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&find));
    return find.hFound;
}

std::string Hex(const std::vector<unsigned char>& bytes) {
    static const char* s_szDigits = "0123456789abcdef";
    std::string strHex;
    for (unsigned char nByte : bytes) {
        strHex += s_szDigits[nByte >> 4];
        strHex += s_szDigits[nByte & 15];
    }
    return strHex;
}

// The simulated panel: raw readings grow linearly from 100 to 900 across the monitor.
CalPoint RawFor(int x, int y, int nWidth, int nHeight) {
    return {100 + x * 800 / nWidth, 100 + y * 800 / nHeight};
}

// A finger down at raw, repeating the packet as a controller does while touched, until
// bLifted says it may lift (or a deadline passes), then lifted. The program is waited on, not
// timed: a busy machine polls the touch state less often, and a fixed hold could end before
// the page had counted enough of it.
void Touch(CalPoint raw, const std::function<bool()>& bLifted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
        ASSERT_TRUE(WriteToCom5(Hex(TouchPacketBytes(true, raw.x, raw.y))));
        Sleep(20);  // the controller's packet rate
    } while (!bLifted() && std::chrono::steady_clock::now() < deadline);
    ASSERT_TRUE(WriteToCom5(Hex(TouchPacketBytes(false, raw.x, raw.y))));
}

// What the X server shows at a pixel: the page's painting is the sign of its state (the
// active target is drawn black).
COLORREF PixelAt(int x, int y) {
    HDC hScreen = GetDC(nullptr);
    const COLORREF colour = GetPixel(hScreen, x, y);
    ReleaseDC(nullptr, hScreen);
    return colour;
}

// The text of a row of another process's list view: the request and its buffer must live in
// that process.
std::wstring ListItemText(HANDLE hProcess, HWND hList, int nRow, int nColumn) {
    constexpr SIZE_T BUFFER_CHARS = 128;
    auto* pRemote = static_cast<char*>(
        VirtualAllocEx(hProcess, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!pRemote) {
        return L"(no memory)";
    }
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = reinterpret_cast<wchar_t*>(pRemote + 1024);
    item.cchTextMax = BUFFER_CHARS;
    WriteProcessMemory(hProcess, pRemote, &item, sizeof(item), nullptr);
    SendMessageW(hList, LVM_GETITEMTEXTW, nRow, reinterpret_cast<LPARAM>(pRemote));
    wchar_t szText[BUFFER_CHARS] = {};
    ReadProcessMemory(hProcess, pRemote + 1024, szText, sizeof(szText) - sizeof(wchar_t), nullptr);
    VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    return szText;
}

bool LeftButtonDown() {
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
}

// Down now, or pressed since the last look. Wine takes the button state from the X events
// that a SendInput move makes, and X never saw the SendInput press: on a busy machine such an
// event can arrive after the press and show the button up again.
bool LeftButtonWentDown() {
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8001) != 0;
}

class TactiloEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        m_folder = fs::path(szTemp) / ("tactilo-e2e-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(m_folder);
        const fs::path source = fs::path(Utf8ToWide(Win32AppDirectory())) / L"Tactilo.exe";
        fs::copy_file(source, m_folder / L"Tactilo.exe", fs::copy_options::overwrite_existing);
        ASSERT_EQ(AskWineHost("trayer"), "ok");
    }

    void TearDown() override {
        if (m_process.hProcess) {
            // The registered terminate message ends every copy started from that file.
            const UINT nTerminate =
                RegisterTerminateMessage(WideToUtf8((m_folder / L"Tactilo.exe").wstring()));
            PostMessageW(m_hMain, nTerminate, 0, 0);
            EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    void Start(const std::wstring& strSwitches = {}) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        std::wstring strCommand =
            L"\"" + (m_folder / L"Tactilo.exe").wstring() + L"\"" + strSwitches;
        ASSERT_TRUE(CreateProcessW(nullptr, strCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   m_folder.c_str(), &startup, &m_process));
        ASSERT_TRUE(WaitFor([&] {
            m_hMain = FindDialog(m_process.dwProcessId, L"Tactilo - Device Manager", false);
            return m_hMain != nullptr;
        }));
    }

    // The first line of "Settings.dat", without its line end (CR LF on Windows).
    std::string SettingsLine() const {
        std::ifstream file(m_folder / L"Settings.dat", std::ios::binary);
        std::string strLine;
        std::getline(file, strLine);
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        return strLine;
    }

    fs::path m_folder;
    PROCESS_INFORMATION m_process = {};
    HWND m_hMain = nullptr;
};

TEST_F(TactiloEndToEnd, TrayDeviceManagerCalibrationAndTouches) {
    Start();
    // A first start, with no device yet, shows the Device Manager beside its tray icon.
    std::string strDocked;
    ASSERT_TRUE(WaitFor([&] {
        strDocked = AskWineHost("docked");
        return strDocked != "none";
    })) << "the tray icon never docked";
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) != FALSE; }))
        << "a first start did not show the Device Manager";
    // The close box ends it as Cancel: hidden into the tray.
    PostMessageW(m_hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) == FALSE; }));

    // A double click on the icon brings the Device Manager. The icon is listed in the tray
    // host before Wine has finished embedding it, and clicks on it until then go nowhere; on
    // a busy machine that takes a while, so the click is repeated where the icon stands now.
    bool bShown = false;
    for (int nTry = 0; nTry < 5 && !bShown; ++nTry) {
        ASSERT_TRUE(WaitFor([&] {
            strDocked = AskWineHost("docked");
            return strDocked != "none";
        }));
        ASSERT_EQ(AskWineHost("click " + strDocked + " 2"), "ok");
        bShown = WaitFor([&] { return IsWindowVisible(m_hMain) != FALSE; }, 5);
    }
    ASSERT_TRUE(bShown) << "the double click did not show the Device Manager";

    // Add: Device Settings, named, on COM5 at 9600, connected.
    PostMessageW(m_hMain, WM_COMMAND, IDC_ADD, 0);
    HWND hSettings = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        hSettings = FindDialog(m_process.dwProcessId, L"Device Settings", true);
        return hSettings != nullptr;
    }));
    SendDlgItemMessageW(hSettings, IDC_DEVICE_NAME, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(L"E2E Touch"));
    ASSERT_NE(SendDlgItemMessageW(hSettings, IDC_COM_PORT, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(L"COM5")),
              CB_ERR)
        << "COM5 is not listed";
    SendDlgItemMessageW(hSettings, IDC_BAUD_RATE, CB_SETCURSEL, 0, 0);  // 9600
    SendDlgItemMessageW(hSettings, IDC_CONNECT, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(hSettings, WM_COMMAND, IDOK, 0);
    HWND hList = GetDlgItem(m_hMain, IDC_LIST_DEVICES);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(m_hMain, IDC_CALIBRATE)); }))
        << "COM5 did not connect";

    // OK saves the device beside the program and hides the window into the tray.
    PostMessageW(m_hMain, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !SettingsLine().empty(); }));
    const TouchDevice saved = ParseDeviceLine(SettingsLine());
    EXPECT_EQ(saved.m_strName, "E2E Touch");
    EXPECT_EQ(saved.m_strPort, "COM5");
    EXPECT_EQ(saved.m_strBaudRate, "9600");
    EXPECT_EQ(saved.m_bConnect, 1);
    EXPECT_FALSE(IsWindowVisible(m_hMain));

    // Calibrate: the page covers the monitor; five touches on the targets.
    const int nWidth = GetSystemMetrics(SM_CXSCREEN);
    const int nHeight = GetSystemMetrics(SM_CYSCREEN);
    PostMessageW(m_hMain, WM_COMMAND, IDC_CALIBRATE, 0);
    HWND hPage = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        hPage = FindDialog(m_process.dwProcessId, L"", true);
        return hPage != nullptr;
    }));
    RECT rcPage = {};
    GetWindowRect(hPage, &rcPage);
    EXPECT_EQ(rcPage.left, 0);
    EXPECT_EQ(rcPage.top, 0);
    EXPECT_EQ(rcPage.right, nWidth);
    EXPECT_EQ(rcPage.bottom, nHeight);
    // Each target is touched once the page draws it as the one to touch (black).
    const auto targets = CalTargetPositions(nWidth, nHeight);
    std::array<CalPoint, CAL_TARGET_COUNT> readings;
    // The page must still be there: the desktop behind it is black too. And a repaint shows
    // the background for a moment, so only green (captured) ends a touch, not "not black".
    const auto drawn = [&](int i, auto bColour) {
        return IsWindowVisible(hPage) && bColour(PixelAt(targets[i].x, targets[i].y));
    };
    const auto black = [](COLORREF c) { return c == RGB(0, 0, 0); };
    const auto green = [](COLORREF c) {
        return GetRValue(c) < 64 && GetGValue(c) > 128 && GetBValue(c) < 64;
    };
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        ASSERT_TRUE(WaitFor([&] { return drawn(i, black); }))
            << "target " << i << " never became active";
        readings[i] = RawFor(targets[i].x, targets[i].y, nWidth, nHeight);
        Touch(readings[i], [&] { return drawn(i, green) || !IsWindowVisible(hPage); });
    }
    // Gone, not just hidden: while the page's modal loop still runs, an OK posted to the main
    // window would be handled inside it, before the numbers reach the device.
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hPage); }));

    // The numbers are stored with the device: OK writes them.
    PostMessageW(m_hMain, WM_COMMAND, IDOK, 0);
    const auto expected = ComputeCalibration(CalReadings::FromTargets(readings), nWidth, nHeight);
    ASSERT_TRUE(expected.has_value());
    TouchDevice calibrated = saved;
    StoreCalibration(*expected, calibrated);
    ASSERT_TRUE(WaitFor([&] { return SettingsLine() == FormatDeviceLine(calibrated); }))
        << SettingsLine() << "\nexpected " << FormatDeviceLine(calibrated);

    // Touches land where the calibration puts them, pressing and releasing the left button.
    for (const auto& [x, y] : {std::pair{200, 150}, std::pair{1000, 800}}) {
        const CalPoint raw = RawFor(x, y, nWidth, nHeight);
        ASSERT_TRUE(WriteToCom5(Hex(TouchPacketBytes(true, raw.x, raw.y))));
        std::string strPointer;
        EXPECT_TRUE(WaitFor([&] {
            strPointer = AskWineHost("pointer");
            int nX = -1, nY = -1;
            std::istringstream(strPointer) >> nX >> nY;
            return std::abs(nX - x) <= 2 && std::abs(nY - y) <= 2 && LeftButtonWentDown();
        })) << "pointer at "
            << strPointer << ", aimed at " << x << " " << y;
        ASSERT_TRUE(WriteToCom5(Hex(TouchPacketBytes(false, raw.x, raw.y))));
        EXPECT_TRUE(WaitFor([] { return !LeftButtonDown(); }));
    }

    // A new tray host (the panel restarted) shows the icon again.
    ASSERT_EQ(AskWineHost("trayer restart"), "ok");
    EXPECT_TRUE(WaitFor([] { return AskWineHost("docked") != "none"; }))
        << "the icon did not come back to the new tray host";
}

// A file written by the Windows program holds names in the ANSI code page: the list shows the
// name, and OK stores its bytes as they were.
TEST_F(TactiloEndToEnd, ANameInTheAnsiCodePageIsShownAndKeptByteForByte) {
    {
        std::ofstream file(m_folder / L"Settings.dat", std::ios::binary);
        file << "Ger\xE4t;DISPLAY1;COM7;9600;0;\r\n";
    }
    Start(L" /s");
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) != FALSE; }));
    HWND hList = GetDlgItem(m_hMain, IDC_LIST_DEVICES);
    ASSERT_EQ(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(ListItemText(m_process.hProcess, hList, 0, 0), L"Ger\u00E4t");
    EXPECT_EQ(ListItemText(m_process.hProcess, hList, 0, 2), L"COM7");
    // OK saves the file anew (a new file takes the old one's place). The time can change
    // before the new text is all there to read, so the wait is for both.
    const auto written = fs::last_write_time(m_folder / L"Settings.dat");
    PostMessageW(m_hMain, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] {
        std::error_code error;
        return fs::last_write_time(m_folder / L"Settings.dat", error) != written &&
               !SettingsLine().empty();
    }));
    EXPECT_EQ(SettingsLine(), "Ger\xE4t;DISPLAY1;COM7;9600;0;");
}

// A switch runs the window modally: it shows at once, and Exit from the tray menu ends the
// program without writing anything.
TEST_F(TactiloEndToEnd, ASwitchShowsTheWindowAndExitEndsTheProgram) {
    Start(L" /s");
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) != FALSE; }));
    PostMessageW(m_hMain, WM_COMMAND, 32778, 0);  // Exit
    ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD nExit = 1;
    GetExitCodeProcess(m_process.hProcess, &nExit);
    EXPECT_EQ(nExit, 0u);
    EXPECT_FALSE(fs::exists(m_folder / L"Settings.dat"));
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
    m_process = {};
}

// A second start hands over to the running copy and ends: the running copy shows its Device
// Manager, and the tray keeps a single icon.
TEST_F(TactiloEndToEnd, ASecondStartHandsOverToTheRunningCopyAndEnds) {
    Start();
    ASSERT_TRUE(WaitFor([] { return AskWineHost("docked") != "none"; }));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) != FALSE; }));
    PostMessageW(m_hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) == FALSE; }));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION second = {};
    std::wstring strCommand = L"\"" + (m_folder / L"Tactilo.exe").wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, strCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               m_folder.c_str(), &startup, &second));
    const bool bEnded = WaitForSingleObject(second.hProcess, 20000) == WAIT_OBJECT_0;
    DWORD nExit = 1;
    GetExitCodeProcess(second.hProcess, &nExit);
    if (!bEnded) {
        TerminateProcess(second.hProcess, 1);
    }
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
    ASSERT_TRUE(bEnded) << "the second start kept running";
    EXPECT_EQ(nExit, 0u);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(m_hMain) != FALSE; }))
        << "the running copy did not show its Device Manager";
    EXPECT_EQ(AskWineHost("icons"), "1");
}

}  // namespace
