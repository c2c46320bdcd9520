#pragma once

// The pointer input the touch processor makes. Every action is one mouse record, as the
// system's input queue has always taken them: flags, and for an absolute move the point
// normalised to 0..65535 across the primary monitor (so a point on a monitor right of or
// below the primary one gives values above 65535).

constexpr unsigned MOUSEEVENTF_MOVE = 0x0001;
constexpr unsigned MOUSEEVENTF_LEFTDOWN = 0x0002;
constexpr unsigned MOUSEEVENTF_LEFTUP = 0x0004;
constexpr unsigned MOUSEEVENTF_RIGHTDOWN = 0x0008;
constexpr unsigned MOUSEEVENTF_RIGHTUP = 0x0010;
constexpr unsigned MOUSEEVENTF_ABSOLUTE = 0x8000;

struct MouseInput {
    int dx = 0;
    int dy = 0;
    unsigned dwFlags = 0;
    // The pixel the move aims at, in root-window (virtual-screen) coordinates. An X server
    // takes pixels, not normalised values; only meaningful with MOUSEEVENTF_MOVE.
    int nPixelX = 0;
    int nPixelY = 0;

    bool operator==(const MouseInput&) const = default;
};

struct ScreenSize {
    int cx = 0;
    int cy = 0;

    bool operator==(const ScreenSize&) const = default;
};

// Called on the reader thread only (one thread at a time).
class IPointerOutput {
public:
    virtual ~IPointerOutput() = default;
    // The primary monitor's size in pixels, read anew for every move.
    virtual ScreenSize PrimaryScreenSize() = 0;
    virtual void SendInput(const MouseInput& input) = 0;
};
