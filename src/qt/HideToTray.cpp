// The class-wide hide and restore of CSystemTray, which need Qt's windows; the rest of the
// class is platform-free.
//
// An X11 taskbar lists the managed top-level windows that are mapped (the window manager's
// _NET_CLIENT_LIST). Hiding unmaps the window, which withdraws it, so it leaves the taskbar
// without _NET_WM_STATE_SKIP_TASKBAR and without the hidden owner window other systems
// need. No animation towards the tray is played: the notification area's place is the
// tray host's business and Qt does not tell it.

#include <QWidget>

#include "tray/SystemTray.h"

void CSystemTray::HideToTray(QWidget* pWnd) {
    if (pWnd) {
        pWnd->hide();
    }
}

void CSystemTray::RestoreFromTray(QWidget* pWnd) {
    if (!pWnd) {
        return;
    }
    // A window minimised before it was hidden comes back as a window, not as a taskbar
    // entry.
    pWnd->setWindowState(pWnd->windowState() & ~Qt::WindowMinimized);
    pWnd->show();
    pWnd->raise();
    pWnd->activateWindow();
}
