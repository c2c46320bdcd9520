#pragma once

#include <initializer_list>

// Turns SIGINT, SIGTERM and friends into a readable descriptor (the self-pipe trick), so a
// program that waits in poll() -- for a script line, for the next packet slot, for room in a
// pseudo-terminal -- sees a stop request at once, without the races of checking a flag
// between a test and a blocking call. The handler only writes one byte: it is signal-safe.
class CSignalPipe {
public:
    // Installs the handler for each signal. One instance per process.
    explicit CSignalPipe(std::initializer_list<int> signals);
    ~CSignalPipe();
    CSignalPipe(const CSignalPipe&) = delete;
    CSignalPipe& operator=(const CSignalPipe&) = delete;

    // Becomes readable once a signal has arrived, and stays so.
    int ReadFd() const { return m_readFd; }
    // The first signal received, 0 while none.
    int Received() const;
    // Blocks until a signal arrives (for a helper thread that wakes someone else).
    void WaitForSignal() const;

private:
    int m_readFd = -1;
};
