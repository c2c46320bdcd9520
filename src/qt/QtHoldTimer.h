#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "qt/ThreadCalls.h"
#include "touch/HoldTimer.h"

// The hold timer on the user-interface thread. The reader thread arms and kills it through
// queued calls, which run in the order they were made, so the timer always follows the
// packets; calls made on the user-interface thread itself act at once. An expiry reports the
// touch it was armed for, and the touch processor drops it when that touch is over.
class CQtHoldTimer final : public QObject, public IHoldTimer {
    Q_OBJECT
public:
    using ExpiryFn = std::function<void(unsigned nId, std::uint64_t nTouch)>;

    // Made on the user-interface thread; onExpiry runs there.
    explicit CQtHoldTimer(ExpiryFn onExpiry, QObject* pParent = nullptr);

    unsigned SetTimer(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) override;
    void KillTimer(unsigned nId) override;

    bool IsActive() const { return m_timer.isActive(); }

private:
    void Arm(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch);
    void Kill(unsigned nId);

    ExpiryFn m_onExpiry;
    QTimer m_timer;
    CThreadCalls m_calls;  // Arm and Kill asked for by the reader thread
    unsigned m_nId = 0;
    std::uint64_t m_nTouch = 0;
};
