// The pointer watch's decoding of recorded wire events and its output lines, without a
// server: the wire events are built here as the server sends them.

#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/Xproto.h>

#include <cstring>

#include "PointerEventText.h"
#include "PointerRecording.h"

namespace {

xEvent WireEvent(int nType, int nDetail, int nRootX, int nRootY, unsigned nState,
                 unsigned long nTimeMs) {
    xEvent xe;
    std::memset(&xe, 0, sizeof(xe));
    xe.u.u.type = static_cast<BYTE>(nType);
    xe.u.u.detail = static_cast<BYTE>(nDetail);
    xe.u.keyButtonPointer.rootX = static_cast<INT16>(nRootX);
    xe.u.keyButtonPointer.rootY = static_cast<INT16>(nRootY);
    // Event coordinates differ from the root ones on purpose: only root ones may be used.
    xe.u.keyButtonPointer.eventX = static_cast<INT16>(nRootX - 7);
    xe.u.keyButtonPointer.eventY = static_cast<INT16>(nRootY - 9);
    xe.u.keyButtonPointer.state = static_cast<KeyButMask>(nState);
    xe.u.keyButtonPointer.time = static_cast<CARD32>(nTimeMs);
    return xe;
}

struct DecodeRow {
    const char* szName;
    xEvent wire;
    std::size_t nBytes;
    bool bDecoded;
    PointerEvent::Kind kind;
    int nButton;
    int x;
    int y;
    unsigned nState;
};

class DecodePointerEventTable : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(DecodePointerEventTable, DecodesPointerEventsAndLeavesOthersUntouched) {
    const DecodeRow& row = GetParam();
    PointerEvent event;
    event.x = 4321;  // a mark: a refused event must leave the output as it was
    const bool bDecoded = DecodePointerEvent(&row.wire, row.nBytes, event);
    ASSERT_EQ(bDecoded, row.bDecoded) << row.szName;
    if (!row.bDecoded) {
        EXPECT_EQ(event.x, 4321) << row.szName;
        return;
    }
    EXPECT_EQ(event.kind, row.kind) << row.szName;
    EXPECT_EQ(event.nButton, row.nButton) << row.szName;
    EXPECT_EQ(event.x, row.x) << row.szName;
    EXPECT_EQ(event.y, row.y) << row.szName;
    EXPECT_EQ(event.nState, row.nState) << row.szName;
    EXPECT_EQ(event.nServerTimeMs, 81234u) << row.szName;
}

using Kind = PointerEvent::Kind;

INSTANTIATE_TEST_SUITE_P(
    Wire, DecodePointerEventTable,
    ::testing::Values(
        DecodeRow{"left press", WireEvent(ButtonPress, 1, 960, 540, 0, 81234), 32, true,
                  Kind::Press, 1, 960, 540, 0},
        DecodeRow{"right release with the right button held",
                  WireEvent(ButtonRelease, 3, 5, 6, Button3Mask, 81234), 32, true, Kind::Release, 3,
                  5, 6, Button3Mask},
        DecodeRow{"motion in a drag", WireEvent(MotionNotify, 0, 1919, 1079, Button1Mask, 81234),
                  32, true, Kind::Motion, 0, 1919, 1079, Button1Mask},
        DecodeRow{"left of and above the origin", WireEvent(MotionNotify, 0, -1920, -3, 0, 81234),
                  32, true, Kind::Motion, 0, -1920, -3, 0},
        DecodeRow{"sent by SendEvent", WireEvent(ButtonPress | 0x80, 1, 1, 2, 0, 81234), 32, true,
                  Kind::Press, 1, 1, 2, 0},
        DecodeRow{"more data than one event", WireEvent(ButtonPress, 1, 1, 2, 0, 81234), 64, true,
                  Kind::Press, 1, 1, 2, 0},
        DecodeRow{"a key press", WireEvent(KeyPress, 38, 1, 2, 0, 81234), 32, false, Kind::Motion,
                  0, 0, 0, 0},
        DecodeRow{"an enter notify", WireEvent(EnterNotify, 0, 1, 2, 0, 81234), 32, false,
                  Kind::Motion, 0, 0, 0, 0},
        DecodeRow{"cut short", WireEvent(ButtonPress, 1, 1, 2, 0, 81234), 31, false, Kind::Motion,
                  0, 0, 0, 0}));

TEST(DecodePointerEvent, RefusesNoData) {
    PointerEvent event;
    EXPECT_FALSE(DecodePointerEvent(nullptr, 32, event));
}

TEST(DecodePointerEvent, ReadsUnalignedData) {
    const xEvent wire = WireEvent(ButtonRelease, 1, 300, 400, Button1Mask, 7);
    unsigned char abBuffer[sizeof(xEvent) + 1];
    std::memcpy(abBuffer + 1, &wire, sizeof(wire));
    PointerEvent event;
    ASSERT_TRUE(DecodePointerEvent(abBuffer + 1, sizeof(wire), event));
    EXPECT_EQ(event.kind, Kind::Release);
    EXPECT_EQ(event.x, 300);
    EXPECT_EQ(event.y, 400);
}

PointerEvent Event(Kind kind, int nButton, int x, int y, unsigned nState, unsigned long nTimeMs) {
    PointerEvent event;
    event.kind = kind;
    event.nButton = nButton;
    event.x = x;
    event.y = y;
    event.nState = nState;
    event.nServerTimeMs = nTimeMs;
    return event;
}

TEST(FormatPointerEvent, KindButtonRootPointStateAndTime) {
    EXPECT_EQ(FormatPointerEvent(Event(Kind::Press, 1, 960, 540, 0, 81234)),
              "press 1 960 540 state=0x0 time=81234");
    EXPECT_EQ(FormatPointerEvent(Event(Kind::Motion, 0, -5, 1079, 0x100, 0)),
              "motion 0 -5 1079 state=0x100 time=0");
    EXPECT_EQ(FormatPointerEvent(Event(Kind::Release, 3, 0, 0, 0x400, 4294967295ul)),
              "release 3 0 0 state=0x400 time=4294967295");
}

}  // namespace
