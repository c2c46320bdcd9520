// The calibration page's view table against the Qt page: the core's list painted by the Qt
// painter into an image, and the real page widget as a user first sees it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

#include "CalPageViewCases.h"
#include "FakeCalibrationInput.h"
#include "calibration/Cal.h"
#include "calibration/CalPaint.h"

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

// The page itself, once its first target is up: the pixels of the same case, but for the time
// ring, which runs down while the test looks.
TEST(CalPageViewQtPage, ShowsTheFirstTargetAsTheTableSays) {
    CalPageViewCase c = CalPageViewCases()[1];
    std::erase_if(c.checks, [](const CalPixelCheck& check) {
        return std::string(check.szWhat).starts_with("time ring");
    });
    CScriptedCalTouch touch;
    CCal::Timing timing;
    timing.start = std::chrono::milliseconds(1);
    CCal cal(touch, nullptr, timing);
    cal.m_rcMonitor = {0, 0, c.nWidth, c.nHeight};
    cal.m_strDevice = CAL_VIEW_DEVICE;
    cal.show();
    QTRY_VERIFY(cal.TargetStates()[0] == CalTargetState::Active);
    const QImage image = cal.grab().toImage();
    for (const std::string& strFailed : FailedChecks(c, PixelsOf(image))) {
        ADD_FAILURE() << strFailed;
    }
    cal.reject();
}
