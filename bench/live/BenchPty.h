#pragma once

#include <cstddef>
#include <string>

// A pseudo-terminal that plays a touch controller's serial line: the benchmark writes on
// the master, the program under test opens the slave as COMn through the port link
// $XDG_CONFIG_HOME/Brenhold/ports/COMn.
//
// The line is raw from the start (master and slave share one termios), so nothing written
// before the reader sets its own line settings is cooked or echoed. A slave descriptor is
// held open, unread, so that the reader closing and reopening the port never hangs up the
// line.
class CBenchPty {
public:
    CBenchPty();
    ~CBenchPty();
    CBenchPty(const CBenchPty&) = delete;
    CBenchPty& operator=(const CBenchPty&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_strSlavePath; }
    const std::string& Error() const { return m_strError; }

    // Points the port link of COM<nPort> at the slave (folders made, an old link replaced);
    // the link is removed again with the object.
    bool LinkAs(int nPort);

    // Writes all of the bytes, waiting for room if the reader lags. False on an error, or
    // when the line stays full for kStallMs (the reader has stopped).
    bool Write(const unsigned char* pBytes, std::size_t nCount);
    static constexpr int kStallMs = 2000;
    // Bytes written but not yet taken by the reader.
    int Queued() const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_strSlavePath;
    std::string m_strLinkPath;
    std::string m_strError;
};
