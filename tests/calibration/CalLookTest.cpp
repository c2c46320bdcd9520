// The calibration page as a user with a dark desktop theme and a display scale of 2 sees it,
// judged from the picture's pixels. The program has its own main: the scale must be set
// before the QApplication exists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>
#include <chrono>
#include <cmath>

#include "FakeCalibrationInput.h"
#include "qt/Cal.h"

using namespace std::chrono_literals;

namespace {

// The contrast ratio of two colours as accessibility guidelines define it (1 to 21).
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double d) {
            return d <= 0.03928 ? d / 12.92 : std::pow((d + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double dA = luminance(a), dB = luminance(b);
    return (std::max(dA, dB) + 0.05) / (std::min(dA, dB) + 0.05);
}

QPalette DarkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(53, 53, 53));
    palette.setColor(QPalette::WindowText, QColor(230, 230, 230));
    palette.setColor(QPalette::Base, QColor(35, 35, 35));
    palette.setColor(QPalette::Text, QColor(230, 230, 230));
    return palette;
}

}  // namespace

TEST(CalLook, TargetsKeepTheirContrastAndSizeInADarkThemeAtScaleTwo) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    CScriptedCalTouch touch;
    touch.Tap(100, 200);  // target 0 captured; target 1 becomes active
    CCal::Timing timing;
    timing.start = 1ms;
    timing.poll = 1ms;
    CCal cal(touch, nullptr, timing);
    cal.m_rcMonitor = {0, 0, 1280, 720};  // native pixels: 640 x 360 at scale 2
    cal.show();
    QTRY_VERIFY(cal.TargetStates()[1] == CalTargetState::Active);
    EXPECT_EQ(cal.Guide().strStep, "2 of 5");

    const QImage picture = cal.grab().toImage();
    ASSERT_EQ(picture.size(), QSize(1280, 720));
    const auto targets = CalTargetPositions(1280, 720);  // where the pixels are
    const auto at = [&](CalPoint pt, int nDx, int nDy) {
        return picture.pixelColor(pt.x + nDx, pt.y + nDy);
    };
    const QColor background = picture.pixelColor(4, 715);
    const QColor active = at(targets[1], 0, 0);

    // Dark on light whatever the theme: far above the 4.5:1 that text needs.
    EXPECT_GT(Contrast(active, background), 7.0);
    EXPECT_GT(background.lightness(), 200);

    // 30 device-independent pixels of arm and 5 of pen are 60 and 10 pixels at scale 2.
    EXPECT_EQ(at(targets[1], -58, 0), active);
    EXPECT_EQ(at(targets[1], 0, 58), active);
    EXPECT_EQ(at(targets[1], 0, -62), background);
    EXPECT_EQ(at(targets[1], -40, 4), active);
    EXPECT_EQ(at(targets[1], -40, 7), background);

    // Captured differs in shape too: a circle crosses the diagonal, which a waiting target
    // leaves empty.
    EXPECT_EQ(at(targets[0], 0, 0), QColor(0, 255, 0));
    EXPECT_EQ(at(targets[0], 23, -23), QColor(0, 255, 0));
    EXPECT_EQ(at(targets[2], 23, -23), background);

    // The guidance stands to the right of the active target, beyond the rings.
    int nDark = 0;
    for (int nX = targets[1].x + 128; nX < targets[1].x + 500; ++nX) {
        for (int nY = targets[1].y - 60; nY < targets[1].y + 60; ++nY) {
            nDark += Contrast(picture.pixelColor(nX, nY), background) > 4.5 ? 1 : 0;
        }
    }
    EXPECT_GT(nDark, 200);
    cal.reject();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setPalette(DarkPalette());
    return RUN_ALL_TESTS();
}
