#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "ChildProcess.h"

// A program started for a test with pipes on both ends: the test writes to its standard
// input and reads its standard output line by line, each wait bounded by a deadline. Its
// standard error goes to a log file for failure messages. Ended with SIGTERM (then SIGKILL)
// when the object goes.
class CPipedProcess : public CProcessLife {
public:
    // vecArgs[0] is a path or a name looked up in PATH; mapEnv adds to the environment.
    explicit CPipedProcess(const std::vector<std::string>& vecArgs,
                           const std::map<std::string, std::string>& mapEnv = {});
    ~CPipedProcess();
    CPipedProcess(const CPipedProcess&) = delete;
    CPipedProcess& operator=(const CPipedProcess&) = delete;

    // Writes text to the program's standard input; false once it is closed.
    bool Send(const std::string& strText);
    // Closes standard input: the program sees end of file.
    void CloseInput();

    // The next output line (without its '\n'); false when none came before the deadline or
    // the output ended.
    bool ReadLine(std::string& strLine,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Reads lines until one equals strLine; false on time-out or end of output.
    bool WaitForLine(const std::string& strLine,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Every output line read so far, in order.
    const std::vector<std::string>& Lines() const { return m_vecLines; }

    std::string ErrorLog() const;

    // <build>/tools/<strName>: where the build puts the project's tools.
    static std::string ToolPath(const std::string& strName);

private:
    int m_inFd = -1;
    int m_outFd = -1;
    std::string m_strPending;
    std::vector<std::string> m_vecLines;
    std::string m_strLogPath;
    std::string m_strName;
};
