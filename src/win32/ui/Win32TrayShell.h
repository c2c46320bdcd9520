#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "tray/TrayShell.h"

// After the program's own headers: <windows.h> macros would clash with their names.
#include <windows.h>

#include <shellapi.h>
// A macro for LoadIconW, which would rename the interface's method.
#undef LoadIcon

// ITrayShell on the Windows shell: Shell_NotifyIconW with a hidden window of its own that
// receives the icon's mouse actions (callback message 0x800A), the chosen tray menu item and
// the shell's "TaskbarCreated" broadcast. Icons and the menu are the program's resources.
//
// A change from another thread (the reader thread's icon after a tray right click) is queued
// and posted to the hidden window, so the shell sees every call in the order it was made.
class CWin32TrayShell final : public ITrayShell {
public:
    // The callback message the icon reports on.
    static constexpr UINT WM_TRAY_NOTIFY = 0x800A;

    // hInstance holds the icon and menu resources. Creates the hidden window on this
    // thread, which becomes the user-interface thread.
    explicit CWin32TrayShell(HINSTANCE hInstance);
    ~CWin32TrayShell() override;
    CWin32TrayShell(const CWin32TrayShell&) = delete;
    CWin32TrayShell& operator=(const CWin32TrayShell&) = delete;

    // The hidden window, which also takes the terminate message.
    HWND Window() const { return m_hWnd; }
    // Where a terminate message that reaches the hidden window goes.
    void SetTerminateHandler(UINT nMessage, HWND hTarget);
    // Whether a tray host shows the icon now.
    bool IconShown() const { return m_bShown; }
    // Calls fnTell once, nDelayMs from now, if no tray host shows the icon by then: the
    // shell may still be starting with the session, and a later host adds it
    // ("TaskbarCreated").
    void TellIfNoIcon(UINT nDelayMs, std::function<void()> fnTell);
    // Where the hide and restore animations go: the icon's own rectangle, else the
    // notification area's, else the work area's bottom right corner (see ChooseTrayRect).
    // False, with no rectangle, when no icon is shown: there is nothing to fly to.
    bool AnimationRect(RECT& rcTray) const;

    void SetEvents(ITrayEvents* pEvents) override;
    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& nid) override;
    bool LoadIcon(unsigned nResourceId) override;
    bool HasMenu(unsigned nMenuId) override;
    std::optional<unsigned> MenuItemId(unsigned nMenuId, unsigned nPos) override;
    void TrackMenu(unsigned nMenuId, unsigned nDefaultItem, bool bDefaultByPos,
                   TrayPoint ptCursor) override;
    bool ShowNotification(const std::string& strTitle, const std::string& strText,
                          NotificationIcon icon) override;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    bool Apply(NotifyIconMessage message, const NotifyIconData& nid);
    void ApplyQueued();
    NOTIFYICONDATAW Record(const NotifyIconData& nid) const;

    HINSTANCE m_hInstance;
    HWND m_hWnd = nullptr;
    DWORD m_nUiThread;
    UINT m_nTaskbarCreated;
    UINT m_nTerminateMessage = 0;
    HWND m_hTerminateTarget = nullptr;
    ITrayEvents* m_pEvents = nullptr;
    unsigned m_nIconId = 0;
    bool m_bShown = false;
    // User-interface thread: how deep we are in Shell_NotifyIcon calls.
    int m_nInShellCall = 0;

    std::function<void()> m_fnTellNoIcon;

    std::mutex m_mutex;
    std::deque<std::pair<NotifyIconMessage, NotifyIconData>> m_queue;
};

// The rectangle the caption animation flies to, in screen pixels:
//
//   the shell tells the icon's rectangle      that rectangle (Windows 7 and later)
//   else a taskbar with a notification area   that area ("TrayNotifyWnd")
//   else                                      150 by 30 pixels in the work area's bottom
//                                             right corner, where the tray usually is
RECT ChooseTrayRect(const std::optional<RECT>& rcIcon, const std::optional<RECT>& rcNotifyArea,
                    const RECT& rcWorkArea);
