#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "XObserver.h"
#include "Xvfb.h"
#include "linux/XTestPointerOutput.h"

static void PrintTo(const ScreenSize& size, std::ostream* pOut) {
    *pOut << size.cx << "x" << size.cy;
}

namespace {

MouseInput MoveTo(int x, int y) {
    MouseInput input;
    input.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.nPixelX = x;
    input.nPixelY = y;
    return input;
}

MouseInput Buttons(unsigned dwFlags) {
    MouseInput input;
    input.dwFlags = dwFlags;
    return input;
}

// One server for the whole suite: two 1920 x 1080 monitors side by side on a 3840 x 1080
// root window. Tests that change the monitors start a server of their own.
class XTestOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_pXvfb = new CXvfb("3840x1080x24");
        s_bMonitors = s_pXvfb->Ok() &&
                      AddRandrMonitor(*s_pXvfb, "LEFT", {0, 0, 1920, 1080}, true) &&
                      AddRandrMonitor(*s_pXvfb, "RIGHT", {1920, 0, 3840, 1080});
    }
    static void TearDownTestSuite() {
        delete s_pXvfb;
        s_pXvfb = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_bMonitors) << s_pXvfb->Log();
        m_pObserver = std::make_unique<CXObserver>(s_pXvfb->Display());
        ASSERT_TRUE(m_pObserver->Ok());
        m_pOutput = std::make_unique<CXTestPointerOutput>(s_pXvfb->Display());
    }

    bool PointerReaches(int x, int y) {
        return WaitUntil([&] {
            const PointerState state = m_pObserver->QueryPointer();
            return state.x == x && state.y == y;
        });
    }

    static CXvfb* s_pXvfb;
    static bool s_bMonitors;
    std::unique_ptr<CXObserver> m_pObserver;
    std::unique_ptr<CXTestPointerOutput> m_pOutput;
};

CXvfb* XTestOutput::s_pXvfb = nullptr;
bool XTestOutput::s_bMonitors = false;

struct Pixel {
    int x;
    int y;
};

class XTestOutputPixels : public XTestOutput, public ::testing::WithParamInterface<Pixel> {};

}  // namespace

TEST_P(XTestOutputPixels, MovePutsThePointerOnTheExactPixel) {
    const Pixel pixel = GetParam();
    m_pOutput->SendInput(MoveTo(pixel.x, pixel.y));
    EXPECT_TRUE(PointerReaches(pixel.x, pixel.y));
}

// The origin, an odd pixel, the primary monitor's last pixel, a point on the second monitor
// and the root window's last pixel.
INSTANTIATE_TEST_SUITE_P(Points, XTestOutputPixels,
                         ::testing::Values(Pixel{0, 0}, Pixel{1, 1}, Pixel{1919, 1079},
                                           Pixel{1920, 0}, Pixel{2743, 517}, Pixel{3839, 1079}));

TEST_F(XTestOutput, LeftButtonPressesAndReleasesWhereThePointerIs) {
    m_pOutput->SendInput(MoveTo(640, 480));
    m_pOutput->SendInput(Buttons(MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(m_pObserver->WaitForButtonEvents(1));
    EXPECT_TRUE(m_pObserver->QueryPointer().bLeft);

    m_pOutput->SendInput(MoveTo(650, 490));  // a drag
    m_pOutput->SendInput(Buttons(MOUSEEVENTF_LEFTUP));
    ASSERT_TRUE(m_pObserver->WaitForButtonEvents(2));
    const PointerState state = m_pObserver->QueryPointer();
    EXPECT_FALSE(state.bLeft);
    EXPECT_FALSE(state.bRight);

    const std::vector<PointerEvent> vecButtons = m_pObserver->ButtonEvents();
    ASSERT_EQ(vecButtons.size(), 2u);
    EXPECT_EQ(vecButtons[0].kind, PointerEvent::Kind::Press);
    EXPECT_EQ(vecButtons[0].nButton, 1);
    EXPECT_EQ(vecButtons[0].x, 640);
    EXPECT_EQ(vecButtons[0].y, 480);
    EXPECT_EQ(vecButtons[1].kind, PointerEvent::Kind::Release);
    EXPECT_EQ(vecButtons[1].nButton, 1);
    EXPECT_EQ(vecButtons[1].x, 650);
    EXPECT_EQ(vecButtons[1].y, 490);
}

TEST_F(XTestOutput, RightClickAfterAHeldLeftPressKeepsItsOrder) {
    // What a touch held for the right-click time sends: left down, later left up, right
    // down, right up, all on the second monitor.
    m_pOutput->SendInput(MoveTo(2500, 300));
    m_pOutput->SendInput(Buttons(MOUSEEVENTF_LEFTDOWN));
    m_pOutput->SendInput(Buttons(MOUSEEVENTF_LEFTUP));
    m_pOutput->SendInput(Buttons(MOUSEEVENTF_RIGHTDOWN));
    ASSERT_TRUE(m_pObserver->WaitForButtonEvents(3));
    EXPECT_TRUE(m_pObserver->QueryPointer().bRight);
    m_pOutput->SendInput(Buttons(MOUSEEVENTF_RIGHTUP));
    ASSERT_TRUE(m_pObserver->WaitForButtonEvents(4));

    const std::vector<PointerEvent> vecButtons = m_pObserver->ButtonEvents();
    ASSERT_EQ(vecButtons.size(), 4u);
    const PointerEvent::Kind kPress = PointerEvent::Kind::Press;
    const PointerEvent::Kind kRelease = PointerEvent::Kind::Release;
    const std::vector<std::pair<PointerEvent::Kind, int>> vecExpected = {
        {kPress, 1}, {kRelease, 1}, {kPress, 3}, {kRelease, 3}};
    for (std::size_t i = 0; i < vecExpected.size(); ++i) {
        SCOPED_TRACE("button event " + std::to_string(i));
        EXPECT_EQ(vecButtons[i].kind, vecExpected[i].first);
        EXPECT_EQ(vecButtons[i].nButton, vecExpected[i].second);
        EXPECT_EQ(vecButtons[i].x, 2500);
        EXPECT_EQ(vecButtons[i].y, 300);
    }
    EXPECT_FALSE(m_pObserver->QueryPointer().bRight);
}

TEST_F(XTestOutput, OneRecordMovesBeforeItPresses) {
    MouseInput input = MoveTo(1000, 100);
    input.dwFlags |= MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;
    m_pOutput->SendInput(input);
    ASSERT_TRUE(m_pObserver->WaitForButtonEvents(2));

    const std::vector<PointerEvent> vecButtons = m_pObserver->ButtonEvents();
    ASSERT_EQ(vecButtons.size(), 2u);
    EXPECT_EQ(vecButtons[0].kind, PointerEvent::Kind::Press);
    EXPECT_EQ(vecButtons[1].kind, PointerEvent::Kind::Release);
    for (const PointerEvent& event : vecButtons) {
        EXPECT_EQ(event.x, 1000);
        EXPECT_EQ(event.y, 100);
    }
}

TEST_F(XTestOutput, PrimaryScreenSizeIsThePrimaryMonitors) {
    EXPECT_EQ(m_pOutput->PrimaryScreenSize(), (ScreenSize{1920, 1080}));
}

TEST(XTestOutputSize, FollowsMonitorsDefinedLater) {
    CXvfb xvfb("3840x1080x24");
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    // No age limit to the cache: every call reads the monitors.
    CXTestPointerOutput output(xvfb.Display(), {}, std::chrono::milliseconds(0));

    EXPECT_EQ(output.PrimaryScreenSize(), (ScreenSize{3840, 1080}));  // "screen" alone
    ASSERT_TRUE(AddRandrMonitor(xvfb, "A", {0, 0, 1280, 1024}));
    EXPECT_EQ(output.PrimaryScreenSize(), (ScreenSize{1280, 1024}));  // the first one
    ASSERT_TRUE(AddRandrMonitor(xvfb, "B", {1280, 0, 3840, 1080}, true));
    EXPECT_EQ(output.PrimaryScreenSize(), (ScreenSize{2560, 1080}));  // the primary one
}

TEST(XTestOutputSize, FollowsAModeChangeAtOnce) {
    CXvfb xvfb("3840x1080x24");
    ASSERT_TRUE(xvfb.Ok()) << xvfb.Log();
    // The cache would hold for an hour: only the RandR event can renew it.
    CXTestPointerOutput output(xvfb.Display(), {}, std::chrono::hours(1));
    ASSERT_EQ(output.PrimaryScreenSize(), (ScreenSize{3840, 1080}));

    ASSERT_EQ(xvfb.Run("xrandr --newmode half 148.5 1920 2008 2052 2200 1080 1084 1089 1125"), 0);
    ASSERT_EQ(xvfb.Run("xrandr --addmode screen half"), 0);
    ASSERT_EQ(xvfb.Run("xrandr --output screen --mode half"), 0);
    EXPECT_TRUE(WaitUntil([&] { return output.PrimaryScreenSize() == ScreenSize{1920, 1080}; }));
}

TEST(XTestOutputNoDisplay, DropsInputAndWarnsOnce) {
    std::vector<std::string> vecWarnings;
    CXTestPointerOutput output(":64998",
                               [&](const std::string& strText) { vecWarnings.push_back(strText); });

    for (int i = 0; i < 3; ++i) {
        output.SendInput(MoveTo(10, 10));
        output.SendInput(Buttons(MOUSEEVENTF_LEFTDOWN));
        EXPECT_EQ(output.PrimaryScreenSize(), (ScreenSize{0, 0}));
    }
    ASSERT_EQ(vecWarnings.size(), 1u);
    EXPECT_NE(vecWarnings[0].find(":64998"), std::string::npos) << vecWarnings[0];
}
