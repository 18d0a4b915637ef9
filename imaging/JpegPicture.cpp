#include "imaging/JpegPicture.h"

#include <memory>
#include <new>

#include "platform/base/File.h"
#include "platform/base/WinError.h"

namespace {

int DecodeOpened(JpegImageDecoder& decoder, int openResult, int scaleShift, bool useEmbeddedThumbnail,
                 JpegPicture& picture) {
    if (openResult) return openResult;
    if (int error = decoder.StartDecoding(useEmbeddedThumbnail)) return error;
    JpegImageInfo info{};
    if (int error = decoder.GetImageInfo(info)) return error;
    if (scaleShift < 0 || scaleShift > 3) return ERROR_INVALID_PARAMETER;
    const uint32_t padWidth =
        uint32_t(decoder.m_layout.mcusPerRow) * (decoder.m_layout.mcuWidth >> scaleShift);
    const uint32_t padHeight =
        uint32_t(decoder.m_layout.mcuRows) * (decoder.m_layout.mcuHeight >> scaleShift);
    // Refused before anything is allocated when beyond the pixel budget.
    if (uint64_t(padWidth) * padHeight > kJpegPixelBudget) return JPEG_ERR_TOO_LARGE;
    try {
        picture.pixels.assign(size_t(padWidth) * padHeight, 0);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (int error = decoder.BeginOutput(scaleShift, size_t(padWidth) * 4)) return error;
    uint32_t* dest = picture.pixels.data();
    for (;;) {
        int rows = 0;
        int result = decoder.DecodeMcuRow(dest, rows);
        if (result < 0) return result;
        dest += size_t(rows) * padWidth;
        if (result == 1) break;
    }
    const uint32_t scale = 1u << scaleShift;
    picture.width = (uint32_t(decoder.m_frame.width) + scale - 1) >> scaleShift;
    picture.height = (uint32_t(decoder.m_frame.height) + scale - 1) >> scaleShift;
    // Rows move towards the start, so the crop works in place.
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint32_t* from = picture.pixels.data() + size_t(y) * padWidth;
        std::copy(from, from + picture.width, picture.pixels.begin() + size_t(y) * picture.width);
    }
    // Shrinking in place allocates nothing.
    picture.pixels.resize(size_t(picture.width) * picture.height);
    return 0;
}

int Finish(int result, JpegPicture& picture) {
    if (result) picture = JpegPicture{};
    return result;
}

}  // namespace

int DecodeJpegFile(File& file, int scaleShift, bool useEmbeddedThumbnail, JpegPicture& picture,
                   JpegImageDecoder::Path path) {
    picture = JpegPicture{};
    std::unique_ptr<JpegImageDecoder> decoder(new (std::nothrow) JpegImageDecoder(path));
    if (!decoder) return ERROR_NOT_ENOUGH_MEMORY;
    int open = decoder->Open(file);
    return Finish(DecodeOpened(*decoder, open, scaleShift, useEmbeddedThumbnail, picture), picture);
}

int DecodeJpegMemory(const uint8_t* data, size_t size, int scaleShift, bool useEmbeddedThumbnail,
                     JpegPicture& picture, JpegImageDecoder::Path path) {
    picture = JpegPicture{};
    std::unique_ptr<JpegImageDecoder> decoder(new (std::nothrow) JpegImageDecoder(path));
    if (!decoder) return ERROR_NOT_ENOUGH_MEMORY;
    int open = decoder->OpenMemory(data, size);
    return Finish(DecodeOpened(*decoder, open, scaleShift, useEmbeddedThumbnail, picture), picture);
}
