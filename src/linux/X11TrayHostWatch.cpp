#include "linux/X11TrayHostWatch.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

CX11TrayHostWatch::CX11TrayHostWatch(const std::string& strDisplay) {
    m_pDisplay = XOpenDisplay(strDisplay.empty() ? nullptr : strDisplay.c_str());
    if (!m_pDisplay) {
        return;
    }
    int nErrorBase = 0;
    int nMajor = 5;
    int nMinor = 0;
    if (!XFixesQueryExtension(m_pDisplay, &m_nEventBase, &nErrorBase) ||
        !XFixesQueryVersion(m_pDisplay, &nMajor, &nMinor)) {
        XCloseDisplay(m_pDisplay);
        m_pDisplay = nullptr;
        return;
    }
    const std::string strName = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(m_pDisplay));
    m_nSelection = XInternAtom(m_pDisplay, strName.c_str(), False);
    // Ask for the events before reading the owner, so that no change falls between the two.
    XFixesSelectSelectionInput(m_pDisplay, DefaultRootWindow(m_pDisplay), m_nSelection,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    m_bHasHost = XGetSelectionOwner(m_pDisplay, m_nSelection) != None;
    // The round trip may have queued events without leaving the descriptor readable.
    ReadEvents();
}

CX11TrayHostWatch::~CX11TrayHostWatch() {
    if (m_pDisplay) {
        XCloseDisplay(m_pDisplay);
    }
}

int CX11TrayHostWatch::Fd() const {
    return m_pDisplay ? ConnectionNumber(m_pDisplay) : -1;
}

bool CX11TrayHostWatch::ReadEvents() {
    if (!m_pDisplay) {
        return false;
    }
    bool bAppeared = false;
    while (XPending(m_pDisplay) > 0) {
        XEvent event;
        XNextEvent(m_pDisplay, &event);
        if (event.type != m_nEventBase + XFixesSelectionNotify) {
            continue;
        }
        const auto& notify = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
        if (notify.selection != m_nSelection) {
            continue;
        }
        m_bHasHost = notify.subtype == XFixesSetSelectionOwnerNotify && notify.owner != None;
        bAppeared = bAppeared || m_bHasHost;
    }
    return bAppeared;
}
