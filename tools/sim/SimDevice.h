#pragma once

#include <chrono>
#include <string>
#include <vector>

// What the script runner drives: the controller's side of a serial line and a clock. The
// simulator gives it a pseudo-terminal and the real clock; unit tests a recording fake with
// a clock that only moves when the runner waits.
class ISimDevice {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~ISimDevice() = default;

    virtual Clock::time_point Now() = 0;
    // Each returns false when the simulator is being stopped (a signal): the runner then
    // stops at once.
    virtual bool SleepUntil(Clock::time_point when) = 0;
    virtual bool Write(const std::vector<unsigned char>& vecBytes) = 0;
    // Prints a line on standard output, flushed, so whoever drives the script knows where
    // it has got to. Bytes written before are already in the line when the text appears.
    virtual void Echo(const std::string& strText) = 0;
    // Closes the line as an unplugged controller would; true even when already closed.
    virtual bool Hangup(std::string& strError) = 0;
    // A new line behind the same port name.
    virtual bool Reopen(std::string& strError) = 0;
};
