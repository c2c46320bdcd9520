#include "linux/DisplayLossGuard.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

std::atomic<bool> g_bGuarding{false};  // a guard lives: exit() means the display is gone
std::atomic<bool> g_bEnding{false};    // one thread has begun to end the program
XIOErrorHandler g_previousHandler = nullptr;
struct sigaction g_previousPipe {};
bool g_bExitHandlerSet = false;

void WriteAll(const char* szText) {
    std::size_t nLeft = std::strlen(szText);
    while (nLeft > 0) {
        const ssize_t nWritten = write(STDERR_FILENO, szText, nLeft);
        if (nWritten <= 0) {
            return;
        }
        szText += nWritten;
        nLeft -= static_cast<std::size_t>(nWritten);
    }
}

extern "C" int OnXIOError(Display* pDisplay) {
    CDisplayLossGuard::EndProgram(pDisplay ? DisplayString(pDisplay) : nullptr);
}

// The toolkit ends the program with exit() when its own connection breaks; Xlib's other
// fatal paths do too. Registered last, this runs first, before any static destructor.
extern "C" void OnExit() {
    if (g_bGuarding) {
        CDisplayLossGuard::EndProgram(nullptr);
    }
}

// Only there so that a write to a dead connection fails with EPIPE instead of ending the
// process without a word. A handler rather than SIG_IGN: it does not pass on to programs
// started from here (a handler is reset by exec, an ignored signal is not).
extern "C" void OnBrokenPipe(int) {}

}  // namespace

CDisplayLossGuard::CDisplayLossGuard() {
    if (g_bGuarding.exchange(true)) {
        throw std::logic_error("CDisplayLossGuard: one guard at a time");
    }
    g_previousHandler = XSetIOErrorHandler(OnXIOError);
    struct sigaction action {};
    action.sa_handler = OnBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, &g_previousPipe);
    if (!g_bExitHandlerSet) {
        g_bExitHandlerSet = std::atexit(OnExit) == 0;
    }
}

CDisplayLossGuard::~CDisplayLossGuard() {
    g_bGuarding = false;
    sigaction(SIGPIPE, &g_previousPipe, nullptr);
    XSetIOErrorHandler(g_previousHandler);
}

void CDisplayLossGuard::EndProgram(const char* szDisplayName) {
    if (g_bEnding.exchange(true)) {
        // Another thread is ending the process right now; returning would let this one
        // go on with a dead connection or into exit().
        for (;;) {
            pause();
        }
    }
    WriteAll("Tactilo: the connection to the X display ");
    if (szDisplayName && *szDisplayName) {
        WriteAll("\"");
        WriteAll(szDisplayName);
        WriteAll("\" ");
    }
    WriteAll("was lost; ending.\n");
    _exit(1);
}
