#include "win32/DebugTraceSink.h"

#include <windows.h>

void CDebugTraceSink::Trace(const char* szText) {
    OutputDebugStringA(szText);
}
