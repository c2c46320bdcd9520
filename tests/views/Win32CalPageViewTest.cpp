// The calibration page's view table against the Win32 page under Wine: the core's list
// painted by the GDI painter into a DIB section, and the real page window as a user first
// sees it, read back from its window.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CalPageViewCases.h"
#include "FakeCalibrationInput.h"
#include "win32/ui/Win32Cal.h"
#include "win32/ui/Win32CalPaint.h"

namespace {

// A 32-bit top-down DIB section selected into a memory DC.
class CDibPage {
public:
    CDibPage(int nWidth, int nHeight) : m_nWidth(nWidth) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = nWidth;
        info.bmiHeader.biHeight = -nHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_hDC = CreateCompatibleDC(nullptr);
        void* pBits = nullptr;
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_pBits = static_cast<const std::uint32_t*>(pBits);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
    }
    ~CDibPage() {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    HDC DC() const { return m_hDC; }
    std::function<CalColour(int, int)> Pixels() const {
        return [this](int x, int y) {
            GdiFlush();
            const std::uint32_t nBgrx = m_pBits[y * m_nWidth + x];
            return CalColour{static_cast<int>((nBgrx >> 16) & 0xff),
                             static_cast<int>((nBgrx >> 8) & 0xff), static_cast<int>(nBgrx & 0xff)};
        };
    }

private:
    int m_nWidth;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    const std::uint32_t* m_pBits = nullptr;
};

class CalPageViewWin32 : public ::testing::TestWithParam<CalPageViewCase> {};

}  // namespace

TEST_P(CalPageViewWin32, PaintsWhatTheTableExpects) {
    const CalPageViewCase& c = GetParam();
    CDibPage page(c.nWidth, c.nHeight);
    PaintCalPageLook(page.DC(), c.nWidth, c.nHeight, LookOfCase(c));
    for (const std::string& strFailed : FailedChecks(c, page.Pixels())) {
        ADD_FAILURE() << strFailed;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CalPageViewWin32, ::testing::ValuesIn(CalPageViewCases()),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

namespace {

// The page's modal loop runs the test's thread timer: it reads the window back once the case's
// target is up, then presses ESC. Without that, the target's time-out ends the page.
struct PageLook {
    CalPageViewCase c;
    std::vector<std::string> failed;
    bool bSeen = false;
};
PageLook* g_pLook = nullptr;

// The page is the thread's one dialog (Wine may give the thread other hidden windows).
BOOL CALLBACK FindPage(HWND hWnd, LPARAM lParam) {
    wchar_t szClass[16] = {};
    GetClassNameW(hWnd, szClass, 16);
    if (std::wstring(szClass) != L"#32770") {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

void CALLBACK LookAtPage(HWND, UINT, UINT_PTR, DWORD) {
    HWND hPage = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindPage, reinterpret_cast<LPARAM>(&hPage));
    if (!hPage || g_pLook->bSeen) {
        return;
    }
    UpdateWindow(hPage);
    CDibPage page(g_pLook->c.nWidth, g_pLook->c.nHeight);
    HDC hWindowDC = GetDC(hPage);
    BitBlt(page.DC(), 0, 0, g_pLook->c.nWidth, g_pLook->c.nHeight, hWindowDC, 0, 0, SRCCOPY);
    ReleaseDC(hPage, hWindowDC);
    // A window not painted yet reads black: the page has started when its background shows
    // and the active target is black.
    const CalPoint active =
        CalTargetPositions(g_pLook->c.nWidth, g_pLook->c.nHeight)[g_pLook->c.nActiveTarget];
    if (!(page.Pixels()(active.x, active.y) == CalLook::ACTIVE) ||
        !(page.Pixels()(5, g_pLook->c.nHeight - 5) == CalLook::BACKGROUND)) {
        return;
    }
    g_pLook->bSeen = true;
    g_pLook->failed = FailedChecks(g_pLook->c, page.Pixels());
    PostMessageW(hPage, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

// The page itself, brought to the table's states by a scripted touch.
TEST(CalPageViewWin32Page, ShowsWhatTheTableSays) {
    for (const int nCase : CAL_LIVE_CASES) {
        PageLook look{WhileTheClockRuns(CalPageViewCases()[nCase]), {}, false};
        SCOPED_TRACE(look.c.szCase);
        g_pLook = &look;
        // The page ends itself when a target times out (5 s); a machine stalled that long
        // before the first look gets another page, not a failure.
        for (int nTry = 0; nTry < 5 && !look.bSeen; ++nTry) {
            CScriptedCalTouch touch;
            if (look.c.targets[CAL_TOP_LEFT] == CalTargetState::Captured) {
                touch.Tap(100, 200);
            }
            CWin32Cal cal(touch, nullptr);
            cal.m_rcMonitor = {0, 0, look.c.nWidth, look.c.nHeight};
            cal.m_strDevice = CAL_VIEW_DEVICE;
            const UINT_PTR nTimer = SetTimer(nullptr, 0, 50, LookAtPage);
            cal.RunModal(GetModuleHandleW(nullptr), nullptr);
            KillTimer(nullptr, nTimer);
        }
        g_pLook = nullptr;
        EXPECT_TRUE(look.bSeen) << "the page never showed the state";
        for (const std::string& strFailed : look.failed) {
            ADD_FAILURE() << strFailed;
        }
    }
}
