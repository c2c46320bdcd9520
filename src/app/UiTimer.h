#pragma once

// A single-shot timer on the user-interface thread. Its owner wires the expiry to whoever
// needs it (the hub's OnReconnectTimer): an interface without a callback is what a Win32
// WM_TIMER and a Qt signal both fit. User-interface thread only.
class IUiTimer {
public:
    virtual ~IUiTimer() = default;
    // Arms the timer anew: one expiry after nDelayMs, an earlier arming forgotten.
    virtual void Start(int nDelayMs) = 0;
    virtual void Stop() = 0;
    // Armed and not yet expired.
    virtual bool IsActive() const = 0;
};
