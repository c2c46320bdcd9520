#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

class CXvfb;

// A window as the X server's window tree shows it, with its position on the root window.
struct XWindowBox {
    unsigned long nId = 0;
    int x = 0;
    int y = 0;
    int nWidth = 0;
    int nHeight = 0;
    int CenterX() const { return x + nWidth / 2; }
    int CenterY() const { return y + nHeight / 2; }
};

// A real tray host for tests: trayer, a small XEmbed notification area, on a private X
// server, as a 200 by 32 pixel panel at the top left of the screen. Ended (SIGTERM) when
// the object goes, so a test can take the host away and start another.
class CTrayer {
public:
    explicit CTrayer(const CXvfb& xvfb);
    ~CTrayer();
    CTrayer(const CTrayer&) = delete;
    CTrayer& operator=(const CTrayer&) = delete;

    // Waits until trayer owns the tray selection and its panel exists.
    bool WaitReady();
    CChildProcess& Process() { return *m_pProcess; }
    std::string Log() const { return m_pProcess->Log(); }

    // The windows that the panel holds and process nPid made (their _NET_WM_PID), larger
    // than 1 by 1 pixel: an icon embedded in the tray.
    std::vector<XWindowBox> EmbeddedWindows(int nPid) const;

private:
    const CXvfb& m_xvfb;
    std::unique_ptr<CChildProcess> m_pProcess;
};

// The top-level windows of process nPid that are mapped and larger than 1 by 1 pixel
// (a popup menu, a dialog).
std::vector<XWindowBox> MappedTopLevelWindows(const CXvfb& xvfb, int nPid);

// Whether the top-level window titled strTitle is mapped and viewable; false when there is
// no such window or it is unmapped.
bool WindowViewable(const CXvfb& xvfb, const std::string& strTitle);

// The colour of one root-window pixel as 0xRRGGBB, or -1 when it cannot be read.
long RootPixel(const CXvfb& xvfb, int x, int y);

// The pixels of a root-window area as text, to see a picture change; empty when they cannot
// be read.
std::string RootArea(const CXvfb& xvfb, const XWindowBox& box);
