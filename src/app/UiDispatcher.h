#pragma once

#include <functional>

// Runs a call later on the user-interface thread, after the event being handled has
// returned. Qt posts it with a queued invokeMethod, Win32 with PostMessage. Post may be called
// from any thread (the reader thread reports an outage through it); calls run in the order
// they were posted, and a call posted to a front end that is gone is dropped.
class IUiDispatcher {
public:
    virtual ~IUiDispatcher() = default;
    virtual void Post(std::function<void()> fnCall) = 0;
};
