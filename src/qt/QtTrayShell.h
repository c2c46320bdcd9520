#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "qt/ThreadCalls.h"
#include "tray/TrayShell.h"

class CX11TrayHostWatch;
class QMenu;

// The notification area through QSystemTrayIcon: an XEmbed icon in an X11 tray host, or a
// StatusNotifierItem where the desktop offers one. It holds the one icon, the tray menu
// (menu 132) and the pictures 132, 139 and 140 from the program's resources.
//
// Qt's tray icon may only be touched on the user-interface thread. A NotifyIcon call from
// another thread is put in a queue and applied there; a call on the user-interface thread
// applies what is queued first, so the calls take effect in the order they were made.
//
// A tray host that appears later (none at start-up, or a new one after the old went away)
// is noticed through CX11TrayHostWatch on X11 and reported as OnTaskbarCreated.
class CQtTrayShell final : public QObject, public ITrayShell {
    Q_OBJECT

public:
    // On the user-interface thread, once the QApplication exists.
    explicit CQtTrayShell(QObject* pParent = nullptr);
    ~CQtTrayShell() override;

    void SetEvents(ITrayEvents* pEvents) override;
    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& nid) override;
    bool LoadIcon(unsigned nResourceId) override;
    bool HasMenu(unsigned nMenuId) override;
    std::optional<unsigned> MenuItemId(unsigned nMenuId, unsigned nPos) override;
    void TrackMenu(unsigned nMenuId, unsigned nDefaultItem, bool bDefaultByPos,
                   TrayPoint ptCursor) override;
    bool ShowNotification(const std::string& strTitle, const std::string& strText,
                          NotificationIcon icon) override;

    // What the shell shows, for tests (user-interface thread).
    QMenu* Menu() const { return m_pMenu.get(); }
    QSystemTrayIcon* Icon() const { return m_pIcon; }
    // The picture on the icon now; 0 before any.
    TrayIcon ShownIcon() const { return m_hShownIcon; }

private:
    bool Apply(NotifyIconMessage message, const NotifyIconData& nid);
    void ApplyQueued();
    void SetPicture(TrayIcon hIcon);
    bool HostAvailable() const;
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void OnHostEvents();

    ITrayEvents* m_pEvents = nullptr;
    // Filled by the constructor and only read after, so any thread may look in it.
    std::map<unsigned, QIcon> m_mapIcons;
    QSystemTrayIcon* m_pIcon = nullptr;
    std::unique_ptr<QMenu> m_pMenu;
    unsigned m_nIconId = 0;
    TrayIcon m_hShownIcon = 0;
    std::unique_ptr<CX11TrayHostWatch> m_pHostWatch;

    CThreadCalls m_calls;  // ApplyQueued, asked for by other threads
    std::mutex m_mutex;    // guards m_queue
    std::deque<std::pair<NotifyIconMessage, NotifyIconData>> m_queue;
};
