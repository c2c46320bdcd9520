#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PipedProcess.h"

// The touch-controller simulator (tactilo-sim) run for a test, driven live through its
// standard input. With nPort > 0 it links COM<nPort> in the current XDG_CONFIG_HOME (so make
// a CTempConfigDir first). Script lines go in with Send; "echo <mark>" followed by
// WaitForEcho("<mark>") tells the test that every byte before it is in the line.
class CSimulatorProcess {
public:
    explicit CSimulatorProcess(int nPort, const std::vector<std::string>& vecExtraArgs = {});

    // The pseudo-terminal it serves; empty if it failed to start (see ErrorLog).
    const std::string& SlavePath() const { return m_strSlavePath; }
    bool Send(const std::string& strLines) { return m_process.Send(strLines); }
    bool WaitForEcho(const std::string& strMark) { return m_process.WaitForLine(strMark); }
    std::string ErrorLog() const { return m_process.ErrorLog(); }
    CPipedProcess& Process() { return m_process; }

private:
    CPipedProcess m_process;
    std::string m_strSlavePath;
};
