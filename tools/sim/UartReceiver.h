#pragma once

#include <vector>

// What a receiver made of one character time.
enum class UartCharKind {
    Good,          // stop bit sampled high
    FramingError,  // stop bit sampled low, some data bit high
    Break,         // start, every data bit and the stop bit sampled low
};

struct UartChar {
    unsigned char nByte = 0;
    UartCharKind kind = UartCharKind::Good;
    long long nAtNs = 0;  // when the stop bit was sampled

    bool operator==(const UartChar&) const = default;
};

// A UART receiver, 8 data bits, no parity, one stop bit, watching a line that is described
// only by its level over time: the caller says "the line stays at this level until then",
// piece after piece. A serial line idles high (mark), so the line is high before the first
// piece, and silence between a controller's packets is high too. Times are nanoseconds on
// any clock.
//
// How the receiver samples, as a 16550-style UART does:
//
//   state      line                      what happens
//   Hunt       falls (high -> low)       a start bit begins; it is seen half a tick of the
//                                        16x sampling clock later (1/32 bit)
//   Frame      at each bit's centre      sample: start, data bits 0..7 (least first), stop
//   Frame      start sampled high        a glitch, not a start bit: back to Hunt
//   Frame      stop sampled high         Good character; Hunt
//   Frame      stop sampled low          FramingError, or Break if all ten samples were low;
//                                        WaitIdle
//   WaitIdle   goes high                 Hunt (a start bit needs a falling edge)
//
// The 1/32 bit also keeps samples off the bit edges of a line whose rate divides the
// receiver's exactly (9600 read at 2400), where real hardware, oversampling, is not on an
// edge either. The receiver's rate can change between characters (a program that opens the
// port again at another rate); a character already begun keeps the rate it began with.
class CUartReceiver {
public:
    explicit CUartReceiver(int nBaud, long long nStartNs = 0);

    // Applies from the next start bit on.
    void SetBaud(int nBaud) { m_nBaud = nBaud; }
    // The line holds bHigh from where it was last described until nUntilNs (exclusive).
    void Hold(bool bHigh, long long nUntilNs);
    // The characters decided since the last call, oldest first.
    std::vector<UartChar> Take();
    // While a character is under way: when its stop bit will be sampled, else -1. Holding
    // the line past that time decides it.
    long long PendingUntilNs() const;
    long long KnownUntilNs() const { return m_nKnownNs; }

private:
    enum class State { Hunt, Frame, WaitIdle };

    long long SampleNs(int nBit) const;
    void Sample(bool bHigh, long long nAtNs);

    int m_nBaud;
    int m_nFrameBaud;
    long long m_nKnownNs;
    State m_state = State::Hunt;
    long long m_nEdgeNs = 0;
    int m_nBit = 0;
    unsigned m_nShift = 0;
    bool m_bAnyHigh = false;
    std::vector<UartChar> m_vecChars;
};

// The receive flags of a termios line that decide what a program reads for a framing error
// or a break.
struct LineInputFlags {
    bool bInpck = false;
    bool bIgnpar = false;
    bool bParmrk = false;
    bool bIgnbrk = false;
    bool bBrkint = false;
};

// The bytes a program reads from a Linux serial port with these flags for the characters a
// UART received. Linux passes a character's error along with it, and the tty layer decides
// (the 8250 driver masks the error away before the tty layer with the same flags, so both
// paths agree):
//
//   character       flags                 the program reads
//   Good            any                   the byte
//   FramingError    INPCK clear           the byte as sampled
//   FramingError    INPCK and IGNPAR      nothing
//   FramingError    INPCK                 a NUL
//   Break           IGNBRK                nothing
//   Break           BRKINT                nothing (the tty flushes and signals instead)
//   Break           neither               a NUL
//
// PARMRK marks (FF 00 before the byte) are not produced: written into a pseudo-terminal
// whose reader set PARMRK, the FF would be doubled by the pty's own line discipline, so no
// writer can make them; the character is delivered as without PARMRK. ISTRIP and the
// doubling of a real FF under PARMRK are the pty's own line discipline's work.
std::vector<unsigned char> DeliverAsLinux(const std::vector<UartChar>& vecChars,
                                          const LineInputFlags& flags);
