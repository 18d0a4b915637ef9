#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Geometry.h"
#include "platform/gdi/Region.h"

// Raster operations (ternary codes: the high word indexes the truth table
// over pattern, source and destination).
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// A drawing context over a bitmap. A memory context (default constructor)
// draws into whatever bitmap is selected into it and starts with a stock
// 1 x 1 monochrome bitmap; a surface context draws into a fixed bitmap
// (a window's part of the frame buffer) at an origin and inside a visible
// region, and refuses bitmap selection.
//
// Coordinates are logical: device = logical + origin. Every drawing call is
// clipped to the visible region, intersected with the clip region when one
// is set. Selected objects are not owned; see GdiObject for what happens
// when one is destroyed while selected.
//
// Defaults: 1-px black pen, white brush, black text, white background,
// opaque background mode.
class DeviceContext {
public:
    DeviceContext();
    DeviceContext(Bitmap& surface, Point origin, const Region& visible);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // Each returns the previously selected object. Selecting a bitmap into a
    // surface context, or nullptr, fails and returns nullptr.
    Bitmap* SelectObject(Bitmap* bitmap);
    const Pen* SelectObject(const Pen* pen);
    const Brush* SelectObject(const Brush* brush);
    Bitmap* GetCurrentBitmap() const { return m_surfaceFixed ? nullptr : m_surface; }
    const Pen* GetCurrentPen() const { return m_pen; }
    const Brush* GetCurrentBrush() const { return m_brush; }
    bool IsMono() const { return m_surface->IsMono(); }

    // Text state; each setter returns the previous value. Text output
    // (glyphs through FreeType) builds on DrawCoverage and these values.
    COLORREF SetTextColor(COLORREF colour);
    COLORREF SetBkColor(COLORREF colour);
    int SetBkMode(int mode);
    COLORREF GetTextColor() const { return m_textColour; }
    COLORREF GetBkColor() const { return m_bkColour; }
    int GetBkMode() const { return m_bkMode; }

    // Clipping; each returns the complexity of the resulting clip.
    int IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    int ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // A region in logical coordinates, or nullptr for the whole surface.
    int SelectClipRgn(const Region* region);
    // Bounding box of what can be drawn, in logical coordinates.
    int GetClipBox(Rect& box) const;

    // Pixel access in logical coordinates; CLR_INVALID outside the clip.
    COLORREF GetPixel(int32_t x, int32_t y) const;
    COLORREF SetPixel(int32_t x, int32_t y, COLORREF colour);

    // Left and top included, right and bottom excluded. A hollow brush
    // fills nothing.
    void FillRect(const Rect& rect, const Brush* brush);
    void FillSolidRect(const Rect& rect, COLORREF colour);
    // Outline with the pen, inside filled with the brush. The outline runs
    // on the pixels left..right-1, top..bottom-1, and a wide pen is centred
    // on it. With the null pen the brush covers left..right-1,
    // top..bottom-1: one rule for every caller, where GDI would drop one
    // more column and row.
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void MoveTo(int32_t x, int32_t y, Point* previous = nullptr);
    // A line from the current position with the pen; its end point is not
    // drawn and becomes the current position.
    void LineTo(int32_t x, int32_t y);
    Point GetCurrentPosition() const { return m_position; }
    // A dotted frame drawn by inverting every other pixel, so that drawing
    // it a second time removes it.
    void DrawFocusRect(const Rect& rect);

    // Block transfer with a raster operation. Between formats: a colour
    // source becomes monochrome by "pixel == source background colour -> 1",
    // a monochrome source becomes colour by "1 -> background colour, 0 ->
    // text colour" of this context. Parts whose source lies outside the
    // source bitmap are left alone. False when the operation needs a source
    // and none is given.
    bool BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, const DeviceContext* source,
                int32_t xSource, int32_t ySource, uint32_t rop);
    // Block operation without a source (pattern = the selected brush).
    bool PatBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop);

    // Blends `colour` over the pixels by an 8-bit coverage mask (255 = full
    // colour), clipped; the building block of text output.
    void DrawCoverage(int32_t x, int32_t y, const uint8_t* coverage, int32_t width,
                      int32_t height, ptrdiff_t stride, COLORREF colour);

private:
    friend class GdiObject;
    void Detach(const GdiObject* object);
    void Track(const GdiObject* object);
    void Untrack(const GdiObject* object);
    void UpdateClip();

    Rect ToDevice(const Rect& rect) const { return rect.Offset(m_origin.x, m_origin.y); }
    uint32_t SurfaceValue(COLORREF colour) const;
    void FillDevice(const Rect& rect, uint32_t value);
    void PlotDevice(int32_t x, int32_t y, uint32_t value);
    void StampPen(int32_t x, int32_t y, uint32_t value, int width);
    void FrameWithPen(const Rect& rect);
    bool RasterOp(const Rect& dest, const DeviceContext* source, Point sourceDevice,
                  uint32_t rop);

    Bitmap* m_surface;
    bool m_surfaceFixed = false;
    Point m_origin;
    Region m_visible;                 // device coordinates
    std::optional<Region> m_userClip; // device coordinates
    Region m_clip;                    // visible intersected with the user clip
    const Pen* m_pen;
    const Brush* m_brush;
    COLORREF m_textColour = RGB(0, 0, 0);
    COLORREF m_bkColour = RGB(255, 255, 255);
    int m_bkMode = OPAQUE;
    Point m_position;
};
