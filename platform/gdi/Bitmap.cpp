#include "platform/gdi/Bitmap.h"

#include <new>

#include "platform/gdi/DeviceContext.h"

Bitmap::Bitmap(int32_t width, int32_t height, int bitsPerPixel, size_t stride,
               std::unique_ptr<uint8_t[]> data)
    : m_width(width),
      m_height(height),
      m_bitsPerPixel(bitsPerPixel),
      m_stride(stride),
      m_data(std::move(data)) {}

namespace {
bool SizeAccepted(int32_t width, int32_t height, int bitsPerPixel) {
    if (bitsPerPixel != 1 && bitsPerPixel != 32) return false;
    if (width <= 0 || height <= 0 || width > Bitmap::MAX_SIDE || height > Bitmap::MAX_SIDE) return false;
    return uint64_t(width) * uint64_t(height) <= Bitmap::MAX_PIXELS;
}
}  // namespace

std::unique_ptr<Bitmap> Bitmap::Create(int32_t width, int32_t height, int bitsPerPixel) {
    if (!SizeAccepted(width, height, bitsPerPixel)) return nullptr;
    const size_t stride = size_t(width) * (bitsPerPixel == 32 ? 4 : 1);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[stride * size_t(height)]());
    if (!data) return nullptr;
    return std::unique_ptr<Bitmap>(
        new (std::nothrow) Bitmap(width, height, bitsPerPixel, stride, std::move(data)));
}

std::unique_ptr<Bitmap> Bitmap::CreateUncleared(int32_t width, int32_t height, int bitsPerPixel) {
    if (!SizeAccepted(width, height, bitsPerPixel)) return nullptr;
    const size_t stride = size_t(width) * (bitsPerPixel == 32 ? 4 : 1);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[stride * size_t(height)]);
    if (!data) return nullptr;
    return std::unique_ptr<Bitmap>(
        new (std::nothrow) Bitmap(width, height, bitsPerPixel, stride, std::move(data)));
}

std::unique_ptr<Bitmap> CreateImageBitmap(const DeviceContext*, int32_t width, int32_t height,
                                          int bitsPerPixel) {
    return Bitmap::Create(width, height, bitsPerPixel);
}

std::unique_ptr<Bitmap> CreateCompatibleBitmap(const DeviceContext* dc, int32_t width,
                                               int32_t height) {
    const bool mono = dc && dc->IsMono();
    return Bitmap::Create(width, height, mono ? 1 : 32);
}
