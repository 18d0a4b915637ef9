#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/JpegImageDecoder.h"

class File;

// A decoded picture cropped to the image's size at the scale it was decoded
// at: ceil(width / 2^scale) x ceil(height / 2^scale), 0x00RRGGBB, top-down,
// rows packed.
struct JpegPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Decodes a whole JPEG at scale 1 / 2^scaleShift (optionally its embedded
// EXIF thumbnail). Returns 0 or the decoder's number (ERROR_NOT_ENOUGH_MEMORY
// when the picture cannot be held); the picture is empty on failure.
int DecodeJpegFile(File& file, int scaleShift, bool useEmbeddedThumbnail, JpegPicture& picture,
                   JpegImageDecoder::Path path = JpegImageDecoder::Path::Fast);
int DecodeJpegMemory(const uint8_t* data, size_t size, int scaleShift, bool useEmbeddedThumbnail,
                     JpegPicture& picture, JpegImageDecoder::Path path = JpegImageDecoder::Path::Fast);
