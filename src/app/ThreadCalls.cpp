#include "app/ThreadCalls.h"

#include <QCoreApplication>
#include <QEvent>
#include <atomic>
#include <utility>

namespace {

QEvent::Type CallEventType() {
    static const auto s_type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return s_type;
}

class CCallEvent : public QEvent {
public:
    explicit CCallEvent(std::function<void()> fn) : QEvent(CallEventType()), m_fn(std::move(fn)) {
        m_bPublished.store(true, std::memory_order_release);
    }

    void Run() {
        // Pairs with the store above: everything the asking thread wrote before posting is
        // seen here, whatever Qt's queue did in between.
        if (m_bPublished.load(std::memory_order_acquire) && m_fn) {
            m_fn();
        }
    }

private:
    std::function<void()> m_fn;
    std::atomic<bool> m_bPublished{false};
};

}  // namespace

void CThreadCalls::Post(std::function<void()> fn) {
    QCoreApplication::postEvent(this, new CCallEvent(std::move(fn)));
}

bool CThreadCalls::event(QEvent* pEvent) {
    if (pEvent->type() == CallEventType()) {
        static_cast<CCallEvent*>(pEvent)->Run();
        return true;
    }
    return QObject::event(pEvent);
}
