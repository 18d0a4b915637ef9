#pragma once
#include <cstdint>
#include <string_view>

#include "platform/gdi/Colour.h"
#include "platform/gdi/Geometry.h"

class DeviceContext;

// Rows of text as the list box and the dropped list of a drop-down list
// draw them: the UI font with two pixels above and below.
int32_t ListRowHeight();

// One row: window colours, or the highlight colours when selected; text
// grey when the control is disabled, cut with "..." when too long.
void DrawListRow(DeviceContext& dc, const Rect& row, std::u16string_view text, bool selected,
                 bool enabled);

// A one-pixel frame on the edge of `box`.
void DrawFrame(DeviceContext& dc, const Rect& box, COLORREF colour);

enum class ArrowDirection { Up, Down, Left, Right };

// A filled triangle whose base is `width` pixels across (odd widths come to
// a one-pixel point), centred in `box`.
void DrawArrowTriangle(DeviceContext& dc, const Rect& box, ArrowDirection direction, int32_t width,
                       COLORREF colour);

// The top row a vertical scroll code asks for, from the current top, the
// rows on a page and the last possible top (SB_TOP and SB_BOTTOM go to the
// ends); `top` itself for a code that moves nothing.
int TopForScroll(uint16_t code, int thumbPos, int top, int page, int maxTop);
