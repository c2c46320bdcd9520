#pragma once

#include <cstddef>
#include <string>

#include "UartReceiver.h"

// The controller's end of a pseudo-terminal, and the port link that lets the driver open it
// as COMn.
//
// Writing. A pty holds only a few kilobytes; when nobody reads the slave, a blocking write
// would hang the simulator for good (and with it "echo", "quit" and the script source). So:
//
//   situation                               what Write does
//   room in the pty                         writes at once
//   pty full, reader slow                   waits for room (up to the stall limit)
//   no room for the whole stall limit       drops the rest and warns once: "dropping"
//   dropping, pty still full                drops at once, counting
//   dropping, a write goes through whole    warns how many bytes were lost, stops dropping
//   signal while waiting                    returns Stopped
//   hung up                                 discards, like an unplugged controller
//
// Dropping is what a real controller does when the host stops reading: its bytes fall on
// the floor, and a reader that comes back resynchronises on the next lead byte.
//
// Hanging up. Closing the master throws away whatever the reader has not read yet, so a
// hang-up first waits (up to the stall limit) until the slave's input queue is empty: a
// script that sends a packet and hangs up has its packet read. For that the server keeps a
// descriptor of the slave open (it never reads from it).
//
// The link. COMn is a symlink; it is replaced atomically (a new link renamed over it), so a
// reader never sees it missing. After a hang-up it points at a path that does not exist,
// never at the old /dev/pts/N, which the kernel may soon hand to another program.
class CPtyServer {
public:
    enum class WriteResult { Written, Dropped, Stopped, Closed };

    // stopFd becomes readable when the simulator must stop (see CSignalPipe).
    CPtyServer(int stopFd, int nStallMs);
    ~CPtyServer();
    CPtyServer(const CPtyServer&) = delete;
    CPtyServer& operator=(const CPtyServer&) = delete;

    // A fresh pty in raw mode (closing the old one). False with strError on failure.
    bool Open(std::string& strError);
    // Closes the master: the reader's next read sees the device gone. With bDrain, first
    // lets the reader take what was already written.
    void Hangup(bool bDrain = true);
    // Waits (up to the stall limit, or a signal) until the reader has taken every byte.
    void Drain();
    bool IsOpen() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_strSlavePath; }
    // The rate and receive flags the reader has set on its side; false when hung up.
    bool ReceiverSettings(int& nBaud, LineInputFlags& flags) const;

    // Points strLinkPath at the slave (or at the hung-up marker), creating its folders.
    bool Link(const std::string& strLinkPath, std::string& strError);
    // Removes the link if it is still ours.
    void Unlink();

    WriteResult Write(const unsigned char* pBytes, std::size_t nCount);

private:
    bool PointLink(const std::string& strTarget, std::string& strError);

    int m_stopFd;
    int m_nStallMs;
    int m_master = -1;
    int m_slave = -1;
    std::string m_strSlavePath;
    std::string m_strLinkPath;
    std::string m_strLinkTarget;
    bool m_bDropping = false;
    unsigned long long m_nDropped = 0;
    bool m_bWarnedClosed = false;
};
