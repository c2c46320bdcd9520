#pragma once

#include <optional>

#include "BaudMismatch.h"
#include "PtyServer.h"
#include "SimDevice.h"

// The pseudo-terminal and the real clock, for the script runner.
//
// With a controller rate of its own (--controller-baud), the bytes the script sends are the
// controller's, and what goes into the pty is what the program on the other side would read
// from a real line at the rate it set: before every write the rate and receive flags are
// read again from the pty (the program may have opened the port again at another rate, as
// rate detection does), the bytes run through the UART model and Linux's delivery, and the
// result is written. A receiver character still under way when a burst ends is delivered
// once the line has stayed idle long enough to decide it:
//
//   the simulator next                   the character under way
//   sleeps past the character's end      delivered at its time, then the sleep goes on
//   writes again                         decided by the new bytes (no idle line between)
//   echoes, hangs up or ends             waited for (at most one character time), then
//                                        delivered: bytes before an echo are in the line
//   waits for a script line              delivered at its time (NextDue, Idle)
//
// At the same rate on both sides every character is decided within its own burst, so the
// bytes go out unchanged and at once.
class CPtyDevice final : public ISimDevice {
public:
    // nControllerBaud 0: the controller runs at whatever rate the port is set to.
    CPtyDevice(CPtyServer& server, int stopFd, int nControllerBaud);

    Clock::time_point Now() override { return Clock::now(); }
    bool SleepUntil(Clock::time_point when) override;
    bool Write(const std::vector<unsigned char>& vecBytes) override;
    void Echo(const std::string& strText) override;
    bool Hangup(std::string& strError) override;
    bool Reopen(std::string& strError) override;

    // When a receiver character under way is due, if one is.
    std::optional<Clock::time_point> NextDue() const;
    // Delivers the character under way if it is due; false when stopped.
    bool Idle();
    // Waits for the character under way and delivers it; false when stopped.
    bool Settle();

private:
    bool WaitUntil(Clock::time_point when);
    bool Deliver(const std::vector<UartChar>& vecChars);

    CPtyServer& m_server;
    int m_stopFd;
    std::optional<CBaudMismatch> m_mismatch;
    LineInputFlags m_flags;
    int m_nReportedBaud = 0;
};
