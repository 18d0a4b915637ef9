#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Colour.h"
#include "platform/gdi/Geometry.h"

class DeviceContext;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

struct TextMetrics {
    int32_t height = 0;           // ascent + descent
    int32_t ascent = 0;           // cell top to baseline
    int32_t descent = 0;          // baseline to cell bottom
    int32_t internalLeading = 0;  // height minus the em size
    int32_t averageCharWidth = 0; // advance of 'x'
};

// DejaVu Sans (regular, or bold from weight 600 on) at a pixel size, drawn
// anti-aliased through FreeType. A positive height is the cell height
// (ascent + descent, internal leading included); a negative one the em
// size, as in a logical font. Glyphs are hinted and kept once rendered;
// advances are whole pixels and there is no kerning, so a text's width is
// the sum of its characters' widths.
class Font {
public:
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // nullptr when the height is 0 or beyond 1000 pixels, or the font file
    // cannot be read.
    static std::unique_ptr<Font> Create(int32_t height, int weight = FW_NORMAL);

    const TextMetrics& Metrics() const { return m_metrics; }
    int Weight() const { return m_weight; }
    int32_t MeasureWidth(std::u16string_view text) const;
    // Width of the text and the cell height of one line.
    Size MeasureText(std::u16string_view text) const { return {MeasureWidth(text), m_metrics.height}; }

    // Draws one line with its cell's top-left corner at (x, y) in `colour`,
    // glyphs cut to `clip` when given (logical coordinates).
    void DrawLine(DeviceContext& dc, int32_t x, int32_t y, std::u16string_view text,
                  COLORREF colour, const Rect* clip) const;

private:
    struct Glyph {
        int32_t left = 0;     // from the pen position to the first column
        int32_t top = 0;      // from the baseline up to the first row
        int32_t width = 0;
        int32_t rows = 0;
        int32_t advance = 0;
        std::vector<uint8_t> coverage;
    };
    struct Face;

    Font(std::unique_ptr<Face> face, int weight);
    const Glyph& GlyphFor(char32_t codePoint) const;

    std::unique_ptr<Face> m_face;
    int m_weight;
    TextMetrics m_metrics;
    mutable std::unordered_map<char32_t, Glyph> m_glyphs;
};

// Code points of a UTF-16 text; lone surrogates become U+FFFD.
std::vector<char32_t> CodePoints(std::u16string_view text);
