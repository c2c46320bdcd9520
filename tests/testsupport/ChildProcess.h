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

// The sanitizer report in a child's output (from its first line on), or an empty text.
std::string SanitizerReport(const std::string& strLog);
// Fails the running test when a child's output holds a sanitizer report. A child ended with
// SIGTERM reports leaks and races at its exit, where no test looks at its exit status, so the
// owners of children call this once the child has ended.
void FailOnSanitizerReport(const std::string& strLog, const std::string& strWhat);

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
    std::string m_strName;
};

// Polls bCondition every few milliseconds until it holds or the deadline passes.
template <typename Condition>
bool WaitUntil(Condition bCondition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

#include "ChildProcess.inl"
