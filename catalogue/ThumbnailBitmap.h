#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "catalogue/ScreenBitmap.h"
#include "imaging/RenderGeometry.h"

// The thumbnail kept in a trailer block of type 1. Thumbnails written here
// are at most THUMBNAIL_MAX_SIDE pixels on either side.
constexpr int THUMBNAIL_MAX_SIDE = STORED_THUMBNAIL_SIDE;
constexpr size_t THUMBNAIL_HEADER_SIZE = 16;

struct ThumbnailSize {
    uint16_t width = 0;
    uint16_t height = 0;
    bool operator==(const ThumbnailSize&) const = default;
};

// The size of the thumbnail of a width x height picture (the renderer's
// fit); 0 x 0 for an empty picture.
ThumbnailSize ThumbnailSizeFor(uint32_t width, uint32_t height);

// Encodes a picture of at most 96 x 96 pixels as an uncompressed thumbnail
// payload. Returns 0 or ERROR_INVALID_PARAMETER.
int EncodeThumbnail(const ScreenBitmap& picture, std::vector<uint8_t>& payload);
// Decodes a thumbnail payload, compressed rows included. Returns 0 or
// ERROR_INVALID_DATA when the payload is malformed or shorter than its
// header says.
int DecodeThumbnail(std::span<const uint8_t> payload, ScreenBitmap& picture);
