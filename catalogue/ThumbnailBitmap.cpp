#include "catalogue/ThumbnailBitmap.h"

#include <algorithm>

#include "catalogue/CatalogueTypes.h"
#include "platform/base/WinError.h"

// Thumbnail payload (block type 1), big-endian:
//
//   offset  size  field
//   0       2     width in pixels
//   2       2     height in pixels
//   4       2     bytes per row (written as 2 x width)
//   6       2     flags: top bit of byte 6 set = rows compressed (written 0)
//   8       1     bits per pixel: 16
//   9       1     format version: 2
//   10      6     zero
//   16      rows  top row first; pixels RGB 5-6-5, big-endian, red in the top bits
//
// Compressed rows start at offset 18 (two bytes after the header are
// skipped). Each row begins as a copy of the row above (the first as zeros);
// for each group of 8 row bytes a flag byte follows whose bits, from the top
// down, mark the group's bytes that the next coded bytes replace. Rows
// follow one another directly.

namespace {

constexpr uint8_t THUMBNAIL_BITS = 16;
constexpr uint8_t THUMBNAIL_FORMAT_VERSION = 2;
constexpr uint8_t COMPRESSED_FLAG = 0x80;  // in byte 6
constexpr size_t COMPRESSED_DATA_START = THUMBNAIL_HEADER_SIZE + 2;

uint16_t PackRgb565(uint32_t rgb) {
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

uint32_t UnpackRgb565(uint16_t v) {
    const uint32_t r5 = v >> 11, g6 = (v >> 5) & 0x3F, b5 = v & 0x1F;
    const uint32_t r = r5 * 8 + (r5 & 7), g = g6 * 4 + (g6 & 3), b = b5 * 8 + (b5 & 7);
    return r << 16 | g << 8 | b;
}

void RowToPixels(const uint8_t* row, int width, uint32_t* out) {
    for (int x = 0; x < width; ++x) out[x] = UnpackRgb565(ReadBE16(row + 2 * x));
}

int DecodeUncompressed(std::span<const uint8_t> payload, size_t rowBytes, ScreenBitmap& picture) {
    const size_t pixelBytes = 2 * size_t(picture.width);
    const size_t needed =
        THUMBNAIL_HEADER_SIZE + rowBytes * (size_t(picture.height) - 1) + pixelBytes;
    if (payload.size() < needed) return ERROR_INVALID_DATA;
    picture.pixels.resize(size_t(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        RowToPixels(payload.data() + THUMBNAIL_HEADER_SIZE + rowBytes * y, picture.width,
                    picture.pixels.data() + size_t(y) * picture.width);
    }
    return 0;
}

// Applies one compressed row to `row`; false when the coded data runs out.
bool DecodeCompressedRow(std::span<const uint8_t> payload, size_t& pos, std::vector<uint8_t>& row) {
    for (size_t group = 0; group < row.size(); group += 8) {
        if (pos >= payload.size()) return false;
        const uint8_t flags = payload[pos++];
        const size_t count = std::min<size_t>(8, row.size() - group);
        for (size_t i = 0; i < count; ++i) {
            if (!(flags & (0x80 >> i))) continue;
            if (pos >= payload.size()) return false;
            row[group + i] = payload[pos++];
        }
    }
    return true;
}

int DecodeCompressed(std::span<const uint8_t> payload, size_t rowBytes, ScreenBitmap& picture) {
    // Every row costs at least one flag byte per group of 8; checking that
    // first bounds the allocation by the payload's size.
    const size_t groups = (rowBytes + 7) / 8;
    if (payload.size() < COMPRESSED_DATA_START ||
        (payload.size() - COMPRESSED_DATA_START) / groups < size_t(picture.height)) {
        return ERROR_INVALID_DATA;
    }
    picture.pixels.resize(size_t(picture.width) * picture.height);
    std::vector<uint8_t> row(rowBytes, 0);
    size_t pos = COMPRESSED_DATA_START;
    for (int y = 0; y < picture.height; ++y) {
        if (!DecodeCompressedRow(payload, pos, row)) return ERROR_INVALID_DATA;
        RowToPixels(row.data(), picture.width, picture.pixels.data() + size_t(y) * picture.width);
    }
    return 0;
}

}  // namespace

ThumbnailSize ThumbnailSizeFor(uint32_t width, uint32_t height) {
    const Size fit = ThumbnailFitSize(width, height);
    return {uint16_t(fit.cx), uint16_t(fit.cy)};
}

int EncodeThumbnail(const ScreenBitmap& picture, std::vector<uint8_t>& payload) {
    if (picture.width <= 0 || picture.height <= 0 || picture.width > THUMBNAIL_MAX_SIDE ||
        picture.height > THUMBNAIL_MAX_SIDE ||
        picture.pixels.size() < size_t(picture.width) * picture.height) {
        return ERROR_INVALID_PARAMETER;
    }
    const size_t rowBytes = 2 * size_t(picture.width);
    payload.assign(THUMBNAIL_HEADER_SIZE + rowBytes * picture.height, 0);
    uint8_t* p = payload.data();
    WriteBE16(p, static_cast<uint16_t>(picture.width));
    WriteBE16(p + 2, static_cast<uint16_t>(picture.height));
    WriteBE16(p + 4, static_cast<uint16_t>(rowBytes));
    p[8] = THUMBNAIL_BITS;
    p[9] = THUMBNAIL_FORMAT_VERSION;
    p += THUMBNAIL_HEADER_SIZE;
    for (uint32_t rgb : std::span(picture.pixels).first(size_t(picture.width) * picture.height)) {
        WriteBE16(p, PackRgb565(rgb));
        p += 2;
    }
    return 0;
}

int DecodeThumbnail(std::span<const uint8_t> payload, ScreenBitmap& picture) {
    picture = {};
    if (payload.size() < THUMBNAIL_HEADER_SIZE) return ERROR_INVALID_DATA;
    const uint16_t width = ReadBE16(payload.data());
    const uint16_t height = ReadBE16(payload.data() + 2);
    const size_t rowBytes = ReadBE16(payload.data() + 4);
    const bool compressed = payload[6] & COMPRESSED_FLAG;
    if (width == 0 || height == 0 || payload[8] != THUMBNAIL_BITS || rowBytes < 2 * size_t(width)) {
        return ERROR_INVALID_DATA;
    }
    picture.width = width;
    picture.height = height;
    const int err = compressed ? DecodeCompressed(payload, rowBytes, picture)
                               : DecodeUncompressed(payload, rowBytes, picture);
    if (err) picture = {};
    return err;
}
