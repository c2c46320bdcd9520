#pragma once

#include <chrono>
#include <optional>
#include <string>

// Lines of a script as they arrive, from a file or a pipe, so that a person or a test can
// drive the simulator live. A wait for the next line ends early when stopFd becomes readable.
class CScriptSource {
public:
    enum class Status { Line, End, Stopped, Timeout };
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;

    // Takes ownership of fd unless it is standard input.
    CScriptSource(int fd, int stopFd);
    ~CScriptSource();
    CScriptSource(const CScriptSource&) = delete;
    CScriptSource& operator=(const CScriptSource&) = delete;

    // The next line without its line end; the last line need not end in one. Timeout when
    // the deadline passes first, so the caller can play what is due meanwhile.
    Status Next(std::string& strLine, Deadline deadline = std::nullopt);
    int LineNumber() const { return m_nLine; }

private:
    int m_fd;
    int m_stopFd;
    std::string m_strBuffer;
    bool m_bEnd = false;
    int m_nLine = 0;
};
