#pragma once
#include <cstdint>
#include <vector>

// A 32-bit top-down picture, pixels 0x00RRGGBB, rows of `width` pixels with
// no padding. The renderer's screen bitmaps and decoded trailer thumbnails
// share this form.
struct ScreenBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool operator==(const PixelRect&) const = default;
};
