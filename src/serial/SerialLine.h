#pragma once

// The system side of a serial port, as CPort needs it. CPort keeps the rules (which rates
// are accepted, what each failure is called, how bytes become packets); an ISerialLine only
// talks to the device. The Linux implementation is CPosixSerialLine; tests use fakes.

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

    // Opens port COMn read-only and for exclusive use. Returns 0, or the errno of the failure
    // (EBUSY when the port is in use elsewhere).
    virtual int OpenPort(int nPort) = 0;
    // Reads the open port's current settings. Returns 0 or an errno (ENOTTY: not a serial line).
    virtual int ReadSettings() = 0;
    // Applies raw 8-bit framing with these settings, DTR on, RTS/CTS handshake, no XON/XOFF.
    // Returns 0 or an errno.
    virtual int WriteSettings(const LineSettings& settings) = 0;
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;

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
