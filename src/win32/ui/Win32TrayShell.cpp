#include "win32/ui/Win32TrayShell.h"

#include <cwchar>

#include "win32/Win32Text.h"

namespace {

constexpr wchar_t g_szClassName[] = L"TactiloTrayWindow";
// The queued icon changes wait for the user-interface thread.
constexpr UINT WM_APPLY_QUEUED = WM_APP + 1;

// The timer of TellIfNoIcon on the hidden window.
constexpr UINT_PTR NO_ICON_TIMER_ID = 1;

// What GetMenuItemID answers for a separator or a position past the end.
constexpr unsigned g_nNoItem = 0xFFFFFFFF;

HICON LoadIconResource(HINSTANCE hInstance, unsigned nId, int nSize) {
    return static_cast<HICON>(
        LoadImageW(hInstance, MAKEINTRESOURCEW(nId), IMAGE_ICON, nSize, nSize, LR_DEFAULTCOLOR));
}

void CopyTip(wchar_t (&szTip)[128], const std::string& strTip) {
    const std::wstring strWide = Utf8ToWide(strTip);
    std::wcsncpy(szTip, strWide.c_str(), 127);
    szTip[127] = L'\0';
}

}  // namespace

CWin32TrayShell::CWin32TrayShell(HINSTANCE hInstance)
    : m_hInstance(hInstance),
      m_nUiThread(GetCurrentThreadId()),
      m_nTaskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = g_szClassName;
    RegisterClassExW(&wc);  // a second shell finds the class registered: fine
    // A popup, not a message-only window: only top-level windows hear the shell's broadcast.
    m_hWnd = CreateWindowExW(0, g_szClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             hInstance, this);
}

CWin32TrayShell::~CWin32TrayShell() {
    if (m_bShown) {
        NOTIFYICONDATAW record = Record(NotifyIconData{m_nIconId, 0, 0, {}});
        Shell_NotifyIconW(NIM_DELETE, &record);
    }
    if (m_hWnd) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

void CWin32TrayShell::SetTerminateHandler(UINT nMessage, HWND hTarget) {
    m_nTerminateMessage = nMessage;
    m_hTerminateTarget = hTarget;
}

void CWin32TrayShell::SetEvents(ITrayEvents* pEvents) {
    m_pEvents = pEvents;
}

NOTIFYICONDATAW CWin32TrayShell::Record(const NotifyIconData& nid) const {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = m_hWnd;
    record.uID = nid.uID;
    record.uFlags = nid.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    record.uCallbackMessage = WM_TRAY_NOTIFY;
    CopyTip(record.szTip, nid.szTip);
    return record;
}

bool CWin32TrayShell::NotifyIcon(NotifyIconMessage message, const NotifyIconData& nid) {
    if (GetCurrentThreadId() != m_nUiThread) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.emplace_back(message, nid);
        }
        PostMessageW(m_hWnd, WM_APPLY_QUEUED, 0, 0);
        return true;
    }
    ApplyQueued();
    return Apply(message, nid);
}

void CWin32TrayShell::ApplyQueued() {
    for (;;) {
        std::pair<NotifyIconMessage, NotifyIconData> call;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty()) {
                return;
            }
            call = std::move(m_queue.front());
            m_queue.pop_front();
        }
        Apply(call.first, call.second);
    }
}

bool CWin32TrayShell::Apply(NotifyIconMessage message, const NotifyIconData& nid) {
    NOTIFYICONDATAW record = Record(nid);
    HICON hIcon = nullptr;
    if (nid.uFlags & NIF_ICON) {
        hIcon = LoadIconResource(m_hInstance, nid.hIcon, GetSystemMetrics(SM_CXSMICON));
        record.hIcon = hIcon;
    }
    BOOL bDone = FALSE;
    // Shell_NotifyIcon waits on the shell, and while it waits the shell's sent messages run
    // here, the icon's clicks among them; the icon's owner changes the icon under its own
    // lock, so a click taken now would wait on that lock forever. Clicks that arrive during
    // the call are posted again and taken once it returns.
    ++m_nInShellCall;
    switch (message) {
        case NotifyIconMessage::Add:
            m_nIconId = nid.uID;
            bDone = Shell_NotifyIconW(NIM_ADD, &record);
            m_bShown = m_bShown || bDone;
            break;
        case NotifyIconMessage::Modify:
            bDone = Shell_NotifyIconW(NIM_MODIFY, &record);
            break;
        case NotifyIconMessage::Delete:
            bDone = Shell_NotifyIconW(NIM_DELETE, &record);
            m_bShown = false;
            break;
    }
    --m_nInShellCall;
    // The shell keeps a copy of the picture.
    if (hIcon) {
        DestroyIcon(hIcon);
    }
    return bDone != FALSE;
}

bool CWin32TrayShell::LoadIcon(unsigned nResourceId) {
    return FindResourceW(m_hInstance, MAKEINTRESOURCEW(nResourceId),
                         MAKEINTRESOURCEW(14 /* RT_GROUP_ICON */)) != nullptr;
}

bool CWin32TrayShell::HasMenu(unsigned nMenuId) {
    HMENU hMenu = LoadMenuW(m_hInstance, MAKEINTRESOURCEW(nMenuId));
    const bool bHas = hMenu && GetSubMenu(hMenu, 0);
    if (hMenu) {
        DestroyMenu(hMenu);
    }
    return bHas;
}

std::optional<unsigned> CWin32TrayShell::MenuItemId(unsigned nMenuId, unsigned nPos) {
    HMENU hMenu = LoadMenuW(m_hInstance, MAKEINTRESOURCEW(nMenuId));
    HMENU hPopup = hMenu ? GetSubMenu(hMenu, 0) : nullptr;
    std::optional<unsigned> id;
    if (hPopup) {
        // A separator's id is 0 in a menu resource; a position past the end gives -1.
        const UINT nId = GetMenuItemID(hPopup, static_cast<int>(nPos));
        id = nId == 0 || nId == static_cast<UINT>(-1) ? g_nNoItem : nId;
    }
    if (hMenu) {
        DestroyMenu(hMenu);
    }
    return id;
}

void CWin32TrayShell::TrackMenu(unsigned nMenuId, unsigned nDefaultItem, bool bDefaultByPos,
                                TrayPoint ptCursor) {
    HMENU hMenu = LoadMenuW(m_hInstance, MAKEINTRESOURCEW(nMenuId));
    HMENU hPopup = hMenu ? GetSubMenu(hMenu, 0) : nullptr;
    if (hPopup) {
        SetMenuDefaultItem(hPopup, nDefaultItem, bDefaultByPos ? TRUE : FALSE);
        // The menu closes when the user clicks elsewhere only if its owner is in front.
        SetForegroundWindow(m_hWnd);
        const UINT nChosen = TrackPopupMenu(hPopup, TPM_RETURNCMD | TPM_NONOTIFY, ptCursor.x,
                                            ptCursor.y, 0, m_hWnd, nullptr);
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
        if (nChosen != 0 && m_pEvents) {
            m_pEvents->OnMenuCommand(nChosen);
        }
    }
    if (hMenu) {
        DestroyMenu(hMenu);
    }
}

bool CWin32TrayShell::ShowNotification(const std::string& strTitle, const std::string& strText,
                                       NotificationIcon icon) {
    if (!m_bShown) {
        return false;
    }
    NOTIFYICONDATAW record = Record(NotifyIconData{m_nIconId, 0, 0, {}});
    record.uFlags = NIF_INFO;
    std::wcsncpy(record.szInfo, Utf8ToWide(strText).c_str(), 255);
    std::wcsncpy(record.szInfoTitle, Utf8ToWide(strTitle).c_str(), 63);
    record.dwInfoFlags = icon == NotificationIcon::Information ? NIIF_INFO : NIIF_WARNING;
    ++m_nInShellCall;
    const bool bDone = Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
    --m_nInShellCall;
    return bDone;
}

void CWin32TrayShell::TellIfNoIcon(UINT nDelayMs, std::function<void()> fnTell) {
    m_fnTellNoIcon = std::move(fnTell);
    SetTimer(m_hWnd, NO_ICON_TIMER_ID, nDelayMs, nullptr);
}

RECT ChooseTrayRect(const std::optional<RECT>& rcIcon, const std::optional<RECT>& rcNotifyArea,
                    const RECT& rcWorkArea) {
    if (rcIcon) {
        return *rcIcon;
    }
    if (rcNotifyArea) {
        return *rcNotifyArea;
    }
    return {rcWorkArea.right - 150, rcWorkArea.bottom - 30, rcWorkArea.right, rcWorkArea.bottom};
}

bool CWin32TrayShell::AnimationRect(RECT& rcTray) const {
    if (!m_bShown) {
        return false;
    }
    std::optional<RECT> rcIcon;
    // Looked up, not linked: a shell without it (before Windows 7, some Wine versions) would
    // otherwise stop the program from loading.
    using GetRectFn = HRESULT(WINAPI*)(const NOTIFYICONIDENTIFIER*, RECT*);
    if (HMODULE hShell = GetModuleHandleW(L"shell32.dll")) {
        const auto fnGetRect = reinterpret_cast<GetRectFn>(
            reinterpret_cast<void*>(GetProcAddress(hShell, "Shell_NotifyIconGetRect")));
        NOTIFYICONIDENTIFIER icon = {};
        icon.cbSize = sizeof(icon);
        icon.hWnd = m_hWnd;
        icon.uID = m_nIconId;
        RECT rc = {};
        if (fnGetRect && fnGetRect(&icon, &rc) == S_OK && rc.right > rc.left) {
            rcIcon = rc;
        }
    }
    std::optional<RECT> rcNotifyArea;
    if (HWND hTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        RECT rc = {};
        HWND hArea = FindWindowExW(hTaskbar, nullptr, L"TrayNotifyWnd", nullptr);
        if (hArea && GetWindowRect(hArea, &rc)) {
            rcNotifyArea = rc;
        }
    }
    RECT rcWorkArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWorkArea, 0);
    rcTray = ChooseTrayRect(rcIcon, rcNotifyArea, rcWorkArea);
    return true;
}

LRESULT CALLBACK CWin32TrayShell::WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_NCCREATE) {
        const auto* pCreate = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* pCreating = static_cast<CWin32TrayShell*>(pCreate->lpCreateParams);
        pCreating->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreating));
    }
    auto* pThis = reinterpret_cast<CWin32TrayShell*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pThis) {
        return pThis->OnMessage(nMsg, wParam, lParam);
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

LRESULT CWin32TrayShell::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_APPLY_QUEUED) {
        ApplyQueued();
        return 0;
    }
    if (nMsg == WM_TIMER && wParam == NO_ICON_TIMER_ID) {
        KillTimer(m_hWnd, NO_ICON_TIMER_ID);
        if (!m_bShown && m_fnTellNoIcon) {
            m_fnTellNoIcon();
        }
        return 0;
    }
    if (nMsg == m_nTaskbarCreated && m_nTaskbarCreated != 0) {
        // The new host shows nothing of ours until the icon is added again.
        m_bShown = false;
        return m_pEvents ? m_pEvents->OnTaskbarCreated() : 0;
    }
    if (nMsg == m_nTerminateMessage && m_nTerminateMessage != 0 && m_hTerminateTarget) {
        PostMessageW(m_hTerminateTarget, nMsg, wParam, lParam);
        return 0;
    }
    if (nMsg == WM_TRAY_NOTIFY && m_nInShellCall > 0) {
        PostMessageW(m_hWnd, nMsg, wParam, lParam);
        return 0;
    }
    if (nMsg == WM_TRAY_NOTIFY && m_pEvents) {
        TrayMouse mouse;
        switch (LOWORD(lParam)) {
            case WM_LBUTTONDOWN:
                mouse = TrayMouse::LeftPress;
                break;
            case WM_LBUTTONDBLCLK:
                mouse = TrayMouse::DoubleClick;
                break;
            case WM_RBUTTONUP:
                mouse = TrayMouse::ContextMenu;
                break;
            case WM_MBUTTONDOWN:
            case WM_RBUTTONDOWN:
                mouse = TrayMouse::Other;
                break;
            default:
                return 0;  // moves and releases ask for nothing
        }
        POINT pt = {};
        GetCursorPos(&pt);
        return m_pEvents->OnTrayNotification(static_cast<unsigned>(wParam), mouse,
                                             TrayPoint{pt.x, pt.y});
    }
    return DefWindowProcW(m_hWnd, nMsg, wParam, lParam);
}
