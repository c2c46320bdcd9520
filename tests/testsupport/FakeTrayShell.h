#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tray/CommandTarget.h"
#include "tray/TrayShell.h"

// A notification area in memory: it records every NotifyIcon call and every menu shown,
// answers from a tray menu like the program's (132: 32775, separator, 32776, 32777, 32778)
// and the pictures 132, 139 and 140, and can be told to refuse adds and deletes. The
// reports a real shell makes are fired by hand through Events().
class CFakeTrayShell final : public ITrayShell {
public:
    struct Call {
        NotifyIconMessage message;
        NotifyIconData nid;
        bool operator==(const Call&) const = default;
    };
    struct MenuShown {
        unsigned nMenuId;
        unsigned nDefaultItem;
        bool bDefaultByPos;
        TrayPoint ptCursor;
        bool operator==(const MenuShown&) const = default;
    };

    bool m_bAddSucceeds = true;
    bool m_bDeleteSucceeds = true;
    bool m_bHasMenu = true;
    std::set<unsigned> m_setIcons = {132, 139, 140};

    ITrayEvents* Events() const { return m_pEvents; }
    std::vector<Call> Calls() const {
        std::lock_guard lock(m_mutex);
        return m_vecCalls;
    }
    void ClearCalls() {
        std::lock_guard lock(m_mutex);
        m_vecCalls.clear();
    }
    const std::vector<MenuShown>& MenusShown() const { return m_vecMenus; }
    // The icon of each notification, in the same order.
    const std::vector<NotificationIcon>& NotificationIcons() const {
        return m_vecNotificationIcons;
    }
    // Every notification shown, as title and text.
    const std::vector<std::pair<std::string, std::string>>& Notifications() const {
        return m_vecNotifications;
    }

    void SetEvents(ITrayEvents* pEvents) override { m_pEvents = pEvents; }
    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& nid) override {
        std::lock_guard lock(m_mutex);
        m_vecCalls.push_back({message, nid});
        switch (message) {
            case NotifyIconMessage::Add:
                return m_bAddSucceeds;
            case NotifyIconMessage::Delete:
                return m_bDeleteSucceeds;
            case NotifyIconMessage::Modify:
                return true;
        }
        return false;
    }
    bool LoadIcon(unsigned nResourceId) override { return m_setIcons.count(nResourceId) != 0; }
    bool HasMenu(unsigned nMenuId) override { return m_bHasMenu && nMenuId == 132; }
    std::optional<unsigned> MenuItemId(unsigned nMenuId, unsigned nPos) override {
        static constexpr unsigned s_items[] = {32775, 0xFFFFFFFF, 32776, 32777, 32778};
        if (!HasMenu(nMenuId)) {
            return std::nullopt;
        }
        return nPos < 5 ? s_items[nPos] : 0xFFFFFFFF;
    }
    void TrackMenu(unsigned nMenuId, unsigned nDefaultItem, bool bDefaultByPos,
                   TrayPoint ptCursor) override {
        m_vecMenus.push_back({nMenuId, nDefaultItem, bDefaultByPos, ptCursor});
    }
    bool ShowNotification(const std::string& strTitle, const std::string& strText,
                          NotificationIcon icon) override {
        m_vecNotifications.emplace_back(strTitle, strText);
        m_vecNotificationIcons.push_back(icon);
        return true;
    }

private:
    ITrayEvents* m_pEvents = nullptr;
    mutable std::mutex m_mutex;
    std::vector<Call> m_vecCalls;
    std::vector<MenuShown> m_vecMenus;
    std::vector<std::pair<std::string, std::string>> m_vecNotifications;
    std::vector<NotificationIcon> m_vecNotificationIcons;
};

// Keeps the command ids it receives, in order.
class CRecordingCommandTarget final : public ICommandTarget {
public:
    void OnCommand(unsigned nId) override { m_vecCommands.push_back(nId); }
    const std::vector<unsigned>& Commands() const { return m_vecCommands; }
    void Clear() { m_vecCommands.clear(); }

private:
    std::vector<unsigned> m_vecCommands;
};
