#pragma once
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// A screenshot the program wrote, read back as 0x00RRGGBB pixels; empty
// when the file is missing or not a PNG.
struct Shot {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

inline Shot ReadShot(const std::string& path) {
    Shot shot;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return shot;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return shot;
    }
    shot.width = int32_t(image.width);
    shot.height = int32_t(image.height);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        shot.pixels.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return shot;
}
