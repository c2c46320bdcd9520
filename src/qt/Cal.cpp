#include "qt/Cal.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QScreen>

#include "calibration/CalTouchSource.h"
#include "calibration/CalibrationCodes.h"
#include "qt/CalPaint.h"
#include "qt/QtScreenMonitorSource.h"

// The page's course, with the timers that drive it:
//
//   shown            label set, cursor hidden, timer 2 (100 ms) armed
//   timer 2          targets drawn grey, target 0 black, capture thread started
//   target i active  timer 5 (5 s) armed anew for it; the capture reads it, draws it green,
//                    waits for the lift, activates the next
//   numbers done     timer 5 stopped, timer 3 (100 ms) armed; the thread has ended
//   timer 3          Accepted (Rejected when the readings gave no numbers)
//   ESC              Rejected
//   Enter            Accepted once the numbers exist, Rejected before
//   time-out         Rejected with CAL_ERR_TIMEOUT; the capture notices it at its next poll,
//                    timer 5 on the page's own clock, whichever comes first
//
// The capture thread never ends the page: it only reports, through a queued call, and the
// page ends itself on this thread. Every way out passes done(), which stops and joins the
// thread first, so the thread never outlives the page or runs while it closes.
// The targets are painted from their state, so an expose or a repaint shows them again.
// What to paint (the guidance, the outcome) and when to end are decided by CCalPage in the
// core; this page paints, runs the timers and the capture thread, and forwards keys and timers.

CCal::CCal(ICalTouchSource& touch, ITraceSink* pTrace, QWidget* pParent)
    : CCal(touch, pTrace, Timing{}, pParent) {}

CCal::CCal(ICalTouchSource& touch, ITraceSink* pTrace, Timing timing, QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_touch(touch),
      m_pTrace(pTrace),
      m_timing(timing),
      m_pLabel(new QLabel(this)),
      m_page(*this, m_timing.target) {
    setObjectName(QStringLiteral("dlg130"));
    // Modal to its owner only: the tray icon stays usable while the page is up.
    setWindowModality(Qt::WindowModal);
    m_pLabel->setObjectName(QStringLiteral("ctl1018"));
    // The page paints its own light background whatever the theme, and the label with the
    // rest of the page from the core's list; the label widget only carries the text for tools
    // and tests that look for control 1018.
    QPalette palette = this->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, ToQColor(CalLook::BACKGROUND));
    }
    setPalette(palette);
    m_pLabel->hide();

    for (QTimer* pTimer : {&m_timerStart, &m_timerFinish, &m_timerTarget}) {
        pTimer->setSingleShot(true);
        pTimer->setTimerType(Qt::PreciseTimer);
    }
    m_timerStart.setObjectName(QStringLiteral("timer2"));
    m_timerFinish.setObjectName(QStringLiteral("timer3"));
    m_timerTarget.setObjectName(QStringLiteral("timer5"));
    connect(&m_timerStart, &QTimer::timeout, this, &CCal::OnStartTimer);
    connect(&m_timerFinish, &QTimer::timeout, this, [this] { m_page.OnFinishTimer(); });
    connect(&m_timerTarget, &QTimer::timeout, this, [this] { m_page.OnTargetTimer(); });
}

CCal::~CCal() {
    StopCapture();
}

QString CCal::LabelText(const std::string& strDevice) {
    return QString::fromStdString(CalPageLabel(strDevice));
}

QRect CCal::LogicalGeometry(const ScreenRect& rcNative) {
    const ScreenRect rc = ToolkitRectOfMonitor(CQtScreenMonitorSource::Screens(), rcNative,
                                               CQtScreenMonitorSource::Space());
    return QRect(QPoint(rc.left, rc.top), QSize(rc.right - rc.left, rc.bottom - rc.top));
}

void CCal::setVisible(bool bVisible) {
    if (bVisible && !m_bInitialised) {
        InitDialog();
    }
    QDialog::setVisible(bVisible);
}

void CCal::InitDialog() {
    m_bInitialised = true;
    setCursor(Qt::BlankCursor);
    const QRect rcPage = LogicalGeometry(m_rcMonitor);
    setGeometry(rcPage);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // A Wayland client cannot place its windows; it can only ask for a screen, full
        // screen, which covers the monitor just the same.
        if (QScreen* pScreen = QGuiApplication::screenAt(rcPage.center())) {
            setScreen(pScreen);
        }
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
    m_pLabel->setText(LabelText(m_strDevice));
    setAccessibleName(m_pLabel->text());  // the label is painted, so a reader needs it here
    m_timerStart.start(m_timing.start);
}

void CCal::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    // ESC must reach the page even where no window manager hands out the focus.
    raise();
    activateWindow();
}

void CCal::OnStartTimer() {
    // The capture's time-out and timer 5 measure the same time; see the course above.
    CCalibrationThread::Options options;
    options.pollPeriod = m_timing.poll;
    options.targetTimeout = m_timing.target;
    m_pThread = std::make_unique<CCalibrationThread>(
        m_touch, m_rcMonitor.right - m_rcMonitor.left, m_rcMonitor.bottom - m_rcMonitor.top,
        m_pTrace, [this] { m_captureCalls.Post([this] { OnCaptureChanged(); }); }, options);
    m_pThread->Start();
    OnCaptureChanged();
}

void CCal::OnCaptureChanged() {
    if (m_pThread && !m_page.Ended()) {
        m_page.OnCaptureChanged(m_pThread->Snapshot());
    }
}

void CCal::StartTargetTimer() {
    m_timerTarget.start(m_timing.target);
}

void CCal::StopTargetTimer() {
    m_timerTarget.stop();
}

void CCal::StartFinishTimer() {
    m_timerFinish.start(m_timing.finish);
}

void CCal::Repaint() {
    update();
}

void CCal::Close(bool bAccepted) {
    done(bAccepted ? Accepted : Rejected);
}

void CCal::reject() {
    if (m_pThread) {
        m_pThread->Cancel();
    }
    QDialog::reject();
}

void CCal::done(int nResult) {
    if (!m_page.End(nResult == Accepted)) {
        return;
    }
    StopCapture();
    m_timerStart.stop();
    m_timerFinish.stop();
    m_timerTarget.stop();
    if (m_page.Accepted()) {
        m_numbers = m_page.Numbers();
    }
    QDialog::done(m_page.Accepted() ? Accepted : Rejected);
}

void CCal::StopCapture() {
    if (m_pThread) {
        m_pThread->Stop();
    }
}

void CCal::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        if (m_pThread) {
            m_pThread->Enter();
        }
        m_page.OnEnter();
        return;
    }
    QDialog::keyPressEvent(pEvent);  // ESC: reject()
}

void CCal::paintEvent(QPaintEvent* pEvent) {
    QDialog::paintEvent(pEvent);
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(CalLook::BACKGROUND));
    // The list is in the monitor's own units (device pixels, or the compositor's layout on
    // Wayland) with its sizes at the display's scale; the painter works in device-independent
    // ones, so it paints the list scaled back.
    const qreal dRatio = CQtScreenMonitorSource::Space() == ScreenSpace::CompositorLayout
                             ? 1.0
                             : devicePixelRatioF();
    const int nWidth = m_rcMonitor.right - m_rcMonitor.left;
    const int nHeight = m_rcMonitor.bottom - m_rcMonitor.top;
    painter.scale(1.0 / dRatio, 1.0 / dRatio);
    PaintCalPageLook(painter, nWidth, nHeight,
                     m_page.Look(nWidth, nHeight, dRatio, CalPageLabel(m_strDevice)));
}
