#pragma once
#include <cstdint>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"

// Copies the bitmap into the rectangle with a source copy: at the
// rectangle's top-left corner, or centred in it. Only the part of the
// bitmap that falls inside the rectangle is copied, so a bitmap larger
// than the rectangle shows its top-left part (or, centred, its middle) and
// nothing outside the rectangle is touched. False when no memory context
// could take the bitmap.
bool DrawBitmapInRect(DeviceContext& dc, const Rect& rect, Bitmap& bitmap, bool centre);

// Fills left..right and top..bottom, both edges included, with a solid
// colour: a null-pen rectangle over right + 1 and bottom + 1. The pen and
// brush of the context are restored afterwards.
void FillRectSolid(DeviceContext& dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                   COLORREF colour);
