#include "qt/ScreenLayoutWatch.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <utility>

CScreenLayoutWatch::CScreenLayoutWatch(IMonitorSource& monitors, ApplyFn apply, QObject* pParent)
    : QObject(pParent), m_monitors(monitors), m_apply(std::move(apply)) {
    auto* pApp = qGuiApp;
    connect(pApp, &QGuiApplication::screenAdded, this, [this](QScreen* pScreen) {
        Watch(pScreen);
        Schedule();
    });
    connect(pApp, &QGuiApplication::screenRemoved, this, &CScreenLayoutWatch::Schedule);
    connect(pApp, &QGuiApplication::primaryScreenChanged, this, &CScreenLayoutWatch::Schedule);
    for (QScreen* pScreen : QGuiApplication::screens()) {
        Watch(pScreen);
    }
    Apply();
}

void CScreenLayoutWatch::Watch(QScreen* pScreen) {
    connect(pScreen, &QScreen::geometryChanged, this, &CScreenLayoutWatch::Schedule);
}

void CScreenLayoutWatch::Schedule() {
    if (m_bScheduled) {
        return;
    }
    m_bScheduled = true;
    QTimer::singleShot(0, this, &CScreenLayoutWatch::Apply);
}

void CScreenLayoutWatch::Apply() {
    m_bScheduled = false;
    m_apply(m_monitors.EnumMonitors());
}
