#pragma once

// The calibration page as a user sees it, once for every front end: a page size and state,
// and what given pixels must show. Each front end's test paints the case with its own
// painter (QPainter into a QImage; GDI into a DIB section under Wine) and runs the checks on
// the pixels, so the two pages cannot drift apart again.
//
// Points are chosen away from edges that a painter may place a pixel either way: a pen is
// checked on its middle and one pixel inside its width, the background a few pixels outside.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "calibration/CalPageLook.h"
#include "calibration/CalibrationGuide.h"
#include "calibration/CalibrationTargets.h"

struct CalPixelCheck {
    enum Kind {
        Colour,  // the pixel at (rc.left, rc.top) is colour exactly
        Ink,     // at least nMinInk pixels of rc differ clearly from the background (text)
        Blank,   // every pixel of rc is the background: nothing drawn, no bar, no cut text
    };
    const char* szWhat;
    Kind kind;
    CalRect rc;
    CalColour colour{};
    int nMinInk = 0;
};

struct CalPageViewCase {
    const char* szCase;
    int nWidth;
    int nHeight;
    CaptureState state;
    int nActiveTarget;
    std::array<CalTargetState, CAL_TARGET_COUNT> targets;
    int nHeldPolls;
    int nTimeLeftMs;
    int nMisplacedTarget;
    std::vector<CalPixelCheck> checks;
};

// Test names show the case, not its bytes.
inline void PrintTo(const CalPageViewCase& c, std::ostream* pOut) {
    *pOut << c.szCase;
}

inline constexpr std::chrono::milliseconds CAL_VIEW_TIMEOUT{5000};
inline const char* const CAL_VIEW_DEVICE = "Panel 1";

// What the core says the page draws for a case, at scale 1.
inline CalPageLook LookOfCase(const CalPageViewCase& c) {
    CaptureSnapshot snapshot;
    snapshot.state = c.state;
    snapshot.nActiveTarget = c.nActiveTarget;
    snapshot.targets = c.targets;
    snapshot.nHeldPolls = c.nHeldPolls;
    snapshot.timeLeft = std::chrono::milliseconds(c.nTimeLeftMs);
    snapshot.nMisplacedTarget = c.nMisplacedTarget;
    return LookOfCalPage(c.nWidth, c.nHeight, 1.0, c.targets, GuideFor(snapshot, CAL_VIEW_TIMEOUT),
                         CalPageLabel(CAL_VIEW_DEVICE));
}

namespace CalViewCheck {
inline CalPixelCheck Px(const char* szWhat, CalPoint pt, int nDx, int nDy, CalColour colour) {
    return {szWhat, CalPixelCheck::Colour, {pt.x + nDx, pt.y + nDy, 0, 0}, colour, 0};
}
inline CalPixelCheck Ink(const char* szWhat, CalRect rc, int nMin) {
    return {szWhat, CalPixelCheck::Ink, rc, CalColour{}, nMin};
}
inline CalPixelCheck Blank(const char* szWhat, CalRect rc) {
    return {szWhat, CalPixelCheck::Blank, rc, CalLook::BACKGROUND, 0};
}
}  // namespace CalViewCheck

// All on an 800 x 600 page: targets at x 80, 400, 720 and y 60, 300, 540.
inline std::vector<CalPageViewCase> CalPageViewCases() {
    using namespace CalViewCheck;
    using T = CalTargetState;
    const auto at = CalTargetPositions(800, 600);
    const CalPoint tl = at[CAL_TOP_LEFT], bl = at[CAL_BOTTOM_LEFT], c = at[CAL_CENTRE];
    const CalPoint tr = at[CAL_TOP_RIGHT], br = at[CAL_BOTTOM_RIGHT];
    const CalColour bg = CalLook::BACKGROUND, grey = CalLook::WAITING;
    const CalColour black = CalLook::ACTIVE, green = CalLook::CAPTURED;
    const CalColour track = CalLook::TRACK, blue = CalLook::TIME;
    // One case a block: name; page size; state and active target; target states; held polls,
    // time left (ms), misplaced target; the checks.
    // clang-format off
    return {
        {"before the start only the label shows",
         800, 600, CaptureState::Idle, -1,
         {T::Hidden, T::Hidden, T::Hidden, T::Hidden, T::Hidden}, 0, 0, -1,
         {Px("no target", tl, 0, 0, bg), Px("no centre target", c, 0, 0, bg),
          Ink("the label", {10, 8, 400, 28}, 40),
          Blank("no bar right of the label", {600, 0, 800, 40})}},
        {"the first target to touch, nothing held yet",
         800, 600, CaptureState::Counting, CAL_TOP_LEFT,
         {T::Active, T::Inactive, T::Inactive, T::Inactive, T::Inactive}, 0, 5000, -1,
         {Px("active: black", tl, 0, 0, black), Px("active arm", tl, -25, 0, black),
          Px("active pen 5 wide", tl, -25, 2, black), Px("active pen 5 wide", tl, 2, 25, black),
          Px("active pen ends", tl, -25, 5, bg), Px("arm ends", tl, -36, 0, bg),
          Px("waiting: grey", bl, 0, 0, grey), Px("waiting arm", bl, -20, 0, grey),
          Px("waiting pen 1 wide", bl, -20, 2, bg), Px("waiting arm", br, 0, -20, grey),
          Px("time ring full, 3 o'clock", tl, 50, 0, blue),
          Px("time ring full, 6 o'clock", tl, 0, 50, blue),
          Px("hold ring empty: its track", tl, 40, 0, track),
          Px("between the rings", tl, 45, 0, bg), Px("no rings on waiting", bl, 50, 0, bg),
          Ink("guidance right of the target", {tl.x + 64, 20, 790, 160}, 150),
          Blank("guidance not cut at the left edge", {0, 30, 6, 600}),
          Ink("the label", {10, 8, 400, 28}, 40),
          Blank("no bar right of the label", {600, 0, 800, 28})}},
        {"the centre target, half held, half the time left",
         800, 600, CaptureState::Counting, CAL_CENTRE,
         {T::Captured, T::Captured, T::Active, T::Inactive, T::Inactive}, 15, 2500, -1,
         {Px("captured: green", tl, 0, 0, green), Px("captured pen 5 wide", tl, -25, 2, green),
          Px("captured circle", tl, 11, -11, green), Px("captured circle", bl, -11, 11, green),
          Px("active: black", c, 0, 0, black), Px("waiting: grey", tr, 0, 0, grey),
          Px("no circle on waiting", tr, 11, -11, bg),
          Px("hold ring half: 3 o'clock", c, 40, 0, black),
          Px("hold ring half: 9 o'clock is track", c, -40, 0, track),
          Px("time ring half: 3 o'clock", c, 50, 0, blue),
          Px("time ring half: 9 o'clock is track", c, -50, 0, track),
          Ink("guidance below the centre", {10, c.y + 64, 790, c.y + 64 + 78}, 150),
          Blank("nothing beside the centre", {c.x + 60, c.y - 40, c.x + 200, c.y + 40})}},
        {"a right target held: lift now",
         800, 600, CaptureState::AwaitingLift, CAL_TOP_RIGHT,
         {T::Captured, T::Captured, T::Captured, T::Active, T::Inactive}, 30, 4000, -1,
         {Px("active: black", tr, 0, 0, black), Px("active pen 5 wide", tr, -2, 25, black),
          Px("hold ring full, 9 o'clock", tr, -40, 0, black),
          Px("time ring 80 %, 3 o'clock", tr, 50, 0, blue),
          Px("time ring 80 %, 11 o'clock is track", tr, -25, -43, track),
          Ink("guidance left of the target", {200, 40, tr.x - 64, 160}, 150),
          Blank("nothing right of the target", {780, 40, 800, 200})}},
        {"the first target captured, the second to touch",
         800, 600, CaptureState::Counting, CAL_BOTTOM_LEFT,
         {T::Captured, T::Active, T::Inactive, T::Inactive, T::Inactive}, 0, 5000, -1,
         {Px("captured: green", tl, 0, 0, green), Px("captured pen 5 wide", tl, -25, 2, green),
          Px("captured pen 5 wide", tl, 2, 25, green), Px("captured circle", tl, 11, -11, green),
          Px("no rings on captured", tl, 40, 0, bg), Px("active: black", bl, 0, 0, black),
          Px("active pen 5 wide", bl, -25, -2, black),
          Px("hold ring empty: its track", bl, 40, 0, track),
          Px("time ring full, 3 o'clock", bl, 50, 0, blue),
          Ink("guidance right of the target", {bl.x + 64, 440, 790, 590}, 150),
          Blank("guidance not cut at the left edge", {0, 30, 6, 600})}},
        {"a refused round names the misplaced target",
         800, 600, CaptureState::Counting, CAL_TOP_LEFT,
         {T::Active, T::Inactive, T::Inactive, T::Inactive, T::Inactive}, 0, 5000, CAL_CENTRE,
         {Ink("the notice a quarter down", {10, 150, 790, 190}, 150),
          Px("active: black", tl, 0, 0, black)}},
    };
    // clang-format on
}

// The checks of a case that the pixels fail, each as "what (x, y): found r,g,b"; empty when
// all pass. pixel(x, y) reads the painted page.
inline std::vector<std::string> FailedChecks(const CalPageViewCase& c,
                                             const std::function<CalColour(int, int)>& pixel) {
    const auto text = [](const CalPixelCheck& check, int x, int y, CalColour found) {
        return std::string(check.szWhat) + " (" + std::to_string(x) + ", " + std::to_string(y) +
               "): found " + std::to_string(found.r) + "," + std::to_string(found.g) + "," +
               std::to_string(found.b);
    };
    const CalColour bg = CalLook::BACKGROUND;
    std::vector<std::string> failed;
    for (const CalPixelCheck& check : c.checks) {
        const CalRect& rc = check.rc;
        if (check.kind == CalPixelCheck::Colour) {
            const CalColour found = pixel(rc.left, rc.top);
            if (!(found == check.colour)) {
                failed.push_back(text(check, rc.left, rc.top, found));
            }
            continue;
        }
        int nInk = 0;
        bool bFailed = false;
        for (int y = rc.top; y < rc.bottom && !bFailed; ++y) {
            for (int x = rc.left; x < rc.right && !bFailed; ++x) {
                const CalColour found = pixel(x, y);
                if (check.kind == CalPixelCheck::Blank && !(found == bg)) {
                    failed.push_back(text(check, x, y, found));
                    bFailed = true;
                }
                const int nDiff = std::max(
                    {std::abs(found.r - bg.r), std::abs(found.g - bg.g), std::abs(found.b - bg.b)});
                nInk += nDiff > 100 ? 1 : 0;
            }
        }
        if (check.kind == CalPixelCheck::Ink && nInk < check.nMinInk) {
            failed.push_back(std::string(check.szWhat) + ": " + std::to_string(nInk) +
                             " pixels of ink");
        }
    }
    return failed;
}

// A case as the live page shows it while a test looks: the time ring runs down meanwhile.
inline CalPageViewCase WhileTheClockRuns(CalPageViewCase c) {
    std::erase_if(c.checks, [](const CalPixelCheck& check) {
        return std::string(check.szWhat).starts_with("time ring");
    });
    return c;
}
// The cases the live pages are brought to by a scripted touch: the first target up, and the
// first captured with the second up.
inline constexpr int CAL_LIVE_CASES[] = {1, 4};
