#include "qt/QtTrayShell.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSocketNotifier>
#include <QThread>

#include "linux/X11TrayHostWatch.h"
#include "qt/Resources.h"

namespace {

// Menu resource 132, the tray menu. Id 0 is a separator.
constexpr unsigned g_nTrayMenuId = 132;
struct TrayMenuItem {
    unsigned nId;
    const char* szText;
};
constexpr TrayMenuItem g_trayMenu[] = {
    {32775, "About..."}, {0, nullptr}, {32776, "Help"}, {32777, "Options..."}, {32778, "Exit"},
};

// What GetMenuItemID has always answered for a separator or a position past the end.
constexpr unsigned g_nNoItem = 0xFFFFFFFF;

constexpr unsigned g_iconIds[] = {132, 139, 140};

}  // namespace

CQtTrayShell::CQtTrayShell(QObject* pParent) : QObject(pParent) {
    for (unsigned nId : g_iconIds) {
        QIcon icon = IconFromResource(nId);
        if (!icon.isNull()) {
            m_mapIcons.emplace(nId, std::move(icon));
        }
    }

    m_pIcon = new QSystemTrayIcon(this);
    connect(m_pIcon, &QSystemTrayIcon::activated, this, &CQtTrayShell::OnActivated);

    // The menu is not set as the icon's context menu: the context request goes through
    // CSystemTray like every other action, which then asks for the menu (TrackMenu). Under
    // XEmbed that request is the right press, so the menu opens on the press.
    m_pMenu = std::make_unique<QMenu>();
    m_pMenu->setObjectName(QStringLiteral("trayMenu%1").arg(g_nTrayMenuId));
    for (const TrayMenuItem& item : g_trayMenu) {
        if (item.nId == 0) {
            m_pMenu->addSeparator();
            continue;
        }
        QAction* pAction = m_pMenu->addAction(QString::fromLatin1(item.szText));
        pAction->setData(item.nId);
        const unsigned nId = item.nId;
        connect(pAction, &QAction::triggered, this, [this, nId] {
            if (m_pEvents) {
                m_pEvents->OnMenuCommand(nId);
            }
        });
    }

    // XFixes tells when the tray selection changes hands; without X there is nothing to
    // watch (a StatusNotifierItem host is Qt's business).
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_pHostWatch = std::make_unique<CX11TrayHostWatch>();
        if (m_pHostWatch->Ok()) {
            auto* pNotifier = new QSocketNotifier(m_pHostWatch->Fd(), QSocketNotifier::Read, this);
            connect(pNotifier, &QSocketNotifier::activated, this, &CQtTrayShell::OnHostEvents);
        } else {
            m_pHostWatch.reset();
        }
    }
}

CQtTrayShell::~CQtTrayShell() = default;

void CQtTrayShell::SetEvents(ITrayEvents* pEvents) {
    m_pEvents = pEvents;
}

bool CQtTrayShell::NotifyIcon(NotifyIconMessage message, const NotifyIconData& nid) {
    if (QThread::currentThread() != thread()) {
        {
            std::lock_guard lock(m_mutex);
            m_queue.emplace_back(message, nid);
        }
        m_calls.Post([this] { ApplyQueued(); });
        return true;
    }
    ApplyQueued();
    return Apply(message, nid);
}

void CQtTrayShell::ApplyQueued() {
    for (;;) {
        std::pair<NotifyIconMessage, NotifyIconData> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty()) {
                return;
            }
            call = std::move(m_queue.front());
            m_queue.pop_front();
        }
        Apply(call.first, call.second);
    }
}

bool CQtTrayShell::Apply(NotifyIconMessage message, const NotifyIconData& nid) {
    const auto applyFields = [&] {
        if (nid.uFlags & NIF_ICON) {
            SetPicture(nid.hIcon);
        }
        if (nid.uFlags & NIF_TIP) {
            m_pIcon->setToolTip(QString::fromStdString(nid.szTip));
        }
    };
    switch (message) {
        case NotifyIconMessage::Add:
            m_nIconId = nid.uID;
            applyFields();
            // Shown even without a host: Qt embeds a visible icon as soon as one appears.
            m_pIcon->show();
            return HostAvailable();
        case NotifyIconMessage::Modify:
            applyFields();
            return m_pIcon->isVisible();
        case NotifyIconMessage::Delete:
            m_pIcon->hide();
            return true;
    }
    return false;
}

void CQtTrayShell::SetPicture(TrayIcon hIcon) {
    const auto it = m_mapIcons.find(hIcon);
    m_pIcon->setIcon(it != m_mapIcons.end() ? it->second : QIcon());
    m_hShownIcon = hIcon;
}

bool CQtTrayShell::HostAvailable() const {
    // Our own watch may learn of a new host before Qt's connection does.
    return QSystemTrayIcon::isSystemTrayAvailable() || (m_pHostWatch && m_pHostWatch->HasHost());
}

bool CQtTrayShell::LoadIcon(unsigned nResourceId) {
    return m_mapIcons.count(nResourceId) != 0;
}

bool CQtTrayShell::HasMenu(unsigned nMenuId) {
    return nMenuId == g_nTrayMenuId;
}

std::optional<unsigned> CQtTrayShell::MenuItemId(unsigned nMenuId, unsigned nPos) {
    if (!HasMenu(nMenuId)) {
        return std::nullopt;
    }
    const QList<QAction*> actions = m_pMenu->actions();
    if (nPos >= static_cast<unsigned>(actions.size()) || actions[nPos]->isSeparator()) {
        return g_nNoItem;
    }
    return actions[nPos]->data().toUInt();
}

void CQtTrayShell::TrackMenu(unsigned nMenuId, unsigned nDefaultItem, bool bDefaultByPos,
                             TrayPoint ptCursor) {
    if (!HasMenu(nMenuId)) {
        return;
    }
    QAction* pDefault = nullptr;
    const QList<QAction*> actions = m_pMenu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const bool bMatch = bDefaultByPos ? static_cast<unsigned>(i) == nDefaultItem
                                          : actions[i]->data().toUInt() == nDefaultItem;
        if (bMatch && !actions[i]->isSeparator()) {
            pDefault = actions[i];
            break;
        }
    }
    m_pMenu->setDefaultAction(pDefault);
    m_pMenu->popup(QPoint(ptCursor.x, ptCursor.y));
}

bool CQtTrayShell::ShowNotification(const std::string& strTitle, const std::string& strText,
                                    NotificationIcon icon) {
    if (!m_pIcon->isVisible() || !HostAvailable()) {
        return false;
    }
    m_pIcon->showMessage(QString::fromStdString(strTitle), QString::fromStdString(strText),
                         icon == NotificationIcon::Information ? QSystemTrayIcon::Information
                                                               : QSystemTrayIcon::Warning);
    return true;
}

void CQtTrayShell::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (!m_pEvents) {
        return;
    }
    TrayMouse mouse = TrayMouse::Other;
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            mouse = TrayMouse::LeftPress;
            break;
        case QSystemTrayIcon::DoubleClick:
            mouse = TrayMouse::DoubleClick;
            break;
        case QSystemTrayIcon::Context:
            mouse = TrayMouse::ContextMenu;
            break;
        default:
            break;
    }
    const QPoint ptCursor = QCursor::pos();
    m_pEvents->OnTrayNotification(m_nIconId, mouse, {ptCursor.x(), ptCursor.y()});
}

void CQtTrayShell::OnHostEvents() {
    if (m_pHostWatch->ReadEvents() && m_pEvents) {
        m_pEvents->OnTaskbarCreated();
    }
}
