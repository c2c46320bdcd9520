#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

// What every program started for a test has: whether it still runs, signals, waiting for
// its end, and ending it (SIGTERM, then SIGKILL) when its owner goes.
class CProcessLife {
public:
    int Pid() const { return m_pid; }
    bool Running();
    // Sends a signal; true when the process existed.
    bool Signal(int nSignal);
    // Waits for the process to end; the exit status (as from waitpid), or -1 on time-out.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));

protected:
    CProcessLife() = default;
    ~CProcessLife() = default;
    // SIGTERM, and SIGKILL when that was not enough within 3 s.
    void End();

    int m_pid = -1;

private:
    int m_nStatus = -1;
    bool m_bReaped = false;
};

// A whole text file, or an empty text when it cannot be read.
std::string ReadTextFile(const std::string& strPath);

// A program started for a test (an X server, a tray host, the simulator, Tactilo itself),
// ended with SIGTERM (then SIGKILL) when the object goes.
class CChildProcess : public CProcessLife {
public:
    // Starts vecArgs[0] (looked up in PATH) with the given extra environment variables.
    // Output goes to a log file that Log() returns, so that failures can be shown.
    explicit CChildProcess(const std::vector<std::string>& vecArgs,
                           const std::map<std::string, std::string>& mapEnv = {});
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    std::string Log() const;

private:
    std::string m_strLogPath;
};

// Polls bCondition every few milliseconds until it holds or the deadline passes.
template <typename Condition>
bool WaitUntil(Condition bCondition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

#include "ChildProcess.inl"
