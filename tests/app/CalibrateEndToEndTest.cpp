// The Calibrate command end to end on a real X server: the simulator plays the five target
// touches of a panel with a known linear model through a pseudo-terminal, the page captures
// them, and then touches at random screen points must land, through the reader thread and
// XTest, where an independent mapping of the new numbers puts them and within the derived
// bound of where they were aimed. ESC and Enter reach the page as real key events.
//
// The program has its own main: the QApplication must use the private X server (xcb), not the
// offscreen platform, for the page to get real key events.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "LiveWindow.h"
#include "PanelModel.h"
#include "QtWait.h"
#include "Xvfb.h"
#include "calibration/CalibrationCodes.h"
#include "calibration/CalibrationNumbers.h"
#include "qt/Cal.h"

namespace {

CXvfb* g_pXvfb = nullptr;

using Kind = PointerEvent::Kind;

struct MonitorPanel {
    const char* szMonitor;
    PanelRow panel;
};

const MonitorPanel g_panels[] = {
    {"LEFT", {"Plain", {0, 0, 1920, 1080}, {50, 900.0 / 1920}, {80, 850.0 / 1080}, false}},
    {"LEFT", {"MirroredX", {0, 0, 1920, 1080}, {980, -900.0 / 1920}, {80, 850.0 / 1080}, false}},
    {"RIGHT",
     {"SwappedMirroredOnTheSecondMonitor",
      {1920, 0, 3840, 1080},
      {1000, -940.0 / 1920},
      {20, 990.0 / 1080},
      true}},
};

class CalibrateEndToEnd : public ::testing::TestWithParam<MonitorPanel> {
protected:
    void SetUp() override {
        m_pLive = std::make_unique<CLiveWindow>(g_pXvfb->Display(), 7);
        ASSERT_TRUE(m_pLive->Ok()) << m_pLive->m_sim.ErrorLog();
        m_pDlg = &m_pLive->m_dlg;
        m_pSim = &m_pLive->m_sim;
        m_pDlg->Touch().SetPrecision(5);

        TouchDevice device;
        device.m_strName = "Panel";
        device.m_strMonitor = GetParam().szMonitor;
        device.m_strPort = "COM7";
        device.m_strBaudRate = "9600";
        device.m_bConnect = 1;
        device.m_bSwapXY = GetParam().panel.bSwapXY;
        m_pLive->Connect(device);
        ASSERT_TRUE(m_pDlg->Port().IsOpen());
    }

    const PanelRow& Panel() const { return GetParam().panel; }
    int Width() const { return Panel().rcMonitor.right - Panel().rcMonitor.left; }
    int Height() const { return Panel().rcMonitor.bottom - Panel().rcMonitor.top; }

    // Touches the targets as a person does, from inside the page's loop: step i goes out when
    // the page shows its target as the one to touch (and bMayTouch(i) agrees), and the finger
    // rests until the page shows it captured, in short holds that are renewed as each one
    // ends. A slow machine polls the touch less often; the round then takes longer instead of
    // ending with a lift before the page counted enough of the touch.
    void TouchTargets(
        QTimer& pacer, std::vector<CalPoint> vecTouches,
        std::function<bool(int)> bMayTouch = [](int) { return true; }) {
        QObject::connect(
            &pacer, &QTimer::timeout, [=, this, nStep = 0, nHold = 0, bDown = false]() mutable {
                const auto* pPage = qobject_cast<const CCal*>(QApplication::activeModalWidget());
                if (!pPage || nStep == static_cast<int>(vecTouches.size())) {
                    return;
                }
                const bool bActive =
                    pPage->TargetStates()[nStep % CAL_TARGET_COUNT] == CalTargetState::Active;
                // Each hold ends with an echo of its own number, so a renewal follows its end.
                const auto hold = [&nHold] {
                    return "hold 50\necho held " + std::to_string(++nHold) + "\n";
                };
                if (!bDown && bActive && bMayTouch(nStep)) {
                    const CalPoint raw = vecTouches[nStep];
                    bDown = m_pSim->Send("down " + std::to_string(raw.x) + ' ' +
                                         std::to_string(raw.y) + "\n" + hold());
                } else if (bDown && !bActive) {
                    EXPECT_TRUE(m_pSim->Send("up\n"));
                    bDown = false;
                    ++nStep;
                } else if (bDown && m_pSim->Process().WaitForLine("held " + std::to_string(nHold),
                                                                  std::chrono::milliseconds(0))) {
                    EXPECT_TRUE(m_pSim->Send(hold()));
                }
            });
        pacer.start(10);
    }

    std::vector<CalPoint> TargetPoints(int nTargets, int nCentreOffX = 0) const {
        std::vector<CalPoint> vecTouches;
        for (int i = 0; i < nTargets; ++i) {
            vecTouches.push_back(
                TargetRaw(i % CAL_TARGET_COUNT, i == CAL_CENTRE ? nCentreOffX : 0));
        }
        return vecTouches;
    }

    CalPoint TargetRaw(int nTarget, int nOffX = 0) const {
        const CalPoint pt = CalTargetPositions(Width(), Height())[nTarget];
        return ControllerRaw(Panel(), pt.x + nOffX, pt.y);
    }

    std::vector<std::string> Notifications() const {
        std::vector<std::string> texts;
        for (const auto& [strTitle, strText] : m_pLive->m_tray.Notifications()) {
            texts.push_back(strTitle);
        }
        return texts;
    }

    void PressKeyAfter(int nMs, const char* szKey) {
        QTimer::singleShot(nMs, [szKey] {
            g_pXvfb->Run(std::string("xdotool key ") + szKey + " >/dev/null 2>&1");
        });
    }

    std::unique_ptr<CLiveWindow> m_pLive;
    CTactiloDlg* m_pDlg = nullptr;
    CSimulatorProcess* m_pSim = nullptr;
};

}  // namespace

TEST_P(CalibrateEndToEnd, TouchesLandWhereTheyWereAimed) {
    ASSERT_TRUE(m_pSim->Send("rate 100\n"));
    QTimer pacer;
    TouchTargets(pacer, TargetPoints(CAL_TARGET_COUNT));
    m_pDlg->OnCalibrate();
    pacer.stop();
    ASSERT_EQ(m_pDlg->Hub().m_nStatus, 0u);
    ASSERT_TRUE(m_pLive->m_messages.Messages().empty());
    const TouchDevice& device = m_pDlg->Hub().m_activeDevice;
    const ScreenRect& rc = Panel().rcMonitor;
    EXPECT_EQ(device.m_rcMonitor, rc);
    // The numbers reached the device's line, and nothing else of it changed.
    const TouchDevice line = ParseDeviceLine(m_pDlg->Hub().m_arrDeviceLines.GetAt(0));
    EXPECT_EQ(FormatDeviceLine(line), FormatDeviceLine(device));
    EXPECT_EQ(line.m_strName, "Panel");

    std::mt19937 random(7);
    std::uniform_int_distribution<int> pickX(2, Width() - 3);
    std::uniform_int_distribution<int> pickY(0, Height() - 1);
    const double dBoundX = Bound(Panel().x, Width());
    const double dBoundY = Bound(Panel().y, Height());
    for (int nTouch = 1; nTouch <= 12; ++nTouch) {
        const int nAimX = pickX(random);
        const int nAimY = pickY(random);
        const CalPoint controller = ControllerRaw(Panel(), nAimX, nAimY);
        ASSERT_TRUE(m_pSim->Send("tap " + std::to_string(controller.x) + " " +
                                 std::to_string(controller.y) + "\nwait 30\n"));
        ASSERT_TRUE(m_pLive->m_observer.WaitForButtonEvents(2 * nTouch));
        const PointerEvent press = m_pLive->m_observer.ButtonEvents()[2 * (nTouch - 1)];
        ASSERT_EQ(press.kind, Kind::Press);

        const CalPoint raw = Published(Panel(), controller);
        double dX = MapAxis(raw.x, device.m_dLeftX, device.m_dRightX, device.m_dCenterX,
                            device.m_dScaleX, Width(), rc.left);
        double dY = MapAxis(raw.y, device.m_dTopY, device.m_dBottomY, device.m_dCenterY,
                            device.m_dScaleY, Height(), rc.top);
        dX = dX < rc.left ? rc.left + 2 : dX > rc.right ? rc.right - 2 : dX;
        dY = std::clamp<double>(dY, rc.top, rc.bottom - 1);
        EXPECT_EQ(press.x, static_cast<int>(dX)) << "touch " << nTouch;
        EXPECT_EQ(press.y, static_cast<int>(dY)) << "touch " << nTouch;
        EXPECT_LE(std::abs(press.x - (rc.left + nAimX)), dBoundX) << "touch " << nTouch;
        EXPECT_LE(std::abs(press.y - (rc.top + nAimY)), dBoundY) << "touch " << nTouch;
    }
}

// A centre touched 290 pixels off: the page refuses the round, stores nothing and asks for
// all five again; the second, correct round alone makes the numbers.
TEST_P(CalibrateEndToEnd, AMisclickedRoundIsRefusedAndTheNextOneStored) {
    const std::string strBefore = m_pDlg->Hub().m_arrDeviceLines.GetAt(0);
    ASSERT_TRUE(m_pSim->Send("rate 100\n"));
    const auto refused = [this] {
        const auto traces = m_pLive->m_trace.Lines();
        return std::find(traces.begin(), traces.end(),
                         std::string("Calibration: target 5050 looks misplaced\n")) != traces.end();
    };
    // Two rounds of five touches, the first with its centre 290 pixels off. Nothing may have
    // reached the device or its line between the rounds: checked inside the page's loop,
    // before the second round may begin.
    bool bCheckedBetween = false;
    std::vector<CalPoint> vecTouches = TargetPoints(CAL_TARGET_COUNT, 290);
    const std::vector<CalPoint> vecRound = TargetPoints(CAL_TARGET_COUNT);
    vecTouches.insert(vecTouches.end(), vecRound.begin(), vecRound.end());
    QTimer pacer;
    TouchTargets(pacer, vecTouches, [&](int nStep) {
        if (!bCheckedBetween && refused()) {
            bCheckedBetween = true;
            EXPECT_EQ(m_pDlg->Hub().m_arrDeviceLines.GetAt(0), strBefore);
            EXPECT_EQ(FormatDeviceLine(m_pDlg->Hub().m_activeDevice), strBefore);
        }
        return nStep != CAL_TARGET_COUNT || bCheckedBetween;
    });
    m_pDlg->OnCalibrate();
    EXPECT_TRUE(bCheckedBetween);
    ASSERT_EQ(m_pDlg->Hub().m_nStatus, 0u);

    std::array<CalPoint, CAL_TARGET_COUNT> readings;
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        readings[i] = Published(Panel(), TargetRaw(i));
    }
    const auto expected = ComputeCalibration(CalReadings::FromTargets(readings), Width(), Height());
    ASSERT_TRUE(expected.has_value());
    // Only the second round's readings made the stored numbers.
    TouchDevice device = m_pDlg->Hub().m_activeDevice;
    StoreCalibration(*expected, device);
    EXPECT_EQ(FormatDeviceLine(m_pDlg->Hub().m_activeDevice), FormatDeviceLine(device));
    EXPECT_EQ(m_pDlg->Hub().m_arrDeviceLines.GetAt(0), FormatDeviceLine(device));
    EXPECT_EQ(Notifications(), std::vector<std::string>{"Tactilo - calibrated"});
}

TEST_P(CalibrateEndToEnd, EscapeLeavesTheCalibrationAsItWas) {
    const std::string strBefore = m_pDlg->Hub().m_arrDeviceLines.GetAt(0);
    PressKeyAfter(700, "Escape");
    m_pDlg->OnCalibrate();
    EXPECT_EQ(m_pDlg->Hub().m_nStatus, 0u);
    EXPECT_EQ(m_pDlg->Hub().m_arrDeviceLines.GetAt(0), strBefore);
    EXPECT_FALSE(m_pDlg->Touch().Calibrating());
    EXPECT_EQ(Notifications(), std::vector<std::string>{"Tactilo - calibration cancelled"});
}

TEST_P(CalibrateEndToEnd, EnterBeforeTheLastTargetIsACancel) {
    const std::string strBefore = m_pDlg->Hub().m_arrDeviceLines.GetAt(0);
    ASSERT_TRUE(m_pSim->Send("rate 100\n"));
    // Once two targets are in, Enter reaches the page as a real key.
    bool bPressed = false;
    QTimer pacer;
    TouchTargets(pacer, TargetPoints(CAL_TARGET_COUNT), [&](int nStep) {
        if (nStep == 2 && !bPressed) {
            bPressed = true;
            g_pXvfb->Run("xdotool key Return >/dev/null 2>&1");
        }
        return nStep < 2;
    });
    m_pDlg->OnCalibrate();
    pacer.stop();
    EXPECT_TRUE(bPressed);
    EXPECT_EQ(m_pDlg->Hub().m_nStatus, 0u);
    EXPECT_EQ(m_pDlg->Hub().m_arrDeviceLines.GetAt(0), strBefore);
}

INSTANTIATE_TEST_SUITE_P(Panels, CalibrateEndToEnd, ::testing::ValuesIn(g_panels),
                         [](const auto& info) { return std::string(info.param.panel.szName); });

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    CXvfb xvfb("3840x1080x24");
    if (!xvfb.Ok()) {
        fprintf(stderr, "no X server: %s\n", xvfb.Log().c_str());
        return 1;
    }
    g_pXvfb = &xvfb;
    if (!AddRandrMonitor(xvfb, "LEFT", {0, 0, 1920, 1080}, true) ||
        !AddRandrMonitor(xvfb, "RIGHT", {1920, 0, 3840, 1080})) {
        fprintf(stderr, "cannot make the monitors\n");
        return 1;
    }
    qputenv("DISPLAY", xvfb.Display().c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
