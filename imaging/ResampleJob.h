#pragma once
#include <cstddef>
#include <cstdint>

// One nearest-neighbour resampling pass over 32-bit pixels in 16.16 fixed
// point, optionally turning the picture a quarter turn clockwise. Strides
// are in bytes and must be whole pixels.
//
// Without rotation, destination (x, y) takes source column
// (x * xstep) >> 16 of row (y * ystep) >> 16, with xstep = (source width
// << 16) / destination width and ystep likewise for the heights. Turned,
// xstep = (source height << 16) / destination width and ystep = (source
// width << 16) / destination height, and (x, y) takes source column
// (y * ystep) >> 16 of row (source height - 1) - ((x * xstep) >> 16). The
// steps start at 0: there is no half-pixel offset.
struct ResampleJob {
    const uint32_t* sourceBits = nullptr;
    size_t sourceStride = 0;
    uint16_t sourceWidth = 0;
    uint16_t sourceHeight = 0;
    uint32_t* destBits = nullptr;
    size_t destStride = 0;
    uint16_t destWidth = 0;
    uint16_t destHeight = 0;
    uint8_t rotation = 0;  // 0 none, 1 a quarter turn clockwise

    // 0, or ERROR_INVALID_PARAMETER for missing bits, an empty size, a
    // stride shorter than a row or not a whole number of pixels, or an
    // unknown rotation; nothing is written then.
    uint32_t Run() const;
};
