#include "PointerEventText.h"

#include <cstdio>

std::string FormatPointerEvent(const PointerEvent& event) {
    const char* szKind = "motion";
    if (event.kind == PointerEvent::Kind::Press) {
        szKind = "press";
    } else if (event.kind == PointerEvent::Kind::Release) {
        szKind = "release";
    }
    char szLine[128];
    std::snprintf(szLine, sizeof(szLine), "%s %d %d %d state=0x%x time=%lu", szKind, event.nButton,
                  event.x, event.y, event.nState, event.nServerTimeMs);
    return szLine;
}
