#include "app/PointerChoice.h"

#include <string_view>

PointerChoice ChoosePointer(const char* pszForced, bool bUinputOpens, bool bX11Session) {
    PointerChoice choice;
    const std::string_view forced = pszForced ? pszForced : "";
    if (forced == "uinput") {
        choice.kind = PointerKind::Uinput;
        return choice;
    }
    if (forced == "xtest") {
        choice.kind = PointerKind::XTest;
        return choice;
    }
    if (!forced.empty()) {
        choice.strWarning = "TACTILO_POINTER=" + std::string(forced) +
                            " is neither uinput nor xtest; choosing the pointer output as usual";
    }
    if (bUinputOpens) {
        choice.kind = PointerKind::Uinput;
    } else if (bX11Session) {
        choice.kind = PointerKind::XTest;
    } else {
        choice.kind = PointerKind::None;
    }
    return choice;
}

const char* PointerKindName(PointerKind kind) {
    switch (kind) {
        case PointerKind::Uinput:
            return "uinput";
        case PointerKind::XTest:
            return "xtest";
        case PointerKind::None:
            break;
    }
    return "none";
}

std::string UndeliverableTouchTitle() {
    return "Touches cannot reach this session";
}

std::string UndeliverableTouchText() {
    return "Tactilo may not write to /dev/uinput, and this session is not X11, so touches do "
           "not move the pointer. Install the udev rule 70-tactilo-uinput.rules (see the "
           "README), then log out and in again.";
}
