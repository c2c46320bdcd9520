#include "qt/ThreadCalls.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

namespace {

QEvent::Type CallEventType() {
    static const auto s_type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return s_type;
}

class CCallEvent : public QEvent {
public:
    explicit CCallEvent(std::function<void()> fn) : QEvent(CallEventType()), m_fn(std::move(fn)) {}

    void Run() {
        if (m_fn) {
            m_fn();
        }
    }

private:
    std::function<void()> m_fn;
};

}  // namespace

void CThreadCalls::Post(std::function<void()> fn) {
    auto* pEvent = new CCallEvent(std::move(fn));
    m_nPosted.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(this, pEvent);
}

bool CThreadCalls::event(QEvent* pEvent) {
    // Pairs with the increment in Post: every event made before it, and what its maker wrote
    // before, is seen from here on, whatever Qt's queue did in between.
    m_nPosted.load(std::memory_order_acquire);
    if (pEvent->type() == CallEventType()) {
        static_cast<CCallEvent*>(pEvent)->Run();
        return true;
    }
    return QObject::event(pEvent);
}
