#pragma once

#include <string>
#include <vector>

// A program the benchmark starts: the pipeline under test, the floor, Tactilo. Its standard
// input and output are pipes to us, its standard error is ours. It gets SIGTERM if we die
// (so no run leaves one behind), and SIGTERM, then SIGKILL, when the object goes.
class CBenchChild {
public:
    explicit CBenchChild(const std::vector<std::string>& vecArgs);
    ~CBenchChild();
    CBenchChild(const CBenchChild&) = delete;
    CBenchChild& operator=(const CBenchChild&) = delete;

    int Pid() const { return m_pid; }
    bool Running();
    // One line of its output, without the line end; false on time-out or end of output.
    bool ReadLine(std::string& strLine, int nTimeoutMs);
    bool WriteLine(const std::string& strLine);
    // SIGTERM, then SIGKILL after nGraceMs; the exit status as from waitpid, -1 if none.
    int Stop(int nGraceMs = 5000);

private:
    int m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
    std::string m_strBuffer;
    bool m_bReaped = false;
    int m_nStatus = -1;
};
