#pragma once

#include <optional>
#include <string>

// The desktop's notification area as CSystemTray needs it: one call that adds, changes or
// deletes an icon from a record (the way the shell has always taken them), the tray menu,
// and the events the shell reports back. The Qt implementation is CQtTrayShell; tests use
// CFakeTrayShell.

// Bits of NotifyIconData::uFlags: which fields of the record a call carries.
constexpr unsigned NIF_MESSAGE = 0x1;  // the icon reports mouse actions
constexpr unsigned NIF_ICON = 0x2;
constexpr unsigned NIF_TIP = 0x4;

// An icon picture: the id of an image resource the shell can show (132, 139, 140), 0 none.
using TrayIcon = unsigned;

struct NotifyIconData {
    unsigned uID = 0;     // the icon's id within the program; 132
    unsigned uFlags = 0;  // NIF_* bits
    TrayIcon hIcon = 0;
    std::string szTip;  // at most 127 bytes

    bool operator==(const NotifyIconData&) const = default;
};

enum class NotifyIconMessage { Add, Modify, Delete };

// What the user did on the icon.
enum class TrayMouse {
    LeftPress,    // left button pressed
    DoubleClick,  // left button double-clicked (comes after a LeftPress)
    ContextMenu,  // the menu is asked for: the right press on an embedded icon
    Other,        // any other button
};

// A point on the screen, in the shell's coordinates.
struct TrayPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TrayPoint&) const = default;
};

// The shell's reports, delivered on the user-interface thread.
class ITrayEvents {
public:
    virtual ~ITrayEvents() = default;
    // A mouse action on icon nIconId, with the cursor at ptCursor. 1 if handled, else 0.
    virtual int OnTrayNotification(unsigned nIconId, TrayMouse mouse, TrayPoint ptCursor) = 0;
    // An item of the tray menu was chosen.
    virtual void OnMenuCommand(unsigned nCommandId) = 0;
    // A tray host took over the notification area (at start-up it may have had none, or the
    // old one went away). The new host shows no icon of ours until it is added again.
    virtual int OnTaskbarCreated() = 0;
};

enum class NotificationIcon { Information, Warning };

class ITrayShell {
public:
    virtual ~ITrayShell() = default;

    // User-interface thread. Where the reports go; nullptr stops them.
    virtual void SetEvents(ITrayEvents* pEvents) = 0;

    // Any thread. Applies the calls in the order they are made. Add fails when no tray host
    // is there to show the icon. A call from another thread is queued to the user-interface
    // thread and answers true.
    virtual bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& nid) = 0;
    // Any thread. Whether image resource nResourceId exists.
    virtual bool LoadIcon(unsigned nResourceId) = 0;

    // User-interface thread. The menu resource nMenuId: whether it exists, the command id of
    // its item at position nPos (0xFFFFFFFF for a separator or past the end; nothing when
    // the menu does not exist), and showing it at ptCursor with a default item (bold),
    // given by command id or by position. Its chosen item comes back as OnMenuCommand.
    virtual bool HasMenu(unsigned nMenuId) = 0;
    virtual std::optional<unsigned> MenuItemId(unsigned nMenuId, unsigned nPos) = 0;
    virtual void TrackMenu(unsigned nMenuId, unsigned nDefaultItem, bool bDefaultByPos,
                           TrayPoint ptCursor) = 0;

    // User-interface thread. A passing notification from the icon (a balloon, or the
    // desktop's notification), for news the user did not ask for and need not answer: good
    // news with the information icon, trouble with the warning icon. False when no tray host
    // shows our icon: there is nowhere to show it then.
    virtual bool ShowNotification(const std::string& strTitle, const std::string& strText,
                                  NotificationIcon icon) = 0;
};
