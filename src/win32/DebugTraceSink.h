#pragma once

#include "app/TraceSink.h"

// Trace lines to the debugger (OutputDebugStringA), where a debugger or DebugView shows
// them; without one attached the system drops them at little cost.
class CDebugTraceSink final : public ITraceSink {
public:
    void Trace(const char* szText) override;
};
