#pragma once

#include <chrono>
#include <functional>
#include <string>

// Runs a piece of a test in a forked child, for what must not happen in the test process:
// dropping root (root reads files of mode 000), or code that may block or eat memory.
struct ChildRun {
    // The body's return value, or -1 when the child was killed (by a signal, or at the
    // deadline) or could not start.
    int nExit = -1;
    // What the body wrote to its output descriptor.
    std::string strOutput;
};

// The body gets a descriptor to write its findings to (read back as strOutput). With
// bAsNobody the child first becomes the user "nobody"; CanBecomeNobody() says whether that
// is possible (the tests run as root). A child still running at the deadline is killed.
ChildRun RunInChild(const std::function<int(int nOutputFd)>& body, bool bAsNobody = false,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));
bool CanBecomeNobody();
// The user and group ids of "nobody".
unsigned NobodyUid();
unsigned NobodyGid();
// Writes a whole text to a descriptor (for the body's findings).
void WriteText(int fd, const std::string& strText);
