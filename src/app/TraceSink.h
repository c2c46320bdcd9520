#pragma once

// Where the debugger trace lines go. The core never writes to a log itself: it hands each
// line, exactly as the user-facing traces read ("MousePressed\n", a line of asterisks, ...),
// to a sink. The application's sink forwards them to the Qt logging category "tactilo.trace";
// tests record them.

class ITraceSink {
public:
    virtual ~ITraceSink() = default;
    // Called from any thread; implementations must be thread-safe.
    virtual void Trace(const char* szText) = 0;
};

// Drops every line. The default for objects that were given no sink.
class CNullTraceSink final : public ITraceSink {
public:
    void Trace(const char*) override {}
    static ITraceSink& Instance() {
        static CNullTraceSink s_sink;
        return s_sink;
    }
};
