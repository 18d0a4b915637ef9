#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t PIXEL_MASK = 0x00FFFFFFu;
constexpr uint32_t MONO_ONES = 0xFFFFFFFFu;

Bitmap* StockBitmap() {
    static Bitmap* const bitmap = Bitmap::Create(1, 1, 1).release();
    return bitmap;
}

Rect SurfaceRect(const Bitmap& bitmap) { return {0, 0, bitmap.Width(), bitmap.Height()}; }

uint8_t RopIndex(uint32_t rop) { return uint8_t(rop >> 16); }
bool RopUsesSource(uint8_t index) { return (((index >> 2) ^ index) & 0x33) != 0; }

// Evaluates a ternary raster operation bit by bit from its truth table.
uint32_t ApplyRop(uint8_t index, uint32_t p, uint32_t s, uint32_t d) {
    switch (index) {
    case 0xCC: return s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    default: break;
    }
    uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (((index >> i) & 1) == 0) continue;
        result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return result;
}

// Source pixels of one row in the destination's terms: 0x00RRGGBB for a
// colour destination, all zeros or all ones for a monochrome one.
struct SourceConversion {
    bool sourceMono;
    bool destMono;
    uint32_t sourceBackground;  // pixel that becomes 1 in colour -> mono
    uint32_t oneColour;         // mono -> colour
    uint32_t zeroColour;

    void ReadRow(const Bitmap& source, int32_t x, int32_t y, int32_t count, uint32_t* out) const {
        if (sourceMono) {
            const uint8_t* row = source.MonoRow(y) + x;
            for (int32_t i = 0; i < count; ++i)
                out[i] = destMono ? (row[i] ? MONO_ONES : 0) : (row[i] ? oneColour : zeroColour);
            return;
        }
        const uint32_t* row = source.Row(y) + x;
        if (!destMono) {
            std::memcpy(out, row, size_t(count) * 4);
            return;
        }
        for (int32_t i = 0; i < count; ++i)
            out[i] = (row[i] & PIXEL_MASK) == sourceBackground ? MONO_ONES : 0;
    }
};

}  // namespace

DeviceContext::DeviceContext()
    : m_surface(StockBitmap()),
      m_pen(GetStockPen(BLACK_PEN)),
      m_brush(GetStockBrush(WHITE_BRUSH)) {
    Track(m_surface);
    Track(m_pen);
    Track(m_brush);
    m_visible = Region(SurfaceRect(*m_surface));
    UpdateClip();
}

DeviceContext::DeviceContext(Bitmap& surface, Point origin, const Region& visible)
    : m_surface(&surface),
      m_surfaceFixed(true),
      m_origin(origin),
      m_visible(visible),
      m_pen(GetStockPen(BLACK_PEN)),
      m_brush(GetStockBrush(WHITE_BRUSH)) {
    Track(m_surface);
    Track(m_pen);
    Track(m_brush);
    m_visible.Intersect(SurfaceRect(surface));
    UpdateClip();
}

DeviceContext::~DeviceContext() {
    Untrack(m_surface);
    Untrack(m_pen);
    Untrack(m_brush);
}

void DeviceContext::Track(const GdiObject* object) { object->m_selectedIn.push_back(this); }

void DeviceContext::Untrack(const GdiObject* object) {
    auto& list = object->m_selectedIn;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
}

void DeviceContext::Detach(const GdiObject* object) {
    if (object == m_surface) {
        if (!m_surfaceFixed) {
            SelectObject(StockBitmap());
        } else {
            Untrack(m_surface);
            m_surface = StockBitmap();
            Track(m_surface);
            m_visible = Region();
            UpdateClip();
        }
    }
    if (object == m_pen) SelectObject(GetStockPen(BLACK_PEN));
    if (object == m_brush) SelectObject(GetStockBrush(WHITE_BRUSH));
}

Bitmap* DeviceContext::SelectObject(Bitmap* bitmap) {
    if (!bitmap || m_surfaceFixed) return nullptr;
    Bitmap* previous = m_surface;
    Untrack(previous);
    m_surface = bitmap;
    Track(bitmap);
    m_visible = Region(SurfaceRect(*bitmap));
    UpdateClip();
    return previous;
}

const Pen* DeviceContext::SelectObject(const Pen* pen) {
    if (!pen) return nullptr;
    const Pen* previous = m_pen;
    Untrack(previous);
    m_pen = pen;
    Track(pen);
    return previous;
}

const Brush* DeviceContext::SelectObject(const Brush* brush) {
    if (!brush) return nullptr;
    const Brush* previous = m_brush;
    Untrack(previous);
    m_brush = brush;
    Track(brush);
    return previous;
}

COLORREF DeviceContext::SetTextColor(COLORREF colour) {
    return std::exchange(m_textColour, colour & PIXEL_MASK);
}

COLORREF DeviceContext::SetBkColor(COLORREF colour) {
    return std::exchange(m_bkColour, colour & PIXEL_MASK);
}

int DeviceContext::SetBkMode(int mode) {
    if (mode != OPAQUE && mode != TRANSPARENT) return 0;
    return std::exchange(m_bkMode, mode);
}

void DeviceContext::UpdateClip() {
    m_clip = m_visible;
    if (m_userClip) m_clip.Intersect(*m_userClip);
}

int DeviceContext::IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!m_userClip) m_userClip = m_visible;
    m_userClip->Intersect(ToDevice(Rect{left, top, right, bottom}.Normalised()));
    UpdateClip();
    return m_clip.Complexity();
}

int DeviceContext::ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!m_userClip) m_userClip = m_visible;
    m_userClip->Subtract(ToDevice(Rect{left, top, right, bottom}.Normalised()));
    UpdateClip();
    return m_clip.Complexity();
}

int DeviceContext::SelectClipRgn(const Region* region) {
    m_userClip.reset();
    if (region) {
        m_userClip = *region;
        m_userClip->Offset(m_origin.x, m_origin.y);
    }
    UpdateClip();
    return m_clip.Complexity();
}

int DeviceContext::GetClipBox(Rect& box) const {
    box = m_clip.Bounds();
    if (!m_clip.IsEmpty()) box = box.Offset(-m_origin.x, -m_origin.y);
    return m_clip.Complexity();
}

uint32_t DeviceContext::SurfaceValue(COLORREF colour) const {
    if (!IsMono()) return PixelFromColour(colour) & PIXEL_MASK;
    const int sum = GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
    return sum >= 384 ? 1 : 0;
}

COLORREF DeviceContext::GetPixel(int32_t x, int32_t y) const {
    const int32_t dx = x + m_origin.x, dy = y + m_origin.y;
    if (!m_clip.Contains(dx, dy)) return CLR_INVALID;
    const uint32_t value = m_surface->Value(dx, dy);
    if (IsMono()) return value ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return ColourFromPixel(value & PIXEL_MASK);
}

COLORREF DeviceContext::SetPixel(int32_t x, int32_t y, COLORREF colour) {
    const int32_t dx = x + m_origin.x, dy = y + m_origin.y;
    if (!m_clip.Contains(dx, dy)) return CLR_INVALID;
    m_surface->SetValue(dx, dy, SurfaceValue(colour));
    return GetPixel(x, y);
}

void DeviceContext::FillDevice(const Rect& rect, uint32_t value) {
    for (const Rect& clip : m_clip.Rects()) {
        const Rect r = rect.Intersect(clip);
        if (r.IsEmpty()) continue;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            if (IsMono())
                std::memset(m_surface->MonoRow(y) + r.left, int(value & 1), size_t(r.Width()));
            else
                std::fill_n(m_surface->Row(y) + r.left, r.Width(), value);
        }
    }
}

void DeviceContext::PlotDevice(int32_t x, int32_t y, uint32_t value) {
    if (m_clip.Contains(x, y)) m_surface->SetValue(x, y, value);
}

void DeviceContext::FillRect(const Rect& rect, const Brush* brush) {
    if (!brush || brush->IsNull()) return;
    FillDevice(ToDevice(rect), SurfaceValue(brush->Colour()));
}

void DeviceContext::FillSolidRect(const Rect& rect, COLORREF colour) {
    FillDevice(ToDevice(rect), SurfaceValue(colour));
}

void DeviceContext::FrameWithPen(const Rect& rect) {
    // A pen of width w is centred on the one-pixel outline: w / 2 pixels
    // outside it and (w - 1) / 2 inside.
    const int width = m_pen->Width();
    const int32_t out = width / 2, in = (width - 1) / 2;
    Region band(Rect{rect.left - out, rect.top - out, rect.right + out, rect.bottom + out});
    band.Subtract(Rect{rect.left + 1 + in, rect.top + 1 + in, rect.right - 1 - in,
                       rect.bottom - 1 - in});
    const uint32_t value = SurfaceValue(m_pen->Colour());
    for (const Rect& r : band.Rects()) FillDevice(ToDevice(r), value);
}

void DeviceContext::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const Rect rect = Rect{left, top, right, bottom}.Normalised();
    if (rect.IsEmpty()) return;
    FillRect(rect, m_brush);
    if (!m_pen->IsNull()) FrameWithPen(rect);
}

void DeviceContext::MoveTo(int32_t x, int32_t y, Point* previous) {
    if (previous) *previous = m_position;
    m_position = {x, y};
}

void DeviceContext::StampPen(int32_t x, int32_t y, uint32_t value, int width) {
    if (width == 1) {
        PlotDevice(x, y, value);
        return;
    }
    const int32_t left = x - (width - 1) / 2, top = y - (width - 1) / 2;
    FillDevice({left, top, left + width, top + width}, value);
}

void DeviceContext::LineTo(int32_t x, int32_t y) {
    const Point start = m_position;
    m_position = {x, y};
    if (m_pen->IsNull()) return;
    const uint32_t value = SurfaceValue(m_pen->Colour());
    const int width = m_pen->Width();
    int32_t px = start.x + m_origin.x, py = start.y + m_origin.y;
    const int32_t ex = x + m_origin.x, ey = y + m_origin.y;
    const int32_t dx = std::abs(ex - px), dy = -std::abs(ey - py);
    const int32_t sx = px < ex ? 1 : -1, sy = py < ey ? 1 : -1;
    int64_t error = int64_t(dx) + dy;
    while (px != ex || py != ey) {
        StampPen(px, py, value, width);
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += sx;
        }
        if (twice <= dx) {
            error += dx;
            py += sy;
        }
    }
}

void DeviceContext::DrawFocusRect(const Rect& logical) {
    const Rect r = ToDevice(logical.Normalised());
    if (r.IsEmpty()) return;
    const uint32_t invert = IsMono() ? 1 : PIXEL_MASK;
    auto dot = [&](int32_t x, int32_t y) {
        if (((x + y) & 1) == 0 && m_clip.Contains(x, y))
            m_surface->SetValue(x, y, m_surface->Value(x, y) ^ invert);
    };
    // Each outline pixel exactly once, so that the inversion undoes itself.
    for (int32_t x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
    }
    for (int32_t y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left) dot(r.right - 1, y);
    }
}

bool DeviceContext::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height,
                           const DeviceContext* source, int32_t xSource, int32_t ySource,
                           uint32_t rop) {
    const Rect dest = ToDevice(Rect{x, y, x + width, y + height});
    if (!source) return RasterOp(dest, nullptr, {}, rop);
    return RasterOp(dest, source, {xSource + source->m_origin.x, ySource + source->m_origin.y},
                    rop);
}

bool DeviceContext::PatBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop) {
    if (RopUsesSource(RopIndex(rop))) return false;
    return RasterOp(ToDevice(Rect{x, y, x + width, y + height}), nullptr, {}, rop);
}

bool DeviceContext::RasterOp(const Rect& dest, const DeviceContext* source, Point sourceDevice,
                             uint32_t rop) {
    const uint8_t index = RopIndex(rop);
    const bool usesSource = RopUsesSource(index);
    if (usesSource && !source) return false;
    if (dest.IsEmpty()) return true;

    Region area = m_clip;
    area.Intersect(dest);
    const int32_t shiftX = sourceDevice.x - dest.left, shiftY = sourceDevice.y - dest.top;
    const Bitmap* sourceBitmap = usesSource ? source->m_surface : nullptr;
    std::unique_ptr<Bitmap> snapshot;
    int32_t snapX = 0, snapY = 0;
    if (usesSource) {
        area.Intersect(SurfaceRect(*sourceBitmap).Offset(-shiftX, -shiftY));
        if (area.IsEmpty()) return true;
        if (sourceBitmap == m_surface) {
            // Overlapping copies within one bitmap read from a snapshot.
            const Rect from = area.Bounds().Offset(shiftX, shiftY);
            snapshot = Bitmap::Create(from.Width(), from.Height(), sourceBitmap->BitsPerPixel());
            if (!snapshot) return false;
            const size_t pixelBytes = sourceBitmap->IsMono() ? 1 : 4;
            for (int32_t row = 0; row < from.Height(); ++row)
                std::memcpy(snapshot->Data() + size_t(row) * snapshot->Stride(),
                            sourceBitmap->Data() + size_t(from.top + row) * sourceBitmap->Stride() +
                                pixelBytes * size_t(from.left),
                            pixelBytes * size_t(from.Width()));
            sourceBitmap = snapshot.get();
            snapX = from.left;
            snapY = from.top;
        }
    }

    const bool destMono = IsMono();
    SourceConversion conversion{};
    if (usesSource) {
        conversion = {source->IsMono(), destMono, PixelFromColour(source->m_bkColour),
                      PixelFromColour(m_bkColour), PixelFromColour(m_textColour)};
    }
    uint32_t pattern = 0;
    if (!m_brush->IsNull()) {
        pattern = SurfaceValue(m_brush->Colour());
        if (destMono) pattern = pattern ? MONO_ONES : 0;
    }

    std::vector<uint32_t> sourceRow;
    for (const Rect& r : area.Rects()) {
        sourceRow.resize(size_t(r.Width()));
        for (int32_t row = r.top; row < r.bottom; ++row) {
            if (usesSource)
                conversion.ReadRow(*sourceBitmap, r.left + shiftX - snapX, row + shiftY - snapY,
                                   r.Width(), sourceRow.data());
            if (destMono) {
                uint8_t* d = m_surface->MonoRow(row) + r.left;
                for (int32_t i = 0; i < r.Width(); ++i) {
                    const uint32_t s = usesSource ? sourceRow[size_t(i)] : 0;
                    d[i] = uint8_t(ApplyRop(index, pattern, s, d[i] ? MONO_ONES : 0) & 1);
                }
            } else {
                uint32_t* d = m_surface->Row(row) + r.left;
                for (int32_t i = 0; i < r.Width(); ++i) {
                    const uint32_t s = usesSource ? sourceRow[size_t(i)] : 0;
                    d[i] = ApplyRop(index, pattern, s, d[i]) & PIXEL_MASK;
                }
            }
        }
    }
    return true;
}

void DeviceContext::DrawCoverage(int32_t x, int32_t y, const uint8_t* coverage, int32_t width,
                                 int32_t height, ptrdiff_t stride, COLORREF colour) {
    if (!coverage || width <= 0 || height <= 0) return;
    const Rect dest = ToDevice(Rect{x, y, x + width, y + height});
    const uint32_t pixel = PixelFromColour(colour);
    for (const Rect& clip : m_clip.Rects()) {
        const Rect r = dest.Intersect(clip);
        for (int32_t row = r.top; row < r.bottom; ++row) {
            const uint8_t* cover = coverage + (row - dest.top) * stride;
            for (int32_t col = r.left; col < r.right; ++col) {
                const uint32_t c = cover[col - dest.left];
                if (c == 0) continue;
                if (IsMono()) {
                    if (c >= 128) m_surface->SetValue(col, row, SurfaceValue(colour));
                    continue;
                }
                const uint32_t old = m_surface->Value(col, row);
                uint32_t blended = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t a = (pixel >> shift) & 0xFF, b = (old >> shift) & 0xFF;
                    blended |= ((a * c + b * (255 - c) + 127) / 255) << shift;
                }
                m_surface->SetValue(col, row, blended);
            }
        }
    }
}
