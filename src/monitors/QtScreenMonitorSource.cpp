#include "monitors/QtScreenMonitorSource.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

std::vector<MonitorInfo> CQtScreenMonitorSource::EnumMonitors() {
    std::vector<MonitorInfo> vecMonitors;
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        const QRect rc = pScreen->geometry();
        const qreal dRatio = pScreen->devicePixelRatio();
        const int nWidth = static_cast<int>(std::lround(rc.width() * dRatio));
        const int nHeight = static_cast<int>(std::lround(rc.height() * dRatio));
        MonitorInfo info;
        info.strDeviceName = pScreen->name().toStdString();
        info.rcMonitor = {rc.left(), rc.top(), rc.left() + nWidth, rc.top() + nHeight};
        vecMonitors.push_back(std::move(info));
    }
    return vecMonitors;
}
