#include "resources/ResourceBitmaps.h"

#include <algorithm>

#include "platform/gdi/DeviceContext.h"

namespace {

constexpr COLORREF PAPER = RGB(0xE4, 0xE8, 0xEE);
constexpr COLORREF EDGE = RGB(0x8C, 0x94, 0xA0);
constexpr COLORREF HILL = RGB(0x9C, 0xB4, 0x9C);
constexpr COLORREF SUN = RGB(0xE8, 0xC8, 0x60);
constexpr COLORREF INK = RGB(0x30, 0x30, 0x38);
constexpr COLORREF BLUE = RGB(0x50, 0x70, 0xC0);

// A framed picture with a sun and a hill: "a photo goes here".
std::unique_ptr<Bitmap> Placeholder(int32_t side) {
    auto bitmap = CreateImageBitmap(nullptr, side, side, 32);
    if (!bitmap)
        return nullptr;
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    dc.FillSolidRect({0, 0, side, side}, RGB(255, 255, 255));
    const int32_t inset = side / 8;
    const Rect frame{inset, inset + side / 8, side - inset, side - inset - side / 8};
    dc.FillSolidRect(frame, EDGE);
    const Rect inside{frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2};
    dc.FillSolidRect(inside, PAPER);
    const int32_t sun = side / 8;
    dc.FillSolidRect({inside.right - 2 * sun - 2, inside.top + 2, inside.right - sun - 2,
                      inside.top + 2 + sun},
                     SUN);
    // The hill: rows widening towards the frame's bottom.
    const int32_t peak = inside.left + inside.Width() / 3;
    for (int32_t y = inside.top + inside.Height() / 3; y < inside.bottom; ++y) {
        const int32_t half = (y - (inside.top + inside.Height() / 3)) * 3 / 2;
        const Rect row{std::max(inside.left, peak - half), y, std::min(inside.right, peak + half + 1),
                       y + 1};
        if (!row.IsEmpty())
            dc.FillSolidRect(row, HILL);
    }
    return bitmap;
}

std::unique_ptr<Bitmap> DropDown() {
    auto bitmap = CreateImageBitmap(nullptr, 15, 11, 32);
    if (!bitmap)
        return nullptr;
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    dc.FillSolidRect({0, 0, 15, 11}, EDGE);
    dc.FillSolidRect({1, 1, 14, 10}, RGB(0xF4, 0xF4, 0xF4));
    for (int32_t row = 0; row < 4; ++row)
        dc.FillSolidRect({4 + row, 4 + row, 11 - row, 5 + row}, INK);
    return bitmap;
}

// One character a pixel; anything unnamed is the background.
COLORREF Ink(char c, COLORREF background) {
    switch (c) {
    case 'k': return INK;
    case 'w': return RGB(255, 255, 255);
    case 'y': return BLUE;
    case 'g': return RGB(0xE0, 0xB0, 0x30);
    default: return background;
    }
}

void PaintTable(Bitmap& bitmap, Point at, const char* const* rows, int32_t height,
                COLORREF background) {
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; rows[y][x]; ++x)
            bitmap.SetValue(at.x + x, at.y + y, PixelFromColour(Ink(rows[y][x], background)));
}

// Note: a page with lines and a folded corner. Card: a card with contacts.
constexpr const char* NOTE[LIST_IMAGE_WIDTH] = {
    "kkkkkk....", "kwwwwkk...", "kwkkwkwk..", "kwwwwkkkk.", "kwkkkkwwk.",
    "kwwwwwwwk.", "kwkkkkkwk.", "kwwwwwwwk.", "kkkkkkkkk.", "..........",
};
constexpr const char* CARD[LIST_IMAGE_WIDTH] = {
    "kkkkkkkk..", "kyyyyyyyk.", "kyyyyyyyyk", "kyyyyyyyyk", "kyyyyyyyyk",
    "kyyyyyyyyk", "kgyggygygk", "kgyggygygk", "kgyggygygk", "kkkkkkkkkk",
};

std::unique_ptr<Bitmap> ListImages() {
    auto bitmap = CreateImageBitmap(nullptr, 2 * LIST_IMAGE_WIDTH, LIST_IMAGE_WIDTH, 32);
    if (!bitmap)
        return nullptr;
    PaintTable(*bitmap, {0, 0}, NOTE, LIST_IMAGE_WIDTH, LIST_IMAGE_MASK);
    PaintTable(*bitmap, {LIST_IMAGE_WIDTH, 0}, CARD, LIST_IMAGE_WIDTH, LIST_IMAGE_MASK);
    return bitmap;
}

// A ring, filled when on, with a tick. Half-pixel arithmetic centres the
// disc in the odd-sized cell.
constexpr const char* TICK[7] = {
    "......w", ".....ww", "w...ww.", "ww.ww..", ".www...", "..w....", ".......",
};

void PaintState(Bitmap& bitmap, int32_t left, bool on) {
    constexpr int32_t outer = 17, inner = 13;  // half pixels
    for (int32_t y = 0; y < TWO_STATE_CELL_HEIGHT; ++y) {
        for (int32_t x = 0; x < TWO_STATE_CELL_WIDTH; ++x) {
            const int32_t dx = 2 * x + 1 - TWO_STATE_CELL_WIDTH, dy = 2 * y + 1 - TWO_STATE_CELL_HEIGHT;
            const int32_t d = dx * dx + dy * dy;
            if (d <= outer * outer && (on || d >= inner * inner))
                bitmap.SetValue(left + x, y, PixelFromColour(on ? BLUE : INK));
        }
    }
    if (on)
        PaintTable(bitmap, {left + 8, 7}, TICK, 7, BLUE);
}

// One pixel wider and higher than the cells: the strip is read in cells
// of (w + 1) x (h + 1).
std::unique_ptr<Bitmap> TwoState() {
    const int32_t width = 2 * TWO_STATE_CELL_WIDTH + 1, height = TWO_STATE_CELL_HEIGHT + 1;
    auto bitmap = CreateImageBitmap(nullptr, width, height, 32);
    if (!bitmap)
        return nullptr;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            bitmap->SetValue(x, y, PixelFromColour(TWO_STATE_KEY));
    PaintState(*bitmap, 0, false);
    PaintState(*bitmap, TWO_STATE_CELL_WIDTH, true);
    return bitmap;
}

}  // namespace

std::unique_ptr<Bitmap> LoadBitmapResource(UINT id) {
    switch (id) {
    case IDB_LIST_IMAGES: return ListImages();
    case IDB_DROP_DOWN: return DropDown();
    case IDB_TWO_STATE: return TwoState();
    case IDB_PLACEHOLDER: return Placeholder(48);
    case IDB_PLACEHOLDER_SMALL: return Placeholder(36);
    default: return nullptr;
    }
}
