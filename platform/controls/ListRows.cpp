#include "platform/controls/ListRows.h"

#include "platform/gdi/Colour.h"
#include "platform/controls/ControlMessages.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/fonts/DrawText.h"
#include "platform/fonts/SystemFont.h"

namespace {
constexpr int32_t ROW_PADDING = 2;  // above and below the text, and left of it
}

int32_t ListRowHeight() {
    const Font* font = GetUiFont(UiFont::Normal);
    return (font ? font->Metrics().height : UI_FONT_HEIGHT) + 2 * ROW_PADDING;
}

void DrawListRow(DeviceContext& dc, const Rect& row, std::u16string_view text, bool selected,
                 bool enabled) {
    dc.FillSolidRect(row, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const Font* font = GetUiFont(UiFont::Normal);
    if (!font || text.empty())
        return;
    const int textColour = !enabled ? COLOR_GRAYTEXT
        : selected                  ? COLOR_HIGHLIGHTTEXT
                                    : COLOR_WINDOWTEXT;
    const COLORREF oldColour = dc.SetTextColor(GetSysColor(textColour));
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    Rect box{row.left + ROW_PADDING, row.top, row.right - ROW_PADDING, row.bottom};
    DrawText(dc, *font, text, box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColour);
}

void DrawFrame(DeviceContext& dc, const Rect& r, COLORREF colour) {
    dc.FillSolidRect({r.left, r.top, r.right, r.top + 1}, colour);
    dc.FillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, colour);
    dc.FillSolidRect({r.left, r.top, r.left + 1, r.bottom}, colour);
    dc.FillSolidRect({r.right - 1, r.top, r.right, r.bottom}, colour);
}

void DrawArrowTriangle(DeviceContext& dc, const Rect& box, ArrowDirection direction, int32_t width,
                       COLORREF colour) {
    const int32_t depth = (width + 1) / 2;
    const bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    const int32_t across = vertical ? box.Width() : box.Height();
    const int32_t along = vertical ? box.Height() : box.Width();
    const int32_t baseStart = (across - width) / 2;
    const int32_t tipStart = (along - depth) / 2;
    for (int32_t i = 0; i < depth; ++i) {
        // Line i runs from the base (i = 0) towards the point.
        const bool baseFirst =
            direction == ArrowDirection::Down || direction == ArrowDirection::Right;
        const int32_t at = tipStart + (baseFirst ? i : depth - 1 - i);
        const int32_t from = baseStart + i;
        const int32_t to = baseStart + width - i;
        const Rect line = vertical
            ? Rect{box.left + from, box.top + at, box.left + to, box.top + at + 1}
            : Rect{box.left + at, box.top + from, box.left + at + 1, box.top + to};
        dc.FillSolidRect(line, colour);
    }
}

int TopForScroll(uint16_t code, int thumbPos, int top, int page, int maxTop) {
    switch (code) {
    case SB_LINEUP: return top - 1;
    case SB_LINEDOWN: return top + 1;
    case SB_PAGEUP: return top - page;
    case SB_PAGEDOWN: return top + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return thumbPos;
    case SB_TOP: return 0;
    case SB_BOTTOM: return maxTop;
    default: return top;
    }
}
