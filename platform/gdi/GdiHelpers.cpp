#include "platform/gdi/GdiHelpers.h"

bool DrawBitmapInRect(DeviceContext& dc, const Rect& rect, Bitmap& bitmap, bool centre) {
    Point at{rect.left, rect.top};
    if (centre) {
        at.x += (rect.Width() - bitmap.Width()) >> 1;
        at.y += (rect.Height() - bitmap.Height()) >> 1;
    }
    const Rect placed{at.x, at.y, at.x + bitmap.Width(), at.y + bitmap.Height()};
    const Rect shown = placed.Intersect(rect);
    if (shown.IsEmpty()) return true;
    DeviceContext memory;
    if (!memory.SelectObject(&bitmap)) return false;
    return dc.BitBlt(shown.left, shown.top, shown.Width(), shown.Height(), &memory,
                     shown.left - at.x, shown.top - at.y, SRCCOPY);
}

void FillRectSolid(DeviceContext& dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                   COLORREF colour) {
    const Brush brush(colour);
    const Pen* oldPen = dc.SelectObject(GetStockPen(NULL_PEN));
    const Brush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(left, top, right + 1, bottom + 1);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}
