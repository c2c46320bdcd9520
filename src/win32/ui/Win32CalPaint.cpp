#include "win32/ui/Win32CalPaint.h"

#include <cmath>
#include <numbers>
#include <string>

#include "win32/Win32Text.h"

// Only the translation to GDI. Pens are geometric with flat ends, so a wide line ends where
// the list says (a cosmetic pen's round ends would stick out past the arm); outlines are
// drawn with the null brush; an arc runs clockwise from twelve o'clock, as GDI's Arc does
// with AD_CLOCKWISE from the first radial to the second. Texts go through DrawTextW over a
// transparent background, clipped to their rectangle: a static control would paint its own
// brush across the page.

namespace {

COLORREF Ref(CalColour colour) {
    return RGB(colour.r, colour.g, colour.b);
}

UINT AlignFlags(CalTextAlign align) {
    switch (align) {
        case CalTextAlign::Centre:
            return DT_CENTER;
        case CalTextAlign::Right:
            return DT_RIGHT;
        case CalTextAlign::Left:
            break;
    }
    return DT_LEFT;
}

void PaintOutline(HDC hDC, const CalDrawItem& item) {
    const CalRect& rc = item.rc;
    switch (item.kind) {
        case CalDrawKind::Line:
            MoveToEx(hDC, rc.left, rc.top, nullptr);
            LineTo(hDC, rc.right, rc.bottom);
            break;
        case CalDrawKind::Ellipse:
            Ellipse(hDC, rc.left, rc.top, rc.right, rc.bottom);
            break;
        case CalDrawKind::Arc: {
            if (item.dShare >= 1.0) {
                Ellipse(hDC, rc.left, rc.top, rc.right, rc.bottom);
                break;
            }
            // The radials only give directions: far points keep the rounding out of them.
            const int nCx = (rc.left + rc.right) / 2;
            const int nCy = (rc.top + rc.bottom) / 2;
            const double dAngle = 2.0 * std::numbers::pi * item.dShare;
            const int nEndX = nCx + static_cast<int>(std::lround(10000.0 * std::sin(dAngle)));
            const int nEndY = nCy - static_cast<int>(std::lround(10000.0 * std::cos(dAngle)));
            const int nOld = SetArcDirection(hDC, AD_CLOCKWISE);
            Arc(hDC, rc.left, rc.top, rc.right, rc.bottom, nCx, nCy - 10000, nEndX, nEndY);
            SetArcDirection(hDC, nOld);
            break;
        }
        case CalDrawKind::Text:
            break;
    }
}

void PaintText(HDC hDC, const CalDrawItem& item) {
    HFONT hFont =
        CreateFontW(-item.nTextPx, 0, 0, 0, item.bBold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, Ref(item.colour));
    RECT rc = {item.rc.left, item.rc.top, item.rc.right, item.rc.bottom};
    const std::wstring strText = Utf8ToWide(item.strText);
    DrawTextW(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc,
              AlignFlags(item.align) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(hDC, hOld);
    DeleteObject(hFont);
}

}  // namespace

void PaintCalPageLook(HDC hDC, int nWidth, int nHeight, const CalPageLook& look) {
    RECT rcPage = {0, 0, nWidth, nHeight};
    HBRUSH hBackground = CreateSolidBrush(Ref(look.background));
    FillRect(hDC, &rcPage, hBackground);
    DeleteObject(hBackground);
    HGDIOBJ hOldBrush = SelectObject(hDC, GetStockObject(NULL_BRUSH));
    for (const CalDrawItem& item : look.items) {
        if (item.kind == CalDrawKind::Text) {
            PaintText(hDC, item);
            continue;
        }
        LOGBRUSH brush = {BS_SOLID, Ref(item.colour), 0};
        HPEN hPen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                                 static_cast<DWORD>(item.nPenWidth), &brush, 0, nullptr);
        HGDIOBJ hOldPen = SelectObject(hDC, hPen);
        PaintOutline(hDC, item);
        SelectObject(hDC, hOldPen);
        DeleteObject(hPen);
    }
    SelectObject(hDC, hOldBrush);
}
