#pragma once

#include <QObject>
#include <atomic>
#include <functional>

#include "app/UiDispatcher.h"

// Runs functions on the thread this object lives in, asked for from any other thread (the
// reader and calibration threads asking the user-interface thread).
//
// Qt's queued invokeMethod would do, but it shares one reference-counted slot object
// between the two threads and hands it over through locks and atomics inside Qt, which is
// not built with ThreadSanitizer; the sanitizer then reports the hand-over as a race on
// every call and real races among them go unseen. Here the asking thread makes an event
// that only the receiving thread reads and deletes, published through a counter of ours
// (released after the event is made, acquired before it is looked at). Calls still pending
// when the object goes are dropped with it.
class CThreadCalls : public QObject, public IUiDispatcher {
public:
    explicit CThreadCalls(QObject* pParent = nullptr) : QObject(pParent) {}

    // Queues fn to run on this object's thread; returns at once.
    void Post(std::function<void()> fn) override;

protected:
    bool event(QEvent* pEvent) override;

private:
    std::atomic<unsigned long> m_nPosted{0};
};
