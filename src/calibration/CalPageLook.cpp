#include "calibration/CalPageLook.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "calibration/CalibrationTargets.h"
#include "devices/LegacyText.h"

namespace {

struct CLookBuilder {
    double dScale;
    CalPageLook look;

    int Px(int nUnits) const { return std::max(1, static_cast<int>(std::lround(nUnits * dScale))); }

    void Line(CalColour colour, int nWidth, int x0, int y0, int x1, int y1) {
        CalDrawItem item;
        item.kind = CalDrawKind::Line;
        item.colour = colour;
        item.nPenWidth = Px(nWidth);
        item.rc = {x0, y0, x1, y1};
        look.items.push_back(item);
    }

    void Round(CalDrawKind kind, CalColour colour, int nWidth, CalPoint pt, int nRadius,
               double dShare = 1.0) {
        CalDrawItem item;
        item.kind = kind;
        item.colour = colour;
        item.nPenWidth = Px(nWidth);
        const int nR = Px(nRadius);
        item.rc = {pt.x - nR, pt.y - nR, pt.x + nR, pt.y + nR};
        item.dShare = std::clamp(dShare, 0.0, 1.0);
        look.items.push_back(item);
    }

    void Text(CalColour colour, int nPx, bool bBold, CalRect rc, CalTextAlign align,
              std::string strText) {
        CalDrawItem item;
        item.kind = CalDrawKind::Text;
        item.colour = colour;
        item.nTextPx = Px(nPx);
        item.bBold = bBold;
        item.rc = rc;
        item.align = align;
        item.strText = std::move(strText);
        look.items.push_back(item);
    }
};

CalColour PenColour(CalTargetState state) {
    switch (state) {
        case CalTargetState::Active:
            return CalLook::ACTIVE;
        case CalTargetState::Captured:
            return CalLook::CAPTURED;
        case CalTargetState::Hidden:
        case CalTargetState::Inactive:
            break;
    }
    return CalLook::WAITING;
}

int PenWidth(CalTargetState state) {
    return state == CalTargetState::Active || state == CalTargetState::Captured ? 5 : 1;
}

// Three lines beside the target on the side that faces the middle, so that they never run off
// the page; the centre target has text on both sides, so its lines go below its rings. The
// block is kept inside the page and under the label.
void AddGuidance(CLookBuilder& b, int nWidth, int nHeight, CalPoint pt, const CalGuide& guide) {
    const int nLine = b.Px(CalLook::LINE);
    const int nMargin = b.Px(CalLook::MARGIN);
    const int nGap = b.Px(CalLook::TEXT_GAP);
    int nLeft = nMargin;
    int nRight = nWidth - nMargin;
    int nTop = pt.y - 3 * nLine / 2;
    CalTextAlign align = CalTextAlign::Centre;
    if (guide.nTarget == CAL_CENTRE) {
        nTop = pt.y + nGap;
    } else if (pt.x < nWidth / 2) {
        nLeft = pt.x + nGap;
        align = CalTextAlign::Left;
    } else {
        nRight = pt.x - nGap;
        align = CalTextAlign::Right;
    }
    const int nHighest = b.Px(CalLook::LABEL_TOP + CalLook::LABEL_LINE) + nMargin;
    nTop = std::max(nHighest, std::min(nTop, nHeight - nMargin - 3 * nLine));
    const std::string lines[] = {guide.strStep, guide.strInstruction,
                                 std::to_string(guide.nSecondsLeft) + " s left"};
    for (int i = 0; i < 3; ++i) {
        const CalRect rc{nLeft, nTop + i * nLine, nRight, nTop + (i + 1) * nLine};
        b.Text(CalLook::INK, CalLook::TEXT_PX, i == 0, rc, align, lines[i]);
    }
}

}  // namespace

std::string CalPageLabel(const std::string& strDevice) {
    return DisplayText(strDevice) + "    Press \"ESC\" to Exit or wait for Timer";
}

CalPageLook LookOfCalPage(int nWidth, int nHeight, double dScale,
                          const std::array<CalTargetState, CAL_TARGET_COUNT>& targets,
                          const CalGuide& guide, const std::string& strLabel) {
    CLookBuilder b{dScale > 0.0 ? dScale : 1.0, {}};
    b.look.background = CalLook::BACKGROUND;
    const auto positions = CalTargetPositions(nWidth, nHeight);
    if (targets[0] != CalTargetState::Hidden) {
        const int nArm = b.Px(CalLook::ARM);
        for (int i = 0; i < CAL_TARGET_COUNT; ++i) {
            const CalPoint pt = positions[i];
            const CalColour colour = PenColour(targets[i]);
            const int nPen = PenWidth(targets[i]);
            b.Line(colour, nPen, pt.x - nArm, pt.y, pt.x + nArm, pt.y);
            b.Line(colour, nPen, pt.x, pt.y - nArm, pt.x, pt.y + nArm);
            // Colour alone does not tell captured from waiting for everyone.
            if (targets[i] == CalTargetState::Captured) {
                b.Round(CalDrawKind::Ellipse, colour, nPen, pt, CalLook::CAPTURED_RADIUS);
            }
        }
        if (guide.nTarget >= 0 && guide.nTarget < CAL_TARGET_COUNT) {
            const CalPoint pt = positions[guide.nTarget];
            b.Round(CalDrawKind::Ellipse, CalLook::TRACK, 3, pt, CalLook::TIME_RADIUS);
            b.Round(CalDrawKind::Ellipse, CalLook::TRACK, 3, pt, CalLook::HOLD_RADIUS);
            if (guide.dTimeLeft > 0.0) {
                b.Round(CalDrawKind::Arc, CalLook::TIME, 3, pt, CalLook::TIME_RADIUS,
                        guide.dTimeLeft);
            }
            if (guide.dHold > 0.0) {
                b.Round(CalDrawKind::Arc, CalLook::ACTIVE, 6, pt, CalLook::HOLD_RADIUS,
                        guide.dHold);
            }
            AddGuidance(b, nWidth, nHeight, pt, guide);
        }
        if (!guide.strNotice.empty()) {
            // Between the top targets and the centre, where no guidance stands.
            const int nTop = nHeight / 4;
            b.Text(CalLook::NOTICE, CalLook::TEXT_PX, true,
                   {b.Px(CalLook::MARGIN), nTop, nWidth - b.Px(CalLook::MARGIN),
                    nTop + b.Px(2 * CalLook::TEXT_PX)},
                   CalTextAlign::Centre, guide.strNotice);
        }
    }
    const int nLabelTop = b.Px(CalLook::LABEL_TOP);
    b.Text(CalLook::INK, CalLook::LABEL_PX, false,
           {b.Px(CalLook::MARGIN), nLabelTop, nWidth - b.Px(CalLook::MARGIN),
            nLabelTop + b.Px(CalLook::LABEL_LINE)},
           CalTextAlign::Left, strLabel);
    return b.look;
}
