#include "tray/SystemTray.h"

// The icon's states, kept in two flags because the shell only knows "added" or not:
//
//   state      m_bRemoved  m_bHidden  entered by
//   Not added  true        true       construction; Create when no host took the icon
//                                     (then also m_bShowPending)
//   Shown      false       false      Create when the host took it; a host appearing while
//                                     the icon was pending or shown
//   Removed    true        true       RemoveIcon when the shell let it go
//
// While m_bHidden is set, picture and tooltip changes are only stored in m_nid; the shell
// is not called and the change answers true. When the icon is added later, it is added
// with the stored picture and tooltip and the flags it was created with.
//
// A new tray host (the first one after a start without any, or one that replaced a host
// that went away) shows none of our icons. So when a host appears, an icon that was shown
// or was waiting to be shown is added again; an icon that was removed on purpose, or never
// created, stays away.
//
// Mouse actions, for our own icon id only (another id answers 0):
//
//   action        command sent to the target
//   left press    the click command
//   double click  the default item: a command id, or the id of the menu item at that
//                 position (nothing, and 0, when the menu is missing)
//   context menu  none here: the tray menu is shown at the cursor and its chosen item comes
//                 back through OnMenuCommand (0 when the menu is missing)

namespace {

// Cuts a tooltip to the buffer's 127 bytes. A cut inside a UTF-8 character drops the whole
// character, so the tooltip never ends in half a character.
std::string CutTooltip(const std::string& strTooltip) {
    size_t nLength = CSystemTray::s_nMaxTooltipLength - 1;
    if (strTooltip.size() <= nLength) {
        return strTooltip;
    }
    while (nLength > 0 && (static_cast<unsigned char>(strTooltip[nLength]) & 0xC0) == 0x80) {
        --nLength;
    }
    return strTooltip.substr(0, nLength);
}

}  // namespace

CSystemTray::CSystemTray(ITrayShell& shell, ICommandTarget* pMainWnd)
    : m_shell(shell), m_pMainWnd(pMainWnd) {
    m_shell.SetEvents(this);
}

CSystemTray::~CSystemTray() {
    RemoveIcon();
    m_shell.SetEvents(nullptr);
}

bool CSystemTray::Create(const std::string& strTooltip, TrayIcon hIcon, unsigned nIconId,
                         bool bHidden) {
    std::lock_guard lock(m_mutex);
    // Every desktop this runs on has a notification area, or may get one later.
    m_bEnabled = true;
    m_nid.uID = nIconId;
    m_nid.hIcon = hIcon;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.szTip = CutTooltip(strTooltip);
    m_bHidden = bHidden;
    m_uCreationFlags = m_nid.uFlags;
    if (bHidden) {
        return true;
    }

    const bool bAdded = m_shell.NotifyIcon(NotifyIconMessage::Add, m_nid);
    m_bRemoved = !bAdded;
    m_bHidden = !bAdded;
    m_bShowPending = !bAdded;
    return bAdded;
}

bool CSystemTray::RemoveIcon() {
    std::lock_guard lock(m_mutex);
    m_bShowPending = false;
    if (!m_bEnabled || m_bRemoved) {
        return true;
    }
    m_nid.uFlags = 0;
    if (m_shell.NotifyIcon(NotifyIconMessage::Delete, m_nid)) {
        m_bRemoved = true;
        m_bHidden = true;
    }
    return m_bRemoved;
}

bool CSystemTray::SetIcon(TrayIcon hIcon) {
    std::lock_guard lock(m_mutex);
    if (!m_bEnabled) {
        return false;
    }
    m_nid.hIcon = hIcon;
    return Modify(NIF_ICON);
}

bool CSystemTray::SetIconFromResource(unsigned nResourceId) {
    if (!m_shell.LoadIcon(nResourceId)) {
        return false;
    }
    return SetIcon(nResourceId);
}

bool CSystemTray::SetTooltip(const std::string& strTooltip) {
    std::lock_guard lock(m_mutex);
    if (!m_bEnabled) {
        return false;
    }
    m_nid.szTip = CutTooltip(strTooltip);
    return Modify(NIF_TIP);
}

// Called with the lock held and the new value already in m_nid.
bool CSystemTray::Modify(unsigned uFlags) {
    m_nid.uFlags = uFlags;
    if (m_bHidden) {
        return true;
    }
    return m_shell.NotifyIcon(NotifyIconMessage::Modify, m_nid);
}

bool CSystemTray::SetDefaultMenuItem(unsigned nItem, bool bByPos) {
    unsigned nMenuId = 0;
    {
        std::lock_guard lock(m_mutex);
        if (nItem == m_nDefaultMenuItem && bByPos == m_bDefaultByPos) {
            return true;
        }
        m_nDefaultMenuItem = nItem;
        m_bDefaultByPos = bByPos;
        nMenuId = m_nid.uID;
    }
    // The menu is looked up anew for every use; this only tells the caller it is there.
    return m_shell.HasMenu(nMenuId);
}

void CSystemTray::SetClickCommand(unsigned nCommand) {
    std::lock_guard lock(m_mutex);
    m_nClickCommand = nCommand;
}

void CSystemTray::SetTargetWindow(ICommandTarget* pTargetWnd) {
    std::lock_guard lock(m_mutex);
    m_pTargetWnd = pTargetWnd;
}

ICommandTarget* CSystemTray::GetTargetWindow() const {
    std::lock_guard lock(m_mutex);
    return m_pTargetWnd ? m_pTargetWnd : m_pMainWnd;
}

int CSystemTray::OnTrayNotification(unsigned nIconId, TrayMouse mouse, TrayPoint ptCursor) {
    // Copied out so that no lock is held while the receiver runs: its command may well
    // change the icon again.
    NotifyIconData nid;
    unsigned nClickCommand = 0;
    unsigned nDefaultMenuItem = 0;
    bool bDefaultByPos = false;
    {
        std::lock_guard lock(m_mutex);
        nid = m_nid;
        nClickCommand = m_nClickCommand;
        nDefaultMenuItem = m_nDefaultMenuItem;
        bDefaultByPos = m_bDefaultByPos;
    }
    if (nIconId != nid.uID) {
        return 0;
    }
    ICommandTarget* pTarget = GetTargetWindow();
    if (!pTarget) {
        return 0;
    }

    switch (mouse) {
        case TrayMouse::ContextMenu:
            // The menu is found by the icon's id.
            if (!m_shell.HasMenu(nid.uID)) {
                return 0;
            }
            m_shell.TrackMenu(nid.uID, nDefaultMenuItem, bDefaultByPos, ptCursor);
            break;
        case TrayMouse::DoubleClick: {
            unsigned nCommand = nDefaultMenuItem;
            if (bDefaultByPos) {
                const std::optional<unsigned> nItemId =
                    m_shell.MenuItemId(nid.uID, nDefaultMenuItem);
                if (!nItemId) {
                    return 0;
                }
                nCommand = *nItemId;
            }
            pTarget->OnCommand(nCommand);
            break;
        }
        case TrayMouse::LeftPress:
            pTarget->OnCommand(nClickCommand);
            break;
        case TrayMouse::Other:
            break;
    }
    return 1;
}

void CSystemTray::OnMenuCommand(unsigned nCommandId) {
    if (ICommandTarget* pTarget = GetTargetWindow()) {
        pTarget->OnCommand(nCommandId);
    }
}

int CSystemTray::OnTaskbarCreated() {
    std::lock_guard lock(m_mutex);
    m_bShowPending = m_bShowPending || !m_bRemoved;
    ShowPendingIcons();
    return 0;
}

// Called with the lock held. Adds a waiting icon with its current picture and tooltip and
// the flags it was created with (a change since then left only its own flag in m_nid).
void CSystemTray::ShowPendingIcons() {
    if (!m_bEnabled || !m_bShowPending) {
        return;
    }
    NotifyIconData nid = m_nid;
    nid.uFlags = m_uCreationFlags;
    const bool bAdded = m_shell.NotifyIcon(NotifyIconMessage::Add, nid);
    m_bRemoved = !bAdded;
    m_bHidden = !bAdded;
    m_bShowPending = !bAdded;
}

NotifyIconData CSystemTray::IconData() const {
    std::lock_guard lock(m_mutex);
    return m_nid;
}

bool CSystemTray::IsHidden() const {
    std::lock_guard lock(m_mutex);
    return m_bHidden;
}

bool CSystemTray::IsRemoved() const {
    std::lock_guard lock(m_mutex);
    return m_bRemoved;
}

bool CSystemTray::IsShowPending() const {
    std::lock_guard lock(m_mutex);
    return m_bShowPending;
}
