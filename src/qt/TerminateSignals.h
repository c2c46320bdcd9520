#pragma once

#include <QObject>

class QSocketNotifier;

// The requests from outside to end the program: SIGTERM, SIGINT and SIGHUP. They arrive on
// whatever thread the kernel picks, at any instruction, so the handler does nothing but
// write the signal's number into a pipe (the self-pipe trick; write() is async-signal-safe).
// The pipe's reading end is watched by the user-interface thread's event loop, which reports
// each request there as terminateRequested(): the main window can then remove its tray icon,
// stop the reader and end the event loop, as safely as any other command.
//
// One instance per process, made on the user-interface thread before the event loop runs.
// Destroying it gives the three signals back their earlier handling.
class CTerminateSignals final : public QObject {
    Q_OBJECT

public:
    explicit CTerminateSignals(QObject* pParent = nullptr);
    ~CTerminateSignals() override;

    // The last signal reported, 0 before the first.
    int LastSignal() const { return m_nLastSignal; }

signals:
    void terminateRequested();

private:
    void OnReadable();

    int m_nReadFd = -1;
    int m_nWriteFd = -1;
    int m_nLastSignal = 0;
    QSocketNotifier* m_pNotifier = nullptr;
};
