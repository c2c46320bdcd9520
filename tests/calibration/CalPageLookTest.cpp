// What the calibration page draws, as the core lists it: pens and geometry per target state,
// where the texts stand on any page, and the display scale. The pixels of the rings and the
// texts are the view table's (tests/views).
#include <gtest/gtest.h>

#include <algorithm>

#include "calibration/CalPageLook.h"
#include "calibration/CalibrationTargets.h"

namespace {

using T = CalTargetState;
constexpr int W = 1920, H = 1080;

CalGuide GuideAt(int nTarget, double dHold, double dTimeLeft) {
    CalGuide guide;
    guide.nTarget = nTarget;
    guide.strStep = "1 of 5";
    guide.strInstruction = "Touch and hold the target, then lift";
    guide.dHold = dHold;
    guide.dTimeLeft = dTimeLeft;
    return guide;
}

std::vector<CalDrawItem> Of(const CalPageLook& look, CalDrawKind kind) {
    std::vector<CalDrawItem> items;
    std::copy_if(look.items.begin(), look.items.end(), std::back_inserter(items),
                 [kind](const CalDrawItem& item) { return item.kind == kind; });
    return items;
}

}  // namespace

TEST(CalPageLook, EachTargetGetsThePenOfItsState) {
    const CalPageLook look = LookOfCalPage(
        W, H, 1.0, {T::Captured, T::Active, T::Inactive, T::Inactive, T::Inactive}, {}, "x");
    const auto lines = Of(look, CalDrawKind::Line);
    ASSERT_EQ(lines.size(), 10u);
    const struct {
        CalColour colour;
        int nWidth;
    } pens[] = {{{0, 255, 0}, 5},
                {{0, 0, 0}, 5},
                {{100, 100, 100}, 1},
                {{100, 100, 100}, 1},
                {{100, 100, 100}, 1}};
    const auto at = CalTargetPositions(W, H);
    for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
        EXPECT_EQ(lines[2 * i].rc, (CalRect{at[i].x - 30, at[i].y, at[i].x + 30, at[i].y}));
        EXPECT_EQ(lines[2 * i + 1].rc, (CalRect{at[i].x, at[i].y - 30, at[i].x, at[i].y + 30}));
        for (const auto& line : {lines[2 * i], lines[2 * i + 1]}) {
            EXPECT_EQ(line.colour, pens[i].colour) << "target " << i;
            EXPECT_EQ(line.nPenWidth, pens[i].nWidth) << "target " << i;
        }
    }
    // Only the captured one is circled; without guidance there are no rings.
    const auto circles = Of(look, CalDrawKind::Ellipse);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].rc, (CalRect{192 - 16, 108 - 16, 192 + 16, 108 + 16}));
    EXPECT_TRUE(Of(look, CalDrawKind::Arc).empty());
}

TEST(CalPageLook, GuidanceStandsInsideThePageOnTheSideFacingTheMiddle) {
    const CalTextAlign expected[] = {CalTextAlign::Left, CalTextAlign::Left, CalTextAlign::Centre,
                                     CalTextAlign::Right, CalTextAlign::Right};
    for (const int nWidth : {640, 1920}) {
        const int nHeight = nWidth * 9 / 16;
        const auto at = CalTargetPositions(nWidth, nHeight);
        for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
            const CalPageLook look =
                LookOfCalPage(nWidth, nHeight, 1.0, {T::Active}, GuideAt(i, 0, 1), "label");
            const auto texts = Of(look, CalDrawKind::Text);
            ASSERT_EQ(texts.size(), 4u);  // three lines of guidance, then the label
            EXPECT_EQ(texts[1].strText, "Touch and hold the target, then lift");
            EXPECT_EQ(texts[2].strText, "0 s left");
            for (int n = 0; n < 3; ++n) {
                const CalRect& rc = texts[n].rc;
                SCOPED_TRACE(std::to_string(nWidth) + " target " + std::to_string(i));
                EXPECT_EQ(texts[n].align, expected[i]);
                EXPECT_GE(rc.left, 10);
                EXPECT_LE(rc.right, nWidth - 10);
                EXPECT_GE(rc.top, 38);  // under the label
                EXPECT_LE(rc.bottom, nHeight - 10);
                // Clear of the target's rings.
                EXPECT_TRUE(rc.left >= at[i].x + 50 || rc.right <= at[i].x - 50 ||
                            rc.top >= at[i].y + 50);
            }
        }
    }
}

TEST(CalPageLook, ADisplayScaleGrowsSizesButNotPositions) {
    const CalPageLook look = LookOfCalPage(1280, 720, 2.0, {T::Active}, GuideAt(0, 1.0, 1.0), "x");
    EXPECT_EQ(look.items[0].rc, (CalRect{128 - 60, 72, 128 + 60, 72}));
    EXPECT_EQ(look.items[0].nPenWidth, 10);
    const auto texts = Of(look, CalDrawKind::Text);
    EXPECT_EQ(texts.front().nTextPx, 40);
    EXPECT_EQ(texts.front().rc.left, 128 + 128);
}
