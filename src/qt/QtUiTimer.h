#pragma once

#include <QTimer>
#include <functional>

#include "app/UiTimer.h"

// IUiTimer on a single-shot QTimer; onExpiry runs on the user-interface thread.
class CQtUiTimer final : public IUiTimer {
public:
    explicit CQtUiTimer(std::function<void()> onExpiry) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [fn = std::move(onExpiry)] { fn(); });
    }
    void Start(int nDelayMs) override { m_timer.start(nDelayMs); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};
