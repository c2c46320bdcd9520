#include "qt/QtHoldTimer.h"

#include <QThread>
#include <utility>

CQtHoldTimer::CQtHoldTimer(ExpiryFn onExpiry, QObject* pParent)
    : QObject(pParent), m_onExpiry(std::move(onExpiry)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_onExpiry) {
            m_onExpiry(m_nId, m_nTouch);
        }
    });
}

unsigned CQtHoldTimer::SetTimer(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) {
    if (QThread::currentThread() == thread()) {
        Arm(nId, nElapseMs, nTouch);
    } else {
        m_calls.Post([this, nId, nElapseMs, nTouch] { Arm(nId, nElapseMs, nTouch); });
    }
    return nId;
}

void CQtHoldTimer::KillTimer(unsigned nId) {
    if (QThread::currentThread() == thread()) {
        Kill(nId);
    } else {
        m_calls.Post([this, nId] { Kill(nId); });
    }
}

void CQtHoldTimer::Arm(unsigned nId, unsigned nElapseMs, std::uint64_t nTouch) {
    m_nId = nId;
    m_nTouch = nTouch;
    m_timer.start(static_cast<int>(nElapseMs));
}

void CQtHoldTimer::Kill(unsigned nId) {
    if (nId == m_nId) {
        m_timer.stop();
    }
}
