#pragma once

#include "touch/PointerOutput.h"

// Pointer input through SendInput.
//
// Moves are sent in absolute virtual-desktop coordinates (MOUSEEVENTF_VIRTUALDESK), aimed at
// the record's pixel: the plain absolute record the touch processor also builds is normalised
// to the primary monitor only, which cannot reach a monitor left of or above it and lands a
// pixel short on the others. Buttons are sent as their flags alone.
class CWin32PointerOutput final : public IPointerOutput {
public:
    ScreenSize PrimaryScreenSize() override;
    void SendInput(const MouseInput& input) override;
};

// The normalised coordinate (0..65535) that the system maps back onto nPixel, for a desktop
// that starts at nOrigin and is nExtent pixels wide (or high). Windows (and Wine) map a
// coordinate d onto nOrigin + floor(d × nExtent / 65536), so the smallest d that reaches the
// pixel is the rounded-up quotient. Pixels outside the desktop are held at its edge.
int VirtualDeskCoordinate(int nPixel, int nOrigin, int nExtent);
