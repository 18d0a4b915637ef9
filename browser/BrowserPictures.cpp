#include "browser/BrowserPictures.h"

#include "platform/gdi/DeviceContext.h"

namespace {

constexpr COLORREF PAPER = RGB(0xE4, 0xE8, 0xEE);
constexpr COLORREF EDGE = RGB(0x8C, 0x94, 0xA0);
constexpr COLORREF HILL = RGB(0x9C, 0xB4, 0x9C);
constexpr COLORREF SUN = RGB(0xE8, 0xC8, 0x60);
constexpr COLORREF INK = RGB(0x30, 0x30, 0x38);

// A framed picture with a sun and a hill: "a photo goes here".
std::unique_ptr<Bitmap> DrawPlaceholder(int32_t side) {
    auto bitmap = CreateImageBitmap(nullptr, side, side, 32);
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

std::unique_ptr<Bitmap> DrawDropDownMark() {
    auto bitmap = CreateImageBitmap(nullptr, 15, 11, 32);
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    dc.FillSolidRect({0, 0, 15, 11}, RGB(255, 255, 255));
    dc.FillSolidRect({0, 0, 15, 11}, EDGE);
    dc.FillSolidRect({1, 1, 14, 10}, RGB(0xF4, 0xF4, 0xF4));
    for (int32_t row = 0; row < 4; ++row)
        dc.FillSolidRect({4 + row, 4 + row, 11 - row, 5 + row}, INK);
    return bitmap;
}

// Note: a page with lines and a folded corner. Card: a card with contacts.
constexpr const char* SYMBOLS[10] = {
    "kkkkkk.... kkkkkkkk..",
    "kwwwwkk... kyyyyyyyk.",
    "kwkkwkwk.. kyyyyyyyyk",
    "kwwwwkkkk. kyyyyyyyyk",
    "kwkkkkwwk. kyyyyyyyyk",
    "kwwwwwwwk. kyyyyyyyyk",
    "kwkkkkkwk. kgyggygygk",
    "kwwwwwwwk. kgyggygygk",
    "kkkkkkkkk. kgyggygygk",
    ".......... kkkkkkkkkk",
};

COLORREF SymbolInk(char c) {
    switch (c) {
    case 'k': return INK;
    case 'w': return RGB(255, 255, 255);
    case 'y': return RGB(0x50, 0x70, 0xC0);
    case 'g': return RGB(0xE0, 0xB0, 0x30);
    default: return LIST_SYMBOL_KEY;
    }
}

}  // namespace

Bitmap& PlaceholderPicture(bool small) {
    static const std::unique_ptr<Bitmap> large = DrawPlaceholder(48);
    static const std::unique_ptr<Bitmap> little = DrawPlaceholder(36);
    return small ? *little : *large;
}

Bitmap& DropDownMark() {
    static const std::unique_ptr<Bitmap> mark = DrawDropDownMark();
    return *mark;
}

std::unique_ptr<ImageStrip> MakeListSymbols() {
    auto bitmap = CreateImageBitmap(nullptr, 20, 10, 32);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            // Each picture is 10 wide; the table keeps a blank column between them.
            const char c = SYMBOLS[y][x < 10 ? x : x + 1];
            bitmap->SetValue(x, y, PixelFromColour(SymbolInk(c)));
        }
    return std::make_unique<ImageStrip>(std::move(bitmap), 10, 10, 0, 1, LIST_SYMBOL_KEY);
}
