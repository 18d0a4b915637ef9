#include "platform/fonts/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>

#include "platform/gdi/DeviceContext.h"

namespace {

const char* const kRegularFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kBoldFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::mutex g_lock;

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
    }();
    return library;
}

// The font files are read once and kept for the process, so no file stays
// open while faces are in use.
const std::vector<uint8_t>* FontData(const char* path) {
    static std::map<std::string, std::vector<uint8_t>> files;
    auto it = files.find(path);
    if (it == files.end()) {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return nullptr;
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        if (bytes.empty())
            return nullptr;
        it = files.emplace(path, std::move(bytes)).first;
    }
    return &it->second;
}

}  // namespace

struct Font::Face {
    FT_Face face = nullptr;
    ~Face() {
        if (face) {
            std::lock_guard<std::mutex> guard(g_lock);
            FT_Done_Face(face);
        }
    }
};

std::vector<char32_t> CodePoints(std::u16string_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

Font::Font(std::unique_ptr<Face> face, int weight) : m_face(std::move(face)), m_weight(weight) {}

Font::~Font() = default;

std::unique_ptr<Font> Font::Create(int32_t height, int weight) {
    if (height == 0 || height > 1000 || height < -1000)
        return nullptr;
    std::unique_lock<std::mutex> guard(g_lock);
    FT_Library library = Library();
    const std::vector<uint8_t>* data = FontData(weight >= 600 ? kBoldFile : kRegularFile);
    if (!library || !data)
        return nullptr;
    auto face = std::make_unique<Face>();
    if (FT_New_Memory_Face(library, data->data(), FT_Long(data->size()), 0, &face->face) != 0) {
        face->face = nullptr;
        return nullptr;
    }
    FT_Face f = face->face;
    const double units = f->units_per_EM;
    const double cellUnits = double(f->ascender) - double(f->descender);
    if (units <= 0 || cellUnits <= 0)
        return nullptr;
    // The em size that gives the asked cell height, or the other way round.
    const double em = height > 0 ? height * units / cellUnits : -height;
    const int32_t cell = height > 0 ? height : int32_t(std::lround(em * cellUnits / units));
    if (FT_Set_Char_Size(f, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72) != 0)
        return nullptr;
    std::unique_ptr<Font> font(new Font(std::move(face), weight));
    TextMetrics& m = font->m_metrics;
    m.height = cell;
    m.ascent = int32_t(std::lround(cell * f->ascender / cellUnits));
    m.descent = cell - m.ascent;
    m.internalLeading = cell - int32_t(std::lround(em));
    guard.unlock();
    m.averageCharWidth = font->GlyphFor(U'x').advance;
    return font;
}

const Font::Glyph& Font::GlyphFor(char32_t codePoint) const {
    auto it = m_glyphs.find(codePoint);
    if (it != m_glyphs.end())
        return it->second;
    Glyph glyph;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        FT_Face f = m_face->face;
        const FT_UInt index = FT_Get_Char_Index(f, codePoint);
        if (FT_Load_Glyph(f, index, FT_LOAD_DEFAULT) == 0 &&
            FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) == 0) {
            const FT_GlyphSlot slot = f->glyph;
            const FT_Bitmap& bm = slot->bitmap;
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.advance = int32_t((slot->advance.x + 32) >> 6);
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.buffer) {
                glyph.width = int32_t(bm.width);
                glyph.rows = int32_t(bm.rows);
                glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.rows));
                for (int32_t y = 0; y < glyph.rows; ++y) {
                    const uint8_t* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
                    std::copy(row, row + glyph.width,
                              glyph.coverage.begin() + ptrdiff_t(y) * glyph.width);
                }
            }
        }
    }
    return m_glyphs.emplace(codePoint, std::move(glyph)).first->second;
}

int32_t Font::MeasureWidth(std::u16string_view text) const {
    int32_t width = 0;
    for (char32_t c : CodePoints(text))
        width += GlyphFor(c).advance;
    return width;
}

void Font::DrawLine(DeviceContext& dc, int32_t x, int32_t y, std::u16string_view text,
                    COLORREF colour, const Rect* clip) const {
    const int32_t baseline = y + m_metrics.ascent;
    int32_t pen = x;
    for (char32_t c : CodePoints(text)) {
        const Glyph& g = GlyphFor(c);
        Rect box{pen + g.left, baseline - g.top, pen + g.left + g.width, baseline - g.top + g.rows};
        pen += g.advance;
        if (clip)
            box = box.Intersect(*clip);
        if (box.IsEmpty())
            continue;
        const int32_t dx = box.left - (pen - g.advance + g.left);
        const int32_t dy = box.top - (baseline - g.top);
        dc.DrawCoverage(box.left, box.top, g.coverage.data() + ptrdiff_t(dy) * g.width + dx,
                        box.Width(), box.Height(), g.width, colour);
    }
}
