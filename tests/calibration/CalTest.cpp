#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>

#include "FakeCalibrationInput.h"
#include "calibration/CalibrationCodes.h"
#include "qt/Cal.h"

using namespace std::chrono_literals;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int s_argc = 1;
        static char s_szName[] = "calibration_ui_tests";
        static char* s_argv[] = {s_szName, nullptr};
        m_pApp = std::make_unique<QApplication>(s_argc, s_argv);
    }
    void TearDown() override { m_pApp.reset(); }

private:
    std::unique_ptr<QApplication> m_pApp;
};

const auto* const g_pQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

CCal::Timing QuickTiming() {
    CCal::Timing timing;
    timing.start = 1ms;
    timing.finish = 1ms;
    timing.poll = 1ms;
    return timing;
}

// Runs the page modally; a page that never ends is ended after a while, so that the test fails
// instead of hanging.
int ExecWithLimit(CCal& cal) {
    QTimer::singleShot(30s, &cal, [&cal] { cal.done(99); });
    return cal.exec();
}

QColor PixelAt(CCal& cal, CalPoint pt) {
    return cal.grab().toImage().pixelColor(pt.x, pt.y);
}

const QColor g_grey(100, 100, 100);
const QColor g_black(0, 0, 0);
const QColor g_green(0, 255, 0);

}  // namespace

TEST(Cal, CoversTheMonitorWithTheLabelAndNoCursor) {
    CScriptedCalTouch touch;
    CCal cal(touch);
    cal.m_rcMonitor = {100, 50, 740, 530};
    cal.m_strDevice = "Panel 1";
    cal.show();

    // Native pixels; Qt's geometry divides them by the ratio (1 unless QT_SCALE_FACTOR says
    // otherwise) on a screen whose origin is 0, 0.
    const qreal dRatio = cal.devicePixelRatioF();
    EXPECT_EQ(cal.geometry(), QRect(QPoint(100, 50) / dRatio, QSize(640, 480) / dRatio));
    EXPECT_TRUE(cal.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(cal.cursor().shape(), Qt::BlankCursor);
    const auto* pLabel = cal.findChild<QLabel*>(QStringLiteral("ctl1018"));
    ASSERT_NE(pLabel, nullptr);
    EXPECT_EQ(pLabel->text(), QStringLiteral("Panel 1    Press \"ESC\" to Exit or wait for Timer"));
    cal.reject();
}

TEST(Cal, DrawsEachTargetFromItsState) {
    CScriptedCalTouch touch;
    touch.Hold(100, 200, 30);  // target 0 captured, and the finger stays on it
    CCal::Timing timing = QuickTiming();
    timing.start = 50ms;
    CCal cal(touch, nullptr, timing);
    cal.m_rcMonitor = {0, 0, 640, 480};
    cal.show();
    const auto positions = CalTargetPositions(640, 480);

    // Before timer 2 only the label shows.
    const QColor background = PixelAt(cal, {5, 470});
    EXPECT_EQ(PixelAt(cal, positions[0]), background);

    QTRY_VERIFY(cal.TargetStates()[0] == CalTargetState::Captured);
    EXPECT_EQ(PixelAt(cal, positions[0]), g_green);
    for (int i = 1; i < CAL_TARGET_COUNT; ++i) {
        EXPECT_EQ(PixelAt(cal, positions[i]), g_grey) << "target " << i;
    }
    // The arms reach 30 pixels out; the thick pen of the captured target too.
    EXPECT_EQ(PixelAt(cal, {positions[0].x - 29, positions[0].y}), g_green);
    EXPECT_EQ(PixelAt(cal, {positions[0].x + 2, positions[0].y - 29}), g_green);
    EXPECT_EQ(PixelAt(cal, {positions[1].x, positions[1].y + 29}), g_grey);
    EXPECT_EQ(PixelAt(cal, {positions[1].x + 1, positions[1].y + 1}), background);
    cal.reject();
}

TEST(Cal, TheActiveTargetIsBlack) {
    CScriptedCalTouch touch;
    CCal cal(touch, nullptr, QuickTiming());
    cal.m_rcMonitor = {0, 0, 640, 480};
    cal.show();
    QTRY_VERIFY(cal.TargetStates()[0] == CalTargetState::Active);
    EXPECT_EQ(PixelAt(cal, CalTargetPositions(640, 480)[0]), g_black);
    cal.reject();
}

TEST(Cal, FiveHoldsGiveTheComputedNumbers) {
    CScriptedCalTouch touch;
    touch.Tap(100, 200).Tap(110, 790).Tap(505, 500).Tap(900, 210).Tap(910, 800);
    CCal cal(touch);  // the real timings
    cal.m_rcMonitor = {0, 0, 1920, 1080};
    cal.m_strDevice = "Front";

    ASSERT_EQ(ExecWithLimit(cal), QDialog::Accepted);
    EXPECT_EQ(cal.GetResult(), 0u);
    EXPECT_EQ(cal.m_numbers,
              *ComputeCalibration({{100, 200}, {900, 210}, {910, 800}, {110, 790}, {505, 500}},
                                  1920, 1080));
    EXPECT_EQ(cal.m_numbers.m_dScaleY, 1.464406779661017);
    EXPECT_EQ(cal.Outcome(), CalOutcome::Calibrated);
    EXPECT_FALSE(cal.IsCapturing());
}

namespace {

struct EndRow {
    const char* szName;
    int nTaps;      // targets captured before the key
    Qt::Key key;    // Qt::Key_unknown: no key, wait for the page to end
    int nExpected;  // what exec() returns
    std::uint32_t nExpectedResult;
    CalOutcome outcome;  // what the user is told afterwards
};

const EndRow g_endRows[] = {
    {"EscBeforeAnyTouch", 0, Qt::Key_Escape, QDialog::Rejected, 0, CalOutcome::Cancelled},
    {"EscMidway", 2, Qt::Key_Escape, QDialog::Rejected, 0, CalOutcome::Cancelled},
    {"EnterMidwayKeepsNothing", 2, Qt::Key_Return, QDialog::Rejected, 0, CalOutcome::Cancelled},
    {"TargetTimeOut", 1, Qt::Key_unknown, QDialog::Rejected, CAL_ERR_TIMEOUT, CalOutcome::TimedOut},
};

class CalEndTest : public ::testing::TestWithParam<EndRow> {};

}  // namespace

TEST_P(CalEndTest, EndsWithTheStatusTheCallerExpects) {
    const EndRow& row = GetParam();
    const CalPoint taps[] = {{100, 200}, {110, 790}, {505, 500}, {900, 210}, {910, 800}};
    CScriptedCalTouch touch;
    for (int i = 0; i < row.nTaps; ++i) {
        touch.Tap(taps[i].x, taps[i].y);
    }
    CCal::Timing timing = QuickTiming();
    timing.target = 300ms;
    CCal cal(touch, nullptr, timing);
    cal.m_rcMonitor = {0, 0, 640, 480};
    cal.m_numbers.m_dScaleX = 42;  // left alone unless the page accepts

    QTimer poller;
    if (row.key != Qt::Key_unknown) {
        // Once the scripted taps are done (the next target is then active), press the key.
        QObject::connect(&poller, &QTimer::timeout, &cal, [&] {
            const auto states = cal.TargetStates();
            if (touch.Exhausted() && states[row.nTaps] == CalTargetState::Active) {
                poller.stop();
                QTest::keyClick(&cal, row.key);
            }
        });
        poller.start(1);
    }
    EXPECT_EQ(ExecWithLimit(cal), row.nExpected);
    EXPECT_EQ(cal.GetResult(), row.nExpectedResult);
    EXPECT_EQ(cal.Outcome(), row.outcome);
    EXPECT_EQ(cal.m_numbers.m_dScaleX, 42);
    EXPECT_FALSE(cal.IsCapturing());
    EXPECT_FALSE(cal.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Rows, CalEndTest, ::testing::ValuesIn(g_endRows),
                         [](const auto& info) { return std::string(info.param.szName); });

TEST(Cal, ReadingsWithoutASpanEndWithoutNumbers) {
    CScriptedCalTouch touch;
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        touch.Tap(512, 512);
    }
    CCal cal(touch, nullptr, QuickTiming());
    cal.m_rcMonitor = {0, 0, 640, 480};
    EXPECT_EQ(ExecWithLimit(cal), QDialog::Rejected);
    EXPECT_EQ(cal.GetResult(), 0u);
    EXPECT_EQ(cal.Outcome(), CalOutcome::NoSpan);
}
