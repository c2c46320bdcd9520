#pragma once

#include <string>

// The system side of a serial port, as CPort needs it. CPort keeps the rules (which rates
// are accepted, what each failure is called, how bytes become packets); an ISerialLine only
// talks to the device, and says in the system's words why it would not open. The Linux
// implementation is CPosixSerialLine, the Windows one CWin32SerialLine; tests use fakes.

struct LineSettings {
    unsigned nBaudRate = 57600;  // bits per second, already one of the accepted rates
    int nByteSize = 8;           // 5..8
    int nParity = 0;             // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int nStopBits = 0;           // 0 one, 1 one and a half, 2 two
};

// Read and write time-outs in the order the serial settings have always used. All zero
// means a read waits, without limit, until a byte arrives.
struct CommTimeouts {
    unsigned nReadIntervalMs = 0;
    unsigned nReadTotalMultiplierMs = 0;
    unsigned nReadTotalConstantMs = 0;
    unsigned nWriteTotalMultiplierMs = 0;
    unsigned nWriteTotalConstantMs = 0;
};

// A failure to open a port in the system's own words. Only the system knows what its error
// numbers mean and what the user calls the port there, so the line supplies the words and the
// core only places them (a notification, a message box, standard error).
struct PortFailureText {
    std::string strLine;    // the port and the reason: "COM3 (/dev/ttyUSB0): Permission denied"
    std::string strAdvice;  // what the user can do about it alone, or empty
};

enum class ReadStatus {
    Byte,     // one byte was read
    NoByte,   // the read succeeded without a byte (a time-out ran out)
    Failed,   // the read failed but the device is still there; retrying may work
    Gone,     // the device went away: end of file, hang-up, node removed
    Stopped,  // Wake() was called: the reader is being stopped
};

class ISerialLine {
public:
    virtual ~ISerialLine() = default;

    // Opens port COMn read-only and for exclusive use. Returns 0, or the system's error number
    // of the failure (errno on Linux, EBUSY when the port is in use elsewhere; Windows' own
    // numbers there, 5 when in use).
    virtual int OpenPort(int nPort) = 0;
    // Reads the open port's current settings. Returns 0 or an errno (ENOTTY: not a serial line).
    virtual int ReadSettings() = 0;
    // Applies raw 8-bit framing with these settings, DTR on, RTS/CTS handshake, no XON/XOFF.
    // Returns 0 or an errno.
    virtual int WriteSettings(const LineSettings& settings) = 0;
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;

    // For messages: why COMn failed with nError, a number OpenPort, ReadSettings or
    // WriteSettings returned. strMessage (the port's own text, "Can't open port.\n") stands
    // in for the reason when nError is 0.
    virtual PortFailureText DescribeFailure(int nPort, int nError,
                                            const std::string& strMessage) const = 0;

    // Reads one byte, blocking as the time-outs say. Only one thread reads at a time.
    virtual ReadStatus ReadByte(unsigned char& nByte) = 0;
    // Waits up to nTimeoutMs or until Wake(); true when woken. Used to pause after a failure
    // without making the stop wait for the pause.
    virtual bool WaitForWake(int nTimeoutMs) = 0;
    // Thread-safe. Makes the current and every later ReadByte return Stopped, and every
    // WaitForWake return at once, until ClearWake().
    virtual void Wake() = 0;
    virtual void ClearWake() = 0;
};
