#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gdi/GdiObjects.h"

class DeviceContext;

// A bitmap of 32 bits per pixel (0x00RRGGBB, top-down, rows of width x 4
// bytes with no padding) or a monochrome one of 1 bit per pixel. Monochrome
// pixels are kept one byte each, 0 or 1, since nothing outside the drawing
// code reads their bits. Pixels start out zero (black).
class Bitmap : public GdiObject {
public:
    // Largest side and largest pixel count accepted; anything bigger is
    // refused rather than allocated.
    static constexpr int32_t MAX_SIDE = 65535;
    static constexpr uint64_t MAX_PIXELS = uint64_t(1) << 27;

    // nullptr when the size is absurd, bpp is neither 1 nor 32, or memory
    // runs out.
    static std::unique_ptr<Bitmap> Create(int32_t width, int32_t height, int bitsPerPixel);
    // The same with the pixels left as they come, for a caller that writes
    // every one of them before reading any (a decoder's output): a large
    // picture's pages are then touched once, by the writing.
    static std::unique_ptr<Bitmap> CreateUncleared(int32_t width, int32_t height, int bitsPerPixel);

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    bool IsMono() const { return m_bitsPerPixel == 1; }
    // Bytes from one row to the next.
    size_t Stride() const { return m_stride; }

    uint8_t* Data() { return m_data.get(); }
    const uint8_t* Data() const { return m_data.get(); }
    // 32-bit bitmaps only.
    uint32_t* Row(int32_t y) { return reinterpret_cast<uint32_t*>(m_data.get() + y * m_stride); }
    const uint32_t* Row(int32_t y) const {
        return reinterpret_cast<const uint32_t*>(m_data.get() + y * m_stride);
    }
    // Monochrome bitmaps only: one byte, 0 or 1, per pixel.
    uint8_t* MonoRow(int32_t y) { return m_data.get() + y * m_stride; }
    const uint8_t* MonoRow(int32_t y) const { return m_data.get() + y * m_stride; }

    // The stored value: 0x00RRGGBB, or 0/1 for monochrome. No range check.
    uint32_t Value(int32_t x, int32_t y) const {
        return IsMono() ? MonoRow(y)[x] : Row(y)[x];
    }
    void SetValue(int32_t x, int32_t y, uint32_t value) {
        if (IsMono())
            MonoRow(y)[x] = uint8_t(value & 1);
        else
            Row(y)[x] = value;
    }

private:
    Bitmap(int32_t width, int32_t height, int bitsPerPixel, size_t stride,
           std::unique_ptr<uint8_t[]> data);

    int32_t m_width;
    int32_t m_height;
    int m_bitsPerPixel;
    size_t m_stride;
    std::unique_ptr<uint8_t[]> m_data;
};

// The screen bitmap: 32 bits per pixel, top-down. The device context is
// accepted for symmetry with the callers and not needed. bitsPerPixel 1
// makes a mask bitmap. nullptr when the bitmap cannot be made.
std::unique_ptr<Bitmap> CreateImageBitmap(const DeviceContext* dc, int32_t width, int32_t height,
                                          int bitsPerPixel);

// A bitmap in the format of the context's surface: monochrome when the
// context holds a monochrome bitmap (as a fresh memory context does), 32
// bits otherwise or when dc is nullptr (the screen).
std::unique_ptr<Bitmap> CreateCompatibleBitmap(const DeviceContext* dc, int32_t width,
                                               int32_t height);
