#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <chrono>

#include "FakeUinputDevice.h"
#include "touch/NoticePointerOutput.h"
#include "touch/UinputEvents.h"
#include "touch/UinputPointerOutput.h"

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

INSTANTIATE_TEST_SUITE_P(
    Records, UinputEventStreamTest,
    ::testing::Values(
        // Desktop pixels are sent as they are, negative ones on a monitor left of the origin.
        StreamCase{"MoveOnEachMonitor",
                   {Move(960, 540), Move(-1000, 700)},
                   {AbsX(960), AbsY(540), kSyn, AbsX(-1000), AbsY(700), kSyn}},
        StreamCase{"LeftClick",
                   {Move(10, 20), Flags(MOUSEEVENTF_LEFTDOWN), Flags(MOUSEEVENTF_LEFTUP)},
                   {AbsX(10), AbsY(20), kSyn, Key(BTN_LEFT, 1), kSyn, Key(BTN_LEFT, 0), kSyn}},
        StreamCase{"RightClickInOneRecord",
                   {Flags(MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP)},
                   {Key(BTN_RIGHT, 1), Key(BTN_RIGHT, 0), kSyn}},
        StreamCase{"MoveWithPress",
                   {Flags(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN)},
                   {AbsX(0), AbsY(0), Key(BTN_LEFT, 1), kSyn}},
        // Beyond the box: the nearest edge pixel, never a value outside the axis range.
        StreamCase{"OutsideIsClamped",
                   {Move(5000, -30), Move(-9000, 99999)},
                   {AbsX(1919), AbsY(0), kSyn, AbsX(-1280), AbsY(1223), kSyn}},
        StreamCase{"RelativeMoveFromTheLastPoint",
                   {Move(100, 100), Flags(MOUSEEVENTF_MOVE, -30, 40)},
                   {AbsX(100), AbsY(100), kSyn, AbsX(70), AbsY(140), kSyn}}),
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
    EXPECT_THAT(
        log.vecDevices[0].vecEvents,
        ElementsAre(AbsX(-640), AbsY(600), kSyn, Key(BTN_LEFT, 1), kSyn, Key(BTN_LEFT, 0), kSyn));
    EXPECT_EQ(log.vecDevices[1].rcBounds, (ScreenRect{0, 0, 1920, 1080}));
    output.SendInput(Move(-640, 600));
    EXPECT_THAT(log.vecDevices[1].vecEvents, ElementsAre(AbsX(0), AbsY(600), kSyn));

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
