#include "qt/QtScreenMonitorSource.h"

#include <QGuiApplication>
#include <QScreen>

std::vector<ToolkitScreen> CQtScreenMonitorSource::Screens() {
    std::vector<ToolkitScreen> vecScreens;
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        const QRect rc = pScreen->geometry();
        ToolkitScreen screen;
        screen.strName = pScreen->name().toStdString();
        screen.nLeft = rc.left();
        screen.nTop = rc.top();
        screen.nWidth = rc.width();
        screen.nHeight = rc.height();
        screen.dDevicePixelRatio = pScreen->devicePixelRatio();
        vecScreens.push_back(std::move(screen));
    }
    return vecScreens;
}

ScreenSpace CQtScreenMonitorSource::Space() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
               ? ScreenSpace::CompositorLayout
               : ScreenSpace::DevicePixels;
}

std::vector<MonitorInfo> CQtScreenMonitorSource::EnumMonitors() {
    const ScreenSpace space = Space();
    std::vector<MonitorInfo> vecMonitors;
    for (const ToolkitScreen& screen : Screens()) {
        vecMonitors.push_back(MonitorOfScreen(screen, space));
    }
    return vecMonitors;
}
