#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

#include "serial/SerialLine.h"

// A serial line on a Linux tty device (a UART, a USB adapter, a pseudo-terminal).
//
// Opening: read-only, O_NOCTTY, and non-blocking so that a line without carrier never hangs
// the open (blocking mode is restored after). Exclusive: TIOCEXCL stops other users, and an
// flock stops root too, who is exempt from TIOCEXCL; a port held elsewhere gives EBUSY.
//
// Reading: poll on the port and an eventfd, so that Wake() ends a read that is blocked on
// a silent line (closing the descriptor from another thread would not).
class CPosixSerialLine final : public ISerialLine {
public:
    // pathForPort maps a port number to the device path; by default PortDevicePath.
    // groupForPath names the group that owns a device node ("dialout"), for the advice on a
    // refused open; by default PortGroup.
    explicit CPosixSerialLine(std::function<std::string(int)> pathForPort = {},
                              std::function<std::string(const std::string&)> groupForPath = {});
    ~CPosixSerialLine() override;
    CPosixSerialLine(const CPosixSerialLine&) = delete;
    CPosixSerialLine& operator=(const CPosixSerialLine&) = delete;

    int OpenPort(int nPort) override;
    int ReadSettings() override;
    int WriteSettings(const LineSettings& settings) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    void ClosePort() override;
    bool IsOpen() const override;
    ReadStatus ReadByte(unsigned char& nByte) override;
    bool WaitForWake(int nTimeoutMs) override;
    void Wake() override;
    void ClearWake() override;
    // "COM3 (/dev/ttyUSB0): Permission denied": the port with the device it stands for, and
    // the C library's text for the errno. A refused open (EACCES) is the one failure the
    // user can fix alone: the advice names the node's group and how to join it.
    PortFailureText DescribeFailure(int nPort, int nError,
                                    const std::string& strMessage) const override;

    int Descriptor() const { return m_fd; }

private:
    std::function<std::string(int)> m_pathForPort;
    std::function<std::string(const std::string&)> m_groupForPath;
    int m_fd = -1;
    int m_wakeFd = -1;
    int m_nReadTimeoutMs = -1;  // -1: wait for a byte without limit
    std::atomic<bool> m_bWoken{false};
    unsigned char m_aBuffer[256];  // bytes read but not yet handed out (reader thread only)
    std::size_t m_nBuffered = 0;
    std::size_t m_nNext = 0;
};
