#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "monitors/MonitorSource.h"

class QScreen;

// Hands the monitor list to apply at start and again whenever a monitor is added, removed
// or moved or resized, as the toolkit learns it (RandR on X11, the compositor's outputs on
// Wayland). A burst of changes (a new layout moves several screens at once) is applied once.
// User-interface thread.
class CScreenLayoutWatch final : public QObject {
    Q_OBJECT
public:
    using ApplyFn = std::function<void(const std::vector<MonitorInfo>&)>;

    CScreenLayoutWatch(IMonitorSource& monitors, ApplyFn apply, QObject* pParent = nullptr);

private:
    void Watch(QScreen* pScreen);
    void Schedule();
    void Apply();

    IMonitorSource& m_monitors;
    ApplyFn m_apply;
    bool m_bScheduled = false;
};
