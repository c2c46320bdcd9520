#include "calibration/Cal.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QScreen>

#include "calibration/CalTouchSource.h"
#include "calibration/CalibrationCodes.h"
#include "devices/LegacyText.h"

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

namespace {

constexpr int g_nArmPx = 30;

QPen TargetPen(CalTargetState state) {
    QPen pen(Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    switch (state) {
        case CalTargetState::Active:
            pen.setColor(QColor(0, 0, 0));
            pen.setWidth(5);
            break;
        case CalTargetState::Captured:
            pen.setColor(QColor(0, 255, 0));
            pen.setWidth(5);
            break;
        case CalTargetState::Hidden:
        case CalTargetState::Inactive:
            pen.setColor(QColor(100, 100, 100));
            pen.setWidth(1);
            break;
    }
    return pen;
}

}  // namespace

CCal::CCal(ICalTouchSource& touch, ITraceSink* pTrace, QWidget* pParent)
    : CCal(touch, pTrace, Timing{}, pParent) {}

CCal::CCal(ICalTouchSource& touch, ITraceSink* pTrace, Timing timing, QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_touch(touch),
      m_pTrace(pTrace),
      m_timing(timing),
      m_pLabel(new QLabel(this)) {
    setObjectName(QStringLiteral("dlg130"));
    // Modal to its owner only: the tray icon stays usable while the page is up.
    setWindowModality(Qt::WindowModal);
    m_pLabel->setObjectName(QStringLiteral("ctl1018"));
    m_pLabel->move(10, 11);
    m_shown.targets.fill(CalTargetState::Hidden);

    for (QTimer* pTimer : {&m_timerStart, &m_timerFinish, &m_timerTarget}) {
        pTimer->setSingleShot(true);
        pTimer->setTimerType(Qt::PreciseTimer);
    }
    m_timerStart.setObjectName(QStringLiteral("timer2"));
    m_timerFinish.setObjectName(QStringLiteral("timer3"));
    m_timerTarget.setObjectName(QStringLiteral("timer5"));
    connect(&m_timerStart, &QTimer::timeout, this, &CCal::OnStartTimer);
    connect(&m_timerFinish, &QTimer::timeout, this, &CCal::OnFinishTimer);
    connect(&m_timerTarget, &QTimer::timeout, this, &CCal::OnTargetTimer);
}

CCal::~CCal() {
    StopCapture();
}

QString CCal::LabelText(const std::string& strDevice) {
    return QString::fromStdString(DisplayText(strDevice)) +
           QStringLiteral("    Press \"ESC\" to Exit or wait for Timer");
}

QRect CCal::LogicalGeometry(const ScreenRect& rcNative) {
    const QPoint ptNative(rcNative.left, rcNative.top);
    const QSize sizeNative(rcNative.right - rcNative.left, rcNative.bottom - rcNative.top);
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        const qreal dRatio = pScreen->devicePixelRatio();
        const QRect rcScreen = pScreen->geometry();
        const QRect rcScreenNative(rcScreen.topLeft(), rcScreen.size() * dRatio);
        if (rcScreenNative.contains(ptNative)) {
            return QRect(rcScreen.topLeft() + (ptNative - rcScreen.topLeft()) / dRatio,
                         sizeNative / dRatio);
        }
    }
    return QRect(ptNative, sizeNative);
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
    setGeometry(LogicalGeometry(m_rcMonitor));
    m_pLabel->setText(LabelText(m_strDevice));
    m_pLabel->adjustSize();
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
    if (!m_pThread || m_bEnded) {
        return;
    }
    m_shown = m_pThread->Snapshot();
    update();

    switch (m_shown.state) {
        case CaptureState::Counting:
        case CaptureState::AwaitingLift:
            if (m_shown.nActiveTarget != m_nTarget) {
                m_nTarget = m_shown.nActiveTarget;
                m_timerTarget.start(m_timing.target);
            }
            break;
        case CaptureState::Finished:
            m_numbers = *m_shown.numbers;
            m_bComputed = true;
            [[fallthrough]];
        case CaptureState::Failed:
            // The last target's time-out no longer applies: the page is ending anyway.
            m_timerTarget.stop();
            if (!m_timerFinish.isActive()) {
                m_timerFinish.start(m_timing.finish);
            }
            break;
        case CaptureState::TimedOut:
            OnTargetTimer();
            break;
        case CaptureState::Idle:
        case CaptureState::Cancelled:
            break;
    }
}

void CCal::OnFinishTimer() {
    done(m_bComputed ? Accepted : Rejected);
}

void CCal::OnTargetTimer() {
    if (m_bEnded) {
        return;
    }
    m_nResult = CAL_ERR_TIMEOUT;
    done(Rejected);
}

void CCal::OnOK() {
    if (m_pThread) {
        m_pThread->Enter();
    }
    done(m_bComputed ? Accepted : Rejected);
}

void CCal::reject() {
    if (m_pThread) {
        m_pThread->Cancel();
    }
    QDialog::reject();
}

void CCal::done(int nResult) {
    if (m_bEnded) {
        return;
    }
    m_bEnded = true;
    StopCapture();
    m_timerStart.stop();
    m_timerFinish.stop();
    m_timerTarget.stop();
    // Accepted promises numbers; nothing else may pass for them.
    if (nResult == Accepted && !m_bComputed) {
        nResult = Rejected;
    }
    QDialog::done(nResult);
}

void CCal::StopCapture() {
    if (m_pThread) {
        m_pThread->Stop();
    }
}

void CCal::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(pEvent);  // ESC: reject()
}

void CCal::paintEvent(QPaintEvent* pEvent) {
    QDialog::paintEvent(pEvent);
    if (m_shown.targets[0] == CalTargetState::Hidden) {
        return;
    }
    QPainter painter(this);
    // Positions, arms and pens are in native pixels, as the monitor rectangle is.
    const qreal dRatio = devicePixelRatioF();
    painter.scale(1.0 / dRatio, 1.0 / dRatio);
    const auto positions = CalTargetPositions(m_rcMonitor.right - m_rcMonitor.left,
                                              m_rcMonitor.bottom - m_rcMonitor.top);
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        const CalPoint pt = positions[i];
        painter.setPen(TargetPen(m_shown.targets[i]));
        painter.drawLine(pt.x - g_nArmPx, pt.y, pt.x + g_nArmPx, pt.y);
        painter.drawLine(pt.x, pt.y - g_nArmPx, pt.x, pt.y + g_nArmPx);
    }
}
