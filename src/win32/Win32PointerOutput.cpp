#include "win32/Win32PointerOutput.h"

#include <windows.h>

#include <algorithm>

int VirtualDeskCoordinate(int nPixel, int nOrigin, int nExtent) {
    if (nExtent <= 0) {
        return 0;
    }
    const long long nOffset = std::clamp(nPixel - nOrigin, 0, nExtent - 1);
    return static_cast<int>((nOffset * 65536 + nExtent - 1) / nExtent);
}

ScreenSize CWin32PointerOutput::PrimaryScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void CWin32PointerOutput::SendInput(const MouseInput& input) {
    INPUT record{};
    record.type = INPUT_MOUSE;
    record.mi.dwFlags = input.dwFlags;
    if (input.dwFlags & MOUSEEVENTF_MOVE) {
        // Read anew for every move: monitors come and go while the program runs.
        const int nLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int nTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
        const int nWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        const int nHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        record.mi.dx = VirtualDeskCoordinate(input.nPixelX, nLeft, nWidth);
        record.mi.dy = VirtualDeskCoordinate(input.nPixelY, nTop, nHeight);
        record.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    }
    ::SendInput(1, &record, sizeof(INPUT));
}
