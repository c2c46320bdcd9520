#pragma once

// Ends the program once, cleanly, when the X display goes away.
//
// Several X connections live in the program at once: the toolkit's and the tray-host watch's
// on the user-interface thread, the pointer output's on the reader thread. When the server
// dies, each of them notices on its own, and Xlib's and the toolkit's answer to a broken
// connection is to call exit(). Two threads inside exit() at once run the static destructors
// twice or under each other's feet (a crash instead of an end), and a write to the dead
// socket kills the program with SIGPIPE before any handler runs.
//
// So, while a guard lives:
//
//   who notices                          what happens
//   any Xlib connection (I/O error)      the first to arrive writes one line to stderr and
//                                        ends the process at once with status 1 (_exit, no
//                                        destructors: the other threads still run them)
//   the toolkit (exit() during the run)  the same, from the exit handler
//   a second thread, or a second error   waits without end: the first is ending the process
//   a write to the dead socket           SIGPIPE is caught, so the write fails with EPIPE
//                                        and the connection reports it as an I/O error
//
// Nothing is left to release on a dead display, and nothing is saved on any way out, so
// skipping the destructors loses nothing. Make one guard, after the application object (whose
// toolkit sets its own I/O error handler) and before the event loop runs; its end, when the
// run returns normally, makes exit() ordinary again.
class CDisplayLossGuard {
public:
    CDisplayLossGuard();
    ~CDisplayLossGuard();
    CDisplayLossGuard(const CDisplayLossGuard&) = delete;
    CDisplayLossGuard& operator=(const CDisplayLossGuard&) = delete;

    // The one way out once the display is gone: the message goes to stderr, the status is 1.
    [[noreturn]] static void EndProgram(const char* szDisplayName);
};
