#include "platform/png/PngWriter.h"

#include <png.h>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/base/AtomicWrite.h"
#include "platform/base/WinError.h"

namespace {

struct Picture {
    const uint32_t* pixels;
    int32_t width;
    int32_t height;
    size_t strideBytes;

    bool IsValid() const {
        return pixels && width > 0 && height > 0 && strideBytes >= size_t(width) * 4 &&
               strideBytes % 4 == 0;
    }
    const uint32_t* Row(int32_t y) const { return pixels + size_t(y) * (strideBytes / 4); }
};

// Red, green, blue (and, with alpha, the top byte) of every pixel, rows packed.
std::vector<uint8_t> PackBytes(const Picture& picture, bool alpha) {
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(picture.width) * size_t(picture.height) * (alpha ? 4 : 3));
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint32_t* row = picture.Row(y);
        for (int32_t x = 0; x < picture.width; ++x) {
            bytes.insert(bytes.end(), {uint8_t(row[x] >> 16), uint8_t(row[x] >> 8), uint8_t(row[x])});
            if (alpha) bytes.push_back(uint8_t(row[x] >> 24));
        }
    }
    return bytes;
}

// The packed copy of a large picture may not fit in memory: that is an
// error number, not an exception out of the writer.
bool TryPack(const Picture& picture, bool alpha, std::vector<uint8_t>& bytes) {
    try {
        bytes = PackBytes(picture, alpha);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

uint32_t WritePngPicture(const std::string& path, const Picture& picture, bool alpha) {
    if (!picture.IsValid()) return ERROR_INVALID_PARAMETER;
    std::vector<uint8_t> bytes;
    if (!TryPack(picture, alpha, bytes)) return ERROR_NOT_ENOUGH_MEMORY;
    return ReplaceHostFile(path, [&](FILE* file) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = png_uint_32(picture.width);
        image.height = png_uint_32(picture.height);
        image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        const int ok = png_image_write_to_stdio(&image, file, 0, bytes.data(), 0, nullptr);
        png_image_free(&image);
        return ok != 0;
    });
}

uint32_t WritePpmPicture(const std::string& path, const Picture& picture) {
    if (!picture.IsValid()) return ERROR_INVALID_PARAMETER;
    std::vector<uint8_t> rgb;
    if (!TryPack(picture, false, rgb)) return ERROR_NOT_ENOUGH_MEMORY;
    return ReplaceHostFile(path, [&](FILE* file) {
        return fprintf(file, "P6\n%d %d\n255\n", int(picture.width), int(picture.height)) > 0 &&
               fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    });
}

// A row of pixels as the PPM's red, green and blue bytes. Each pixel is
// stored as four bytes (red, green, blue and a spare one the next pixel
// overwrites), so `out` holds one byte more than the row.
void PackRowPlain(const uint32_t* row, int32_t width, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x, out += 3) {
        const uint32_t pixel = row[x];
        const uint8_t bytes[4] = {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), 0};
        std::memcpy(out, bytes, 4);
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels at a time by a byte shuffle; 16 bytes stored, 12 kept.
__attribute__((target("ssse3"))) void PackRowShuffle(const uint32_t* row, int32_t width, uint8_t* out) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    int32_t x = 0;
    for (; x + 5 < width; x += 4, out += 12) {  // 16 bytes written: room for 5 pixels and a spare byte
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
    }
    PackRowPlain(row + x, width - x, out);
}

void PackRow(const uint32_t* row, int32_t width, uint8_t* out) {
    static const bool shuffle = __builtin_cpu_supports("ssse3");
    if (shuffle) return PackRowShuffle(row, width, out);
    PackRowPlain(row, width, out);
}
#else
void PackRow(const uint32_t* row, int32_t width, uint8_t* out) { PackRowPlain(row, width, out); }
#endif

// A 32-bit copy of a monochrome bitmap, or the bitmap's own pixels.
struct BitmapPicture {
    explicit BitmapPicture(const Bitmap& bitmap) {
        if (!bitmap.IsMono()) {
            picture = {bitmap.Row(0), bitmap.Width(), bitmap.Height(), bitmap.Stride()};
            return;
        }
        expanded.reserve(size_t(bitmap.Width()) * size_t(bitmap.Height()));
        for (int32_t y = 0; y < bitmap.Height(); ++y)
            for (int32_t x = 0; x < bitmap.Width(); ++x)
                expanded.push_back(bitmap.MonoRow(y)[x] ? 0x00FFFFFFu : 0u);
        picture = {expanded.data(), bitmap.Width(), bitmap.Height(), size_t(bitmap.Width()) * 4};
    }
    std::vector<uint32_t> expanded;
    Picture picture{};
};

}  // namespace

uint32_t WritePng(const std::string& hostPath, const uint32_t* pixels, int32_t width,
                  int32_t height, size_t strideBytes) {
    return WritePngPicture(hostPath, {pixels, width, height, strideBytes}, false);
}

uint32_t WritePngWithAlpha(const std::string& hostPath, const uint32_t* pixels, int32_t width,
                           int32_t height, size_t strideBytes) {
    return WritePngPicture(hostPath, {pixels, width, height, strideBytes}, true);
}

uint32_t WritePpm(const std::string& hostPath, const uint32_t* pixels, int32_t width,
                  int32_t height, size_t strideBytes) {
    return WritePpmPicture(hostPath, {pixels, width, height, strideBytes});
}

uint32_t WritePpmRows(const std::string& hostPath, int32_t width, int32_t height,
                      const std::function<bool(const uint32_t*&)>& nextRow) {
    if (width <= 0 || height <= 0) return ERROR_INVALID_PARAMETER;
    std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[size_t(width) * 3 + 1]);
    if (!packed) return ERROR_NOT_ENOUGH_MEMORY;
    return ReplaceHostFile(hostPath, [&](FILE* file) {
        if (fprintf(file, "P6\n%d %d\n255\n", int(width), int(height)) <= 0) return false;
        for (int32_t y = 0; y < height; ++y) {
            const uint32_t* row = nullptr;
            if (!nextRow(row) || !row) return false;
            PackRow(row, width, packed.get());
            if (fwrite(packed.get(), 1, size_t(width) * 3, file) != size_t(width) * 3) return false;
        }
        return true;
    });
}

uint32_t WritePng(const std::string& hostPath, const Bitmap& bitmap) {
    return WritePngPicture(hostPath, BitmapPicture(bitmap).picture, false);
}

uint32_t WritePpm(const std::string& hostPath, const Bitmap& bitmap) {
    return WritePpmPicture(hostPath, BitmapPicture(bitmap).picture);
}
