#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "FakeHoldTimer.h"
#include "RecordingPointerOutput.h"
#include "RecordingTraceSink.h"
#include "TouchPackets.h"
#include "touch/TouchProcessor.h"

namespace {

constexpr unsigned MOVE = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
constexpr unsigned LDOWN = MOUSEEVENTF_LEFTDOWN;
constexpr unsigned LUP = MOUSEEVENTF_LEFTUP;
constexpr unsigned RDOWN = MOUSEEVENTF_RIGHTDOWN;
constexpr unsigned RUP = MOUSEEVENTF_RIGHTUP;

// A calibration under which raw values are pixels: monitor 0..1000 on both axes with the
// 10 %, centre and 90 % lines at 100, 500 and 900 and a scale of 1, shifted by the origin.
TouchDevice IdentityDevice(int nLeft = 0, int nTop = 0) {
    TouchDevice device;
    device.m_rcMonitor = {nLeft, nTop, nLeft + 1000, nTop + 1000};
    device.m_dLeftX = device.m_dTopY = 100;
    device.m_dRightX = device.m_dBottomY = 900;
    device.m_dCenterX = device.m_dCenterY = 500;
    device.m_dScaleX = device.m_dScaleY = 1.0;
    return device;
}

class TouchProcessorTest : public ::testing::Test {
protected:
    TouchProcessorTest()
        : m_touch({m_output, m_timer, m_trace, [this](unsigned nId) { m_vecIcons.push_back(nId); },
                   &m_uiOutput}) {
        m_touch.SetActiveDevice(IdentityDevice());
        m_touch.SetPrecision(10);
        m_touch.SetRightClickTime(2000);
    }

    void Touch(int x, int y) { m_touch.ProcessPacket(TouchPacketText(true, x, y)); }
    void Lift(int x, int y) { m_touch.ProcessPacket(TouchPacketText(false, x, y)); }
    // The hold timer of the current touch runs out.
    void Expire() {
        ASSERT_TRUE(m_timer.LastArmed().has_value());
        m_touch.OnTimer(m_timer.LastArmed()->nId, m_timer.LastArmed()->nTouch);
    }
    std::vector<unsigned> TakeFlags() {
        std::vector<unsigned> vecFlags = m_output.Flags();
        m_output.Clear();
        return vecFlags;
    }
    MouseInput LastMove() const {
        for (auto inputs = m_output.Inputs(); !inputs.empty(); inputs.pop_back()) {
            if (inputs.back().dwFlags == MOVE) {
                return inputs.back();
            }
        }
        return {};
    }

    CRecordingPointerOutput m_output;
    CRecordingPointerOutput m_uiOutput;
    CFakeHoldTimer m_timer;
    CRecordingTraceSink m_trace;
    std::vector<unsigned> m_vecIcons;
    CTouchProcessor m_touch;
};

using Flags = std::vector<unsigned>;

}  // namespace

TEST_F(TouchProcessorTest, TapPressesAndReleasesTheLeftButton) {
    Touch(300, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN}));
    ASSERT_TRUE(m_timer.Running());
    EXPECT_EQ(m_timer.LastArmed()->nElapseMs, 2000u);
    Lift(300, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LUP}));
    EXPECT_FALSE(m_timer.Running());
    EXPECT_FALSE(m_touch.TouchDown());
}

TEST_F(TouchProcessorTest, DragMovesWithTheButtonDown) {
    Touch(300, 400);
    Touch(350, 420);
    Touch(400, 440);
    Lift(400, 440);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN, MOVE, MOVE, MOVE, LUP}));
}

TEST_F(TouchProcessorTest, ReleaseWithNothingHeldOnlyMoves) {
    Lift(300, 400);
    EXPECT_EQ(LastMove().nPixelX, 300);
    EXPECT_EQ(TakeFlags(), Flags{MOVE});
}

TEST_F(TouchProcessorTest, MovesAreNormalisedOnThePrimaryMonitor) {
    // The worked axis on a 1920 x 1080 primary display.
    TouchDevice device = IdentityDevice();
    device.m_rcMonitor = {0, 0, 1920, 1080};
    device.m_dLeftX = 180;
    device.m_dRightX = 860;
    device.m_dCenterX = 517;
    device.m_dScaleX = 1920.0 / 850.0;
    m_touch.SetActiveDevice(device);
    struct Row {
        int nRaw, nPixel, nDx;
    };
    for (const Row& row : {Row{600, 1147, 39170}, Row{700, 1366, 46649}, Row{517, 953, 32545},
                           Row{1000, 1918, 65500}}) {
        Lift(row.nRaw, 500);
        EXPECT_EQ(LastMove().nPixelX, row.nPixel) << row.nRaw;
        EXPECT_EQ(LastMove().dx, row.nDx) << row.nRaw;
    }
    // A point on a monitor right of the primary one normalises beyond 65535.
    m_touch.SetActiveDevice(IdentityDevice(1920, 0));
    Lift(500, 500);
    EXPECT_EQ(LastMove().nPixelX, 2420);
    EXPECT_EQ(LastMove().dx, static_cast<int>(2420 * (65535.0 / 1919)));
    EXPECT_GT(LastMove().dx, 65535);
}

TEST_F(TouchProcessorTest, PointsOffTheMonitorAreKeptOnIt) {
    // A monitor from 100 to 900 with a calibration that maps raw values onto themselves.
    TouchDevice device;
    device.m_rcMonitor = {100, 100, 900, 900};
    device.m_dLeftX = device.m_dTopY = 180;
    device.m_dRightX = device.m_dBottomY = 820;
    device.m_dCenterX = device.m_dCenterY = 500;
    device.m_dScaleX = device.m_dScaleY = 1.0;
    m_touch.SetActiveDevice(device);
    struct Row {
        int nRawX, nRawY, nPixelX, nPixelY;
    };
    for (const Row& row :
         {Row{0, 500, 102, 500}, Row{1023, 500, 898, 500}, Row{500, 0, 500, 100},
          Row{500, 1023, 500, 899}, Row{500, 900, 500, 899},  // bottom itself is the monitor below
          Row{500, 899, 500, 899}, Row{100, 100, 100, 100}}) {
        Lift(row.nRawX, row.nRawY);
        EXPECT_EQ(LastMove().nPixelX, row.nPixelX) << row.nRawX << "," << row.nRawY;
        EXPECT_EQ(LastMove().nPixelY, row.nPixelY) << row.nRawX << "," << row.nRawY;
    }
}

TEST_F(TouchProcessorTest, SwapExchangesTheAxesBeforeMapping) {
    TouchDevice device = IdentityDevice();
    device.m_bSwapXY = 1;
    m_touch.SetActiveDevice(device);
    Lift(300, 700);
    EXPECT_EQ(LastMove().nPixelX, 700);
    EXPECT_EQ(LastMove().nPixelY, 300);
}

TEST_F(TouchProcessorTest, SecondTapWithinThePrecisionSnapsOntoTheFirst) {
    Touch(500, 400);
    Lift(500, 400);
    m_output.Clear();
    Touch(506, 395);
    // The snapped point is where the pointer goes before the button is pressed.
    const auto inputs = m_output.Inputs();
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[0].nPixelX, 500);
    EXPECT_EQ(inputs[0].nPixelY, 400);
    EXPECT_EQ(inputs[1].dwFlags, LDOWN);
    // Later packets of the same touch move freely.
    Touch(507, 396);
    EXPECT_EQ(LastMove().nPixelX, 507);
    Lift(507, 396);
    // Farther than the precision: a new reference, not snapped.
    Touch(511, 400);
    EXPECT_EQ(LastMove().nPixelX, 511);
    Lift(511, 400);
    Touch(505, 400);  // within 10 of 511, not of 500
    EXPECT_EQ(LastMove().nPixelX, 511);
}

TEST_F(TouchProcessorTest, HoldingStillMakesARightClickWithTheNextPacket) {
    Touch(300, 400);
    TakeFlags();
    Expire();
    EXPECT_TRUE(TakeFlags().empty());  // the expiry itself sends nothing
    EXPECT_TRUE(m_touch.HoldElapsed());
    Touch(305, 408);  // within 10 px of the press
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LUP, RDOWN, RUP}));
    EXPECT_EQ(m_trace.Lines().back(), "RightClick from Timer ");
    Touch(306, 408);
    Lift(306, 408);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, MOVE}));  // the lift sends no button
    EXPECT_FALSE(m_touch.TouchDown());
    EXPECT_FALSE(m_touch.HoldElapsed());
}

TEST_F(TouchProcessorTest, MovingAwayAfterTheHoldKeepsTheLeftPress) {
    Touch(300, 400);
    Expire();
    TakeFlags();
    Touch(320, 400);  // 20 px away: no right click, the press goes on
    EXPECT_EQ(TakeFlags(), Flags{MOVE});
    EXPECT_TRUE(m_touch.TouchDown());
    EXPECT_FALSE(m_touch.HoldElapsed());
    Lift(320, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LUP}));
}

TEST_F(TouchProcessorTest, LiftAfterTheHoldTimeReleasesTheLeftButton) {
    Touch(300, 400);
    Expire();
    TakeFlags();
    Lift(300, 400);  // before any further touch packet
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LUP}));
    // The next touch elsewhere is a fresh press, not a drag from the old point.
    Touch(700, 700);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN}));
}

TEST_F(TouchProcessorTest, LateExpiryOfALiftedTouchIsDropped) {
    Touch(300, 400);
    Lift(300, 400);
    Expire();  // the lift's kill and the expiry crossed
    EXPECT_FALSE(m_touch.HoldElapsed());
    TakeFlags();
    Touch(302, 402);
    Lift(302, 402);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN, MOVE, LUP}));
}

TEST_F(TouchProcessorTest, ExpiryOfAnEarlierTouchDoesNotCutTheCurrentOne) {
    Touch(300, 400);
    const auto earlier = *m_timer.LastArmed();
    Lift(300, 400);
    Touch(600, 600);
    m_touch.OnTimer(earlier.nId, earlier.nTouch);
    EXPECT_TRUE(m_touch.TouchDown());
    EXPECT_FALSE(m_touch.HoldElapsed());
    TakeFlags();
    Lift(600, 600);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LUP}));
}

TEST_F(TouchProcessorTest, NoHoldTimerWhenTheDelayIsZeroOrArmingFails) {
    m_touch.SetRightClickTime(0);
    Touch(300, 400);
    EXPECT_EQ(m_timer.ArmCount(), 0);
    Lift(300, 400);
    m_touch.SetRightClickTime(2000);
    m_timer.FailArming(true);
    Touch(300, 400);
    Expire();  // a stray expiry for timer id 0 is not ours
    EXPECT_FALSE(m_touch.HoldElapsed());
}

TEST_F(TouchProcessorTest, TrayRightClickIsOneRightClickAndItsLiftSendsNothing) {
    m_touch.SetTrayRightClick(true);
    Touch(300, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, RDOWN, RUP}));
    EXPECT_EQ(m_trace.Lines().back(), "RightClick from Tray");
    EXPECT_FALSE(m_touch.TrayRightClick());
    EXPECT_EQ(m_vecIcons, std::vector<unsigned>{139});
    Touch(300, 400);
    Lift(300, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, MOVE}));
    // The tap after it is an ordinary tap.
    Touch(600, 600);
    Lift(600, 600);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN, MOVE, LUP}));
}

TEST_F(TouchProcessorTest, HoldExpiryDisarmsTheTrayRightClick) {
    Touch(300, 400);
    m_touch.SetTrayRightClick(true);
    Expire();
    EXPECT_FALSE(m_touch.TrayRightClick());
}

TEST_F(TouchProcessorTest, NonFiniteCalibrationMovesNothingButReleasesTheButton) {
    for (double dBad :
         {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        TouchDevice device = IdentityDevice();
        device.m_dScaleX = dBad;
        m_touch.SetActiveDevice(device);
        Touch(300, 400);
        Lift(300, 400);
        EXPECT_EQ(TakeFlags(), (Flags{LDOWN, LUP})) << dBad;
    }
    // A good calibration afterwards snaps and moves normally.
    m_touch.SetActiveDevice(IdentityDevice());
    Touch(300, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN}));
}

TEST_F(TouchProcessorTest, CalibrationModePublishesRawValuesOnly) {
    TouchDevice device = IdentityDevice();
    device.m_bSwapXY = 1;
    m_touch.SetActiveDevice(device);
    m_touch.SetCalibrating(true);
    EXPECT_EQ(m_touch.CalRawX(), CAL_RELEASED_RAW);
    m_trace.Clear();
    Touch(123, 456);
    EXPECT_TRUE(m_touch.TouchDown());
    EXPECT_EQ(m_touch.CalRawX(), 456);  // after the swap
    EXPECT_EQ(m_touch.CalRawY(), 123);
    Lift(123, 456);
    EXPECT_FALSE(m_touch.TouchDown());
    EXPECT_EQ(m_touch.CalRawX(), CAL_RELEASED_RAW);
    EXPECT_EQ(m_touch.CalRawY(), CAL_RELEASED_RAW);
    EXPECT_TRUE(m_output.Inputs().empty());
    EXPECT_EQ(m_timer.ArmCount(), 0);
    EXPECT_EQ(m_trace.Lines(), (std::vector<std::string>{"MousePressed\n", "Released\n"}));
}

TEST_F(TouchProcessorTest, EnteringCalibrationReleasesAPressInProgress) {
    Touch(300, 400);
    m_touch.SetCalibrating(true);
    EXPECT_EQ(m_uiOutput.Flags(), Flags{LUP});
    EXPECT_FALSE(m_timer.Running());
    EXPECT_FALSE(m_touch.TouchDown());
    // Leaving it with the finger still down does not leave a phantom press behind.
    Touch(300, 400);
    m_touch.SetCalibrating(false);
    TakeFlags();
    Lift(300, 400);
    EXPECT_EQ(TakeFlags(), Flags{MOVE});
}

// However the capture ends (its time-out, ESC, the fifth target), a finger still resting
// then is no new touch: it moves the pointer only, even with a right click armed, until it
// has lifted once.
TEST_F(TouchProcessorTest, AFingerRestingWhenCalibrationEndsMustLiftFirst) {
    for (bool bTrayArmed : {false, true}) {
        SCOPED_TRACE(bTrayArmed ? "tray right click armed" : "plain");
        m_touch.SetCalibrating(true);
        Touch(300, 400);
        m_touch.SetCalibrating(false);
        m_touch.SetTrayRightClick(bTrayArmed);
        TakeFlags();
        Touch(300, 400);
        Touch(302, 401);
        EXPECT_EQ(TakeFlags(), (Flags{MOVE, MOVE}));
        EXPECT_FALSE(m_timer.Running());
        Lift(302, 401);
        EXPECT_EQ(TakeFlags(), Flags{MOVE});
        // The next touch is a touch again.
        Touch(600, 600);
        EXPECT_EQ(TakeFlags(), bTrayArmed ? (Flags{MOVE, RDOWN, RUP}) : (Flags{MOVE, LDOWN}));
        Lift(600, 600);
        TakeFlags();
    }
    // Lifted before the end: the next touch presses at once.
    m_touch.SetCalibrating(true);
    Touch(300, 400);
    Lift(300, 400);
    m_touch.SetCalibrating(false);
    Touch(300, 400);
    EXPECT_EQ(TakeFlags(), (Flags{MOVE, LDOWN}));
}

TEST_F(TouchProcessorTest, DeviceGoneReleasesOnlyAHeldLeftButton) {
    Touch(300, 400);
    TakeFlags();
    m_touch.ReleaseHeldButtons();
    EXPECT_EQ(TakeFlags(), Flags{LUP});
    m_touch.ReleaseHeldButtons();
    EXPECT_TRUE(TakeFlags().empty());
    // Right-clicked: the left button is already up.
    Touch(300, 400);
    Expire();
    Touch(300, 400);
    TakeFlags();
    m_touch.ReleaseHeldButtons();
    EXPECT_TRUE(TakeFlags().empty());
}

TEST_F(TouchProcessorTest, ShortTextsDoNotCrash) {
    for (const char* szText : {"", "1", "11", "1100000000000001"}) {
        m_touch.ProcessPacket(szText);
    }
    SUCCEED();
}
