#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/Bitmap.h"

// How a picture stands against the pixels stored in its file: one of the
// eight turns and mirrors of a rectangle. A shown pixel (x, y) of a stored
// picture width x height comes from stored pixel (u, v) where (u, v) is
// (y, x) when the axes swap and (x, y) otherwise, then mirrored: u becomes
// width - 1 - u with flipX, v becomes height - 1 - v with flipY.
struct PictureOrientation {
    bool swap = false;
    bool flipX = false;
    bool flipY = false;

    bool operator==(const PictureOrientation&) const = default;
    bool IsIdentity() const { return !swap && !flipX && !flipY; }

    // The EXIF orientation tag (EXIF 2.3 section 4.6.4, tag 274): 1 as
    // stored, 2 mirrored, 3 half turn, 4 upside-down mirror, 5 transposed,
    // 6 a quarter turn clockwise to stand up, 7 transverse, 8 a quarter
    // turn anticlockwise. Anything else is taken as 1.
    static PictureOrientation FromExif(uint8_t tag);
    // This orientation followed by a quarter turn clockwise.
    PictureOrientation TurnedClockwise() const;

    // Packed into the image record's byte and back: bit 0 swap, 1 flipX, 2 flipY.
    uint8_t Pack() const { return uint8_t((swap ? 1 : 0) | (flipX ? 2 : 0) | (flipY ? 4 : 0)); }
    static PictureOrientation Unpack(uint8_t bits) { return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0}; }

    // The size a stored width x height picture has when shown.
    int32_t ShownWidth(int32_t width, int32_t height) const { return swap ? height : width; }
    int32_t ShownHeight(int32_t width, int32_t height) const { return swap ? width : height; }
    // The stored pixel a shown pixel comes from.
    void SourceOf(int32_t x, int32_t y, int32_t width, int32_t height, int32_t& u, int32_t& v) const {
        u = swap ? y : x;
        v = swap ? x : y;
        if (flipX) u = width - 1 - u;
        if (flipY) v = height - 1 - v;
    }
};

// The bitmap turned and mirrored as the orientation says: pixels are moved,
// never resampled. nullptr when the new bitmap cannot be made.
std::unique_ptr<Bitmap> OrientBitmap(const Bitmap& stored, PictureOrientation orientation);
