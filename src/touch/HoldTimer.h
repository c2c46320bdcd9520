#pragma once

#include <cstdint>

// The hold timer (id 1) that turns a still touch into a right click. It belongs to the
// user-interface thread: the reader thread arms and kills it, and the implementation queues
// those calls so that their order matches the packets'. When it runs out it calls
// CTouchProcessor::OnTimer(nId, nTouch) on the user-interface thread.
class IHoldTimer {
public:
    virtual ~IHoldTimer() = default;
    // Arms timer nId to expire once after nElapseMs, for touch number nTouch. Returns the
    // timer's id, or 0 when it could not be armed (then no right click by holding follows).
    virtual unsigned SetTimer(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) = 0;
    virtual void KillTimer(unsigned nId) = 0;
};
