#pragma once

#include <windows.h>

#include <atomic>

#include "serial/SerialLine.h"

// A serial line on a Windows COM port (\\.\COMn).
//
// Opening: read-only and unshared, so a port another program holds fails with error 5
// (ERROR_ACCESS_DENIED), the number users of the original program know. The handle is
// opened for overlapped input only so that a read blocked on a silent line can be ended:
//
//   the reader waits on          | what ends the wait   | ReadByte returns
//   -----------------------------+----------------------+----------------------------------
//   the read's event, the wake   | a byte arrives       | Byte
//   event                        | the time-outs run out| NoByte
//                                | Wake()               | Stopped (the read is cancelled
//                                |                      | with CancelIoEx; a byte it still
//                                |                      | delivered is kept for the next read)
//                                | the device goes away | Gone
//
// Closing the handle from another thread would not end a pending read everywhere (and
// CancelSynchronousIo does nothing under Wine), hence the overlapped read.
//
// Error numbers are Windows' own (GetLastError): 2 no such port, 5 in use.
class CWin32SerialLine final : public ISerialLine {
public:
    CWin32SerialLine();
    ~CWin32SerialLine() override;
    CWin32SerialLine(const CWin32SerialLine&) = delete;
    CWin32SerialLine& operator=(const CWin32SerialLine&) = delete;

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
    // "COM3: Access is denied.": the port as Windows names it and the system's message for
    // the Windows error number (FormatMessageW, in the user's language). No advice: a port
    // in use or missing is not the user's to fix by a setting, and there is no group to join.
    PortFailureText DescribeFailure(int nPort, int nError,
                                    const std::string& strMessage) const override;

    // The settings as last read or written, for tests.
    const DCB& CurrentDcb() const { return m_dcb; }

private:
    HANDLE m_hPort = nullptr;  // nullptr when closed, never INVALID_HANDLE_VALUE
    HANDLE m_hReadDone = nullptr;
    HANDLE m_hWake = nullptr;  // manual reset: set from Wake() until ClearWake()
    std::atomic<bool> m_bWoken{false};
    DCB m_dcb{};
    bool m_bHeldByte = false;  // a byte a cancelled read still delivered
    unsigned char m_nHeldByte = 0;
};

// The device name of COMn: "\\.\COM3". The prefix also reaches COM10 and above.
std::wstring ComDeviceName(int nPort);
// The system's message for a Windows error number, one line without its end ("Access is
// denied."); "Windows error <n>" for a number the system has no message for.
std::string WindowsErrorText(unsigned long nError);
