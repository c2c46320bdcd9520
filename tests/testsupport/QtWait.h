#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <chrono>

// Runs the Qt event loop until bCondition holds or the deadline passes: for tests whose
// code under test works through timers and queued calls on the user-interface thread.
template <typename Condition>
bool PumpUntil(Condition bCondition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!bCondition()) {
        if (elapsed.elapsed() >= timeout.count()) {
            return bCondition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
