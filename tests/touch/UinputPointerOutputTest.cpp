#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <chrono>

#include "FakeUinputDevice.h"
#include "linux/UinputEvents.h"
#include "linux/UinputPointerOutput.h"
#include "touch/NoticePointerOutput.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Events = std::vector<InputEventRecord>;

const InputEventRecord kSyn{EV_SYN, SYN_REPORT, 0};

InputEventRecord AbsX(int n) {
    return {EV_ABS, ABS_X, n};
}
InputEventRecord AbsY(int n) {
    return {EV_ABS, ABS_Y, n};
}
InputEventRecord Key(unsigned short nCode, int nValue) {
    return {EV_KEY, nCode, nValue};
}

MouseInput Move(int x, int y) {
    MouseInput input;
    input.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.nPixelX = x;
    input.nPixelY = y;
    return input;
}
MouseInput Flags(unsigned dwFlags, int dx = 0, int dy = 0) {
    MouseInput input;
    input.dwFlags = dwFlags;
    input.dx = dx;
    input.dy = dy;
    return input;
}

// Two monitors: a 1920x1080 primary and a 1280x1024 one left of it, lower down.
const std::vector<MonitorInfo> kTwoMonitors = {
    {"DP-1", {0, 0, 1920, 1080}},
    {"HDMI-A-1", {-1280, 200, 0, 1224}},
};
const ScreenRect kTwoBounds{-1280, 0, 1920, 1224};

TEST(UinputEventsTest, BoundsAndPrimaryFollowTheMonitors) {
    EXPECT_EQ(MonitorBounds(kTwoMonitors), kTwoBounds);
    EXPECT_EQ(PrimaryMonitorSize(kTwoMonitors), (ScreenSize{1920, 1080}));
    EXPECT_EQ(MonitorBounds({}), ScreenRect{});
    EXPECT_EQ(PrimaryMonitorSize({}), ScreenSize{});
    // No monitor at the origin: the first one counts.
    EXPECT_EQ(PrimaryMonitorSize({{"A", {100, 0, 900, 600}}, {"B", {900, 0, 1700, 600}}}),
              (ScreenSize{800, 600}));
}

struct StreamCase {
    const char* pszName;
    std::vector<MouseInput> vecInputs;
    Events expected;
};

class UinputEventStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(UinputEventStreamTest, EachRecordBecomesItsEventsAndOneSync) {
    CUinputEventStream stream(kTwoBounds);
    Events all;
    for (const MouseInput& input : GetParam().vecInputs) {
        const Events events = stream.Events(input);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(), kSyn);
        EXPECT_EQ(std::count(events.begin(), events.end(), kSyn), 1);
        all.insert(all.end(), events.begin(), events.end());
    }
    EXPECT_THAT(all, ElementsAreArray(GetParam().expected));
}

// The axes count quarter pixels from the box's top left corner, and a pixel is sent as the
// middle of its four: pixel -1280 (the box's left edge) is 2, pixel 0 is 5122.
InputEventRecord PixelX(int n) {
    return AbsX((n + 1280) * 4 + 2);
}
InputEventRecord PixelY(int n) {
    return AbsY(n * 4 + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Records, UinputEventStreamTest,
    ::testing::Values(
        // Pixels on either monitor, the one left of the origin too, as quarter pixels.
        StreamCase{"MoveOnEachMonitor",
                   {Move(960, 540), Move(-1000, 700), Move(0, 0)},
                   {AbsX(8962), AbsY(2162), kSyn, AbsX(1122), AbsY(2802), kSyn, AbsX(5122), AbsY(2),
                    kSyn}},
        StreamCase{"LeftClick",
                   {Move(10, 20), Flags(MOUSEEVENTF_LEFTDOWN), Flags(MOUSEEVENTF_LEFTUP)},
                   {PixelX(10), PixelY(20), kSyn, Key(BTN_LEFT, 1), kSyn, Key(BTN_LEFT, 0), kSyn}},
        StreamCase{"RightClickInOneRecord",
                   {Flags(MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP)},
                   {Key(BTN_RIGHT, 1), Key(BTN_RIGHT, 0), kSyn}},
        StreamCase{"MoveWithPress",
                   {Flags(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN)},
                   {PixelX(0), PixelY(0), Key(BTN_LEFT, 1), kSyn}},
        // Beyond the box: the middle of the nearest edge pixel, inside the axis range
        // (0 to 3200 * 4 - 1 across, 0 to 1224 * 4 - 1 down).
        StreamCase{"OutsideIsClamped",
                   {Move(5000, -30), Move(-9000, 99999)},
                   {AbsX(12798), AbsY(2), kSyn, AbsX(2), AbsY(4894), kSyn}},
        StreamCase{"RelativeMoveFromTheLastPoint",
                   {Move(100, 100), Flags(MOUSEEVENTF_MOVE, -30, 40)},
                   {PixelX(100), PixelY(100), kSyn, PixelX(70), PixelY(140), kSyn}}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(UinputEventStreamTest, EmptyRecordWritesNothingAndReleaseOnlyWhatIsHeld) {
    CUinputEventStream stream(kTwoBounds);
    EXPECT_TRUE(stream.Events(Flags(0)).empty());
    EXPECT_TRUE(stream.ReleaseHeld().empty());
    stream.Events(Flags(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN));
    EXPECT_THAT(stream.ReleaseHeld(), ElementsAre(Key(BTN_LEFT, 0), Key(BTN_RIGHT, 0), kSyn));
    EXPECT_FALSE(stream.AnyHeld());
}

TEST(UinputPointerOutputTest, LayoutChangeReleasesTheHeldButtonAndMakesTheDeviceAnew) {
    UinputLog log;
    std::vector<std::string> vecWarnings;
    CUinputPointerOutput output(FakeUinputMaker(log),
                                [&](const std::string& s) { vecWarnings.push_back(s); });
    output.SendInput(Move(1, 1));  // before any layout: nowhere to send, nothing made
    EXPECT_TRUE(log.vecDevices.empty());

    output.SetMonitors(kTwoMonitors);
    ASSERT_EQ(log.vecDevices.size(), 1u);
    EXPECT_EQ(log.vecDevices[0].rcBounds, kTwoBounds);
    EXPECT_EQ(output.PrimaryScreenSize(), (ScreenSize{1920, 1080}));

    output.SendInput(Move(-640, 600));
    output.SendInput(Flags(MOUSEEVENTF_LEFTDOWN));
    output.SetMonitors(kTwoMonitors);  // the same box: the same device
    ASSERT_EQ(log.vecDevices.size(), 1u);

    // The left monitor is unplugged while the finger is down.
    output.SetMonitors({kTwoMonitors[0]});
    ASSERT_EQ(log.vecDevices.size(), 2u);
    EXPECT_FALSE(log.vecDevices[0].bAlive);
    EXPECT_THAT(log.vecDevices[0].vecEvents,
                ElementsAre(PixelX(-640), PixelY(600), kSyn, Key(BTN_LEFT, 1), kSyn,
                            Key(BTN_LEFT, 0), kSyn));
    EXPECT_EQ(log.vecDevices[1].rcBounds, (ScreenRect{0, 0, 1920, 1080}));
    output.SendInput(Move(-640, 600));
    // The new box starts at the origin: its left edge pixel is 2.
    EXPECT_THAT(log.vecDevices[1].vecEvents, ElementsAre(AbsX(2), AbsY(2402), kSyn));

    // Every monitor gone: no device until one comes back.
    output.SetMonitors({});
    EXPECT_FALSE(output.HasDevice());
    output.SetMonitors(kTwoMonitors);
    EXPECT_TRUE(output.HasDevice());
    EXPECT_TRUE(vecWarnings.empty());
}

TEST(UinputPointerOutputTest, RefusalsAreWarnedOncePerRun) {
    UinputLog log;
    std::vector<std::string> vecWarnings;
    CUinputPointerOutput output(FakeUinputMaker(log),
                                [&](const std::string& s) { vecWarnings.push_back(s); });
    log.bRefuseMake = true;
    output.SetMonitors(kTwoMonitors);
    EXPECT_FALSE(output.HasDevice());
    output.SendInput(Move(1, 1));
    ASSERT_EQ(vecWarnings.size(), 1u);
    EXPECT_THAT(vecWarnings[0], ::testing::HasSubstr("Permission denied"));

    log.bRefuseMake = false;
    output.SetMonitors({kTwoMonitors[0]});
    log.bRefuseWrite = true;
    output.SendInput(Move(1, 1));
    output.SendInput(Move(2, 2));
    EXPECT_EQ(vecWarnings.size(), 2u);
    log.bRefuseWrite = false;
    output.SendInput(Move(3, 3));
    log.bRefuseWrite = true;
    output.SendInput(Move(4, 4));
    EXPECT_EQ(vecWarnings.size(), 3u);
}

TEST(NoticePointerOutputTest, APressIsToldAtMostOncePerQuietTime) {
    auto tpNow = std::chrono::steady_clock::time_point{};
    int nTold = 0;
    CNoticePointerOutput output([&] { ++nTold; }, [&] { return tpNow; }, std::chrono::seconds(10));
    output.SendInput(Move(5, 5));
    output.SendInput(Flags(MOUSEEVENTF_LEFTUP));
    EXPECT_EQ(nTold, 0);
    output.SendInput(Flags(MOUSEEVENTF_LEFTDOWN));
    output.SendInput(Flags(MOUSEEVENTF_LEFTDOWN));  // a double tap
    EXPECT_EQ(nTold, 1);
    tpNow += std::chrono::seconds(10);
    output.SendInput(Flags(MOUSEEVENTF_RIGHTDOWN));
    EXPECT_EQ(nTold, 2);
}

}  // namespace
