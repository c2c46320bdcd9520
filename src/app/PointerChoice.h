#pragma once

#include <string>

// Which pointer output a run uses.
enum class PointerKind {
    Uinput,  // the kernel's uinput: every session
    XTest,   // the X server's XTest: an X11 session only
    None,    // neither reaches this session: the user is told how to allow uinput
};

struct PointerChoice {
    PointerKind kind = PointerKind::None;
    // A line for standard error when the forcing variable held nonsense; else empty.
    std::string strWarning;
};

// The choice at start-up: uinput when /dev/uinput opens (it reaches every session), else
// XTest on an X11 session, else none. pszForced is $TACTILO_POINTER ("uinput" or "xtest",
// for diagnosis; nullptr or empty when unset), which wins over the rest.
PointerChoice ChoosePointer(const char* pszForced, bool bUinputOpens, bool bX11Session);

// "uinput", "xtest" or "none", for the trace.
const char* PointerKindName(PointerKind kind);

// What the user reads when touches cannot reach the session.
std::string UndeliverableTouchTitle();
std::string UndeliverableTouchText();
