#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gdi/Geometry.h"

class DeviceContext;
class Font;

// Text format flags.
constexpr uint32_t DT_TOP = 0x0000;
constexpr uint32_t DT_LEFT = 0x0000;
constexpr uint32_t DT_CENTER = 0x0001;
constexpr uint32_t DT_RIGHT = 0x0002;
constexpr uint32_t DT_VCENTER = 0x0004;
constexpr uint32_t DT_BOTTOM = 0x0008;
constexpr uint32_t DT_WORDBREAK = 0x0010;
constexpr uint32_t DT_SINGLELINE = 0x0020;
constexpr uint32_t DT_NOCLIP = 0x0100;
constexpr uint32_t DT_CALCRECT = 0x0400;
constexpr uint32_t DT_NOPREFIX = 0x0800;
constexpr uint32_t DT_END_ELLIPSIS = 0x8000;

// Draws text into `rect` (logical coordinates) in the context's text
// colour; in OPAQUE background mode each line's cell is filled with the
// background colour first. Without DT_SINGLELINE the text breaks at line
// feeds, and with DT_WORDBREAK also between words to fit the width (a word
// wider than the rectangle keeps a line of its own). DT_VCENTER and
// DT_BOTTOM apply to single lines. Without DT_NOPREFIX "&x" underlines x
// and "&&" is one '&'. DT_END_ELLIPSIS cuts a single line with "...".
// DT_CALCRECT draws nothing and sets the rectangle's right and bottom to
// what the text needs. Returns the height of the text.
int32_t DrawText(DeviceContext& dc, const Font& font, std::u16string_view text, Rect& rect,
                 uint32_t format);

// The text itself when it fits in `maxWidth`; otherwise characters are
// dropped from the end until the rest followed by "..." fits ("..." alone
// when nothing does).
std::u16string CutWithEllipsis(const Font& font, std::u16string_view text, int32_t maxWidth);
