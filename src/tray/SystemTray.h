#pragma once

#include <mutex>
#include <string>

#include "tray/CommandTarget.h"
#include "tray/TrayShell.h"

class QWidget;

// The program's icon in the notification area: its picture and tooltip, and the mouse
// actions on it turned into commands for the main window. See SystemTray.cpp for the
// states.
//
// Threads: the icon and tooltip changes may be called from any thread (the reader thread
// shows icon 139 after a tray right click); everything else runs on the user-interface
// thread. The record is guarded by a mutex; the shell queues what it must do on the
// user-interface thread, in call order.
class CSystemTray final : public ITrayEvents {
public:
    // The shell shows the icon and reports back to this object; pMainWnd receives the
    // commands unless SetTargetWindow names another receiver.
    CSystemTray(ITrayShell& shell, ICommandTarget* pMainWnd);
    ~CSystemTray() override;
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Adds icon nIconId with picture hIcon and the tooltip (cut to 127 bytes). With bHidden
    // the icon is only prepared. False when no tray host took it: the icon then waits and
    // is added when a host appears (OnTaskbarCreated).
    bool Create(const std::string& strTooltip, TrayIcon hIcon, unsigned nIconId,
                bool bHidden = false);
    // Takes the icon away for good. Returns whether it is away.
    bool RemoveIcon();

    // False before Create. While the icon is not shown the change is only stored.
    bool SetIcon(TrayIcon hIcon);
    // False, with the picture unchanged, when there is no image resource nResourceId.
    bool SetIconFromResource(unsigned nResourceId);
    bool SetTooltip(const std::string& strTooltip);

    // The double click's command: a command id, or with bByPos the item at that position
    // of the tray menu. False when the tray menu is missing (the values are still stored).
    bool SetDefaultMenuItem(unsigned nItem, bool bByPos);
    // The left press's command.
    void SetClickCommand(unsigned nCommand);

    void SetTargetWindow(ICommandTarget* pTargetWnd);
    ICommandTarget* GetTargetWindow() const;

    // ITrayEvents, from the shell on the user-interface thread.
    int OnTrayNotification(unsigned nIconId, TrayMouse mouse, TrayPoint ptCursor) override;
    void OnMenuCommand(unsigned nCommandId) override;
    int OnTaskbarCreated() override;

    // The record and the state, for the owner and for tests.
    NotifyIconData IconData() const;
    bool IsHidden() const;
    bool IsRemoved() const;
    bool IsShowPending() const;

    // Hiding the main window "into" the tray and bringing it back. A hidden window has no
    // taskbar entry; restoring shows, raises and activates it. Defined in the Qt library
    // (HideToTray.cpp), as they work on Qt windows.
    static void HideToTray(QWidget* pWnd);
    static void RestoreFromTray(QWidget* pWnd);

    // The tooltip buffer's size; a tooltip holds one byte less.
    static constexpr unsigned s_nMaxTooltipLength = 128;

private:
    bool Modify(unsigned uFlags);
    void ShowPendingIcons();

    ITrayShell& m_shell;
    ICommandTarget* const m_pMainWnd;

    mutable std::mutex m_mutex;
    unsigned m_nClickCommand = 0;
    NotifyIconData m_nid;
    bool m_bEnabled = false;
    bool m_bHidden = true;
    bool m_bRemoved = true;
    bool m_bShowPending = false;
    ICommandTarget* m_pTargetWnd = nullptr;
    unsigned m_nDefaultMenuItem = 0;
    bool m_bDefaultByPos = true;
    unsigned m_uCreationFlags = 0;
};
