#pragma once
#include <cstdint>

// Colours as the drawing calls take them: 0x00BBGGRR. Bitmaps hold pixels
// as 0x00RRGGBB; PixelFromColour and ColourFromPixel are the only places
// where one becomes the other.
using COLORREF = uint32_t;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(uint8_t red, uint8_t green, uint8_t blue) {
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return uint8_t(c); }
constexpr uint8_t GetGValue(COLORREF c) { return uint8_t(c >> 8); }
constexpr uint8_t GetBValue(COLORREF c) { return uint8_t(c >> 16); }

namespace colour_detail {
constexpr uint32_t SwapRedBlue(uint32_t v) {
    return ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
}  // namespace colour_detail

constexpr uint32_t PixelFromColour(COLORREF c) { return colour_detail::SwapRedBlue(c); }
constexpr COLORREF ColourFromPixel(uint32_t pixel) { return colour_detail::SwapRedBlue(pixel); }

// System colour indexes the screens use.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;

// The fixed colour of a system colour index; black for unknown indexes.
COLORREF GetSysColor(int index);
