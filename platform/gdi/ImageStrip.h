#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"

// A bitmap holding images of equal size in columns of `perColumn` images,
// `gap` pixels apart and from the edges, drawn with one colour transparent.
class ImageStrip {
public:
    ImageStrip(std::unique_ptr<Bitmap> strip, int32_t cellWidth, int32_t cellHeight, int32_t gap,
               int32_t perColumn, COLORREF keyColour);

    // Where image `index` lies in the strip.
    Rect CellRect(int32_t index) const;

    // Draws image `index` with its top-left corner at (x, y); pixels of the
    // key colour leave the destination as it was. False when the strip is
    // missing, the index is negative or a work bitmap cannot be made.
    bool Draw(DeviceContext& dc, int32_t index, int32_t x, int32_t y) const;

private:
    std::unique_ptr<Bitmap> m_strip;
    int32_t m_cellWidth;
    int32_t m_cellHeight;
    int32_t m_gap;
    int32_t m_perColumn;
    COLORREF m_key;
};
