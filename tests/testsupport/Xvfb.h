#pragma once

#include <memory>
#include <string>

#include "ChildProcess.h"

// A private X server for one test (or one test binary): Xvfb on a display number it picks
// itself (-displayfd), so tests can run side by side. Ready when the constructor returns.
class CXvfb {
public:
    // strScreen as Xvfb's -screen 0 argument, e.g. "1920x1080x24".
    explicit CXvfb(const std::string& strScreen = "1920x1080x24");
    ~CXvfb();

    // ":N", for DISPLAY.
    const std::string& Display() const { return m_strDisplay; }
    bool Ok() const { return !m_strDisplay.empty(); }
    std::string Log() const { return m_pServer ? m_pServer->Log() : std::string(); }

    // Sends the server a signal (SIGKILL: the server dies under its clients); true when it
    // was running.
    bool Signal(int nSignal) { return m_pServer && m_pServer->Signal(nSignal); }

    // Runs a shell command with DISPLAY set to this server; its exit status.
    int Run(const std::string& strCommand) const;

private:
    std::unique_ptr<CChildProcess> m_pServer;
    std::string m_strDisplay;
};
