#pragma once

#include <string>

struct _XDisplay;

// Tells, without polling, when a tray host appears on an X display. A host of the system
// tray protocol owns the selection _NET_SYSTEM_TRAY_S<screen>; XFixes reports every change
// of its owner on a connection of our own, whose descriptor the event loop watches.
class CX11TrayHostWatch {
public:
    // strDisplay as XOpenDisplay takes it; empty means $DISPLAY. Ok() tells if it worked.
    explicit CX11TrayHostWatch(const std::string& strDisplay = {});
    ~CX11TrayHostWatch();
    CX11TrayHostWatch(const CX11TrayHostWatch&) = delete;
    CX11TrayHostWatch& operator=(const CX11TrayHostWatch&) = delete;

    bool Ok() const { return m_pDisplay != nullptr; }
    // Readable when events wait.
    int Fd() const;
    // Whether a host owns the selection, as of the events read so far.
    bool HasHost() const { return m_bHasHost; }
    // Reads the waiting events without blocking. True when a host took the selection since
    // the last call (a new host that replaced an old one counts).
    bool ReadEvents();

private:
    _XDisplay* m_pDisplay = nullptr;
    unsigned long m_nSelection = 0;
    int m_nEventBase = 0;
    bool m_bHasHost = false;
};
