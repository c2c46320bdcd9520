// The calibration page's view table against the Qt page: the core's list painted by the Qt
// painter into an image, and the real page widget as a user first sees it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

#include "CalPageViewCases.h"
#include "FakeCalibrationInput.h"
#include "qt/Cal.h"
#include "qt/CalPaint.h"

namespace {

std::function<CalColour(int, int)> PixelsOf(const QImage& image) {
    return [&image](int x, int y) {
        const QColor colour = image.pixelColor(x, y);
        return CalColour{colour.red(), colour.green(), colour.blue()};
    };
}

class CalPageViewQt : public ::testing::TestWithParam<CalPageViewCase> {};

}  // namespace

TEST_P(CalPageViewQt, PaintsWhatTheTableExpects) {
    const CalPageViewCase& c = GetParam();
    QImage image(c.nWidth, c.nHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintCalPageLook(painter, c.nWidth, c.nHeight, LookOfCase(c));
    }
    for (const std::string& strFailed : FailedChecks(c, PixelsOf(image))) {
        ADD_FAILURE() << strFailed;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CalPageViewQt, ::testing::ValuesIn(CalPageViewCases()),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// The page itself, brought to the same states by a scripted touch.
TEST(CalPageViewQtPage, ShowsWhatTheTableSays) {
    for (const int nCase : CAL_LIVE_CASES) {
        const CalPageViewCase c = WhileTheClockRuns(CalPageViewCases()[nCase]);
        SCOPED_TRACE(c.szCase);
        CScriptedCalTouch touch;
        if (c.targets[CAL_TOP_LEFT] == CalTargetState::Captured) {
            touch.Tap(100, 200);
        }
        CCal::Timing timing;
        timing.start = std::chrono::milliseconds(1);
        CCal cal(touch, nullptr, timing);
        cal.m_rcMonitor = {0, 0, c.nWidth, c.nHeight};
        cal.m_strDevice = CAL_VIEW_DEVICE;
        cal.show();
        QTRY_VERIFY(cal.TargetStates()[c.nActiveTarget] == CalTargetState::Active);
        const QImage image = cal.grab().toImage();
        for (const std::string& strFailed : FailedChecks(c, PixelsOf(image))) {
            ADD_FAILURE() << strFailed;
        }
        cal.reject();
    }
}
