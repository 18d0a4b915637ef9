#include "imaging/JpegPicture.h"

#include <new>

#include "imaging/JpegRowDecoder.h"
#include "platform/base/WinError.h"

namespace {

// Each row is appended to room reserved up front: every pixel is written
// once, nothing is cleared first and nothing is moved afterwards.
int Collect(JpegRowDecoder& rows, int openResult, JpegPicture& picture) {
    if (openResult) return openResult;
    try {
        picture.pixels.reserve(size_t(rows.Width()) * rows.Height());
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    for (uint32_t y = 0; y < rows.Height(); ++y) {
        const uint32_t* row = nullptr;
        if (int error = rows.NextRow(row)) return error;
        picture.pixels.insert(picture.pixels.end(), row, row + rows.Width());
    }
    picture.width = rows.Width();
    picture.height = rows.Height();
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
    JpegRowDecoder rows(path);
    const int open = rows.Open(file, scaleShift, useEmbeddedThumbnail);
    return Finish(Collect(rows, open, picture), picture);
}

int DecodeJpegMemory(const uint8_t* data, size_t size, int scaleShift, bool useEmbeddedThumbnail,
                     JpegPicture& picture, JpegImageDecoder::Path path) {
    picture = JpegPicture{};
    JpegRowDecoder rows(path);
    const int open = rows.OpenMemory(data, size, scaleShift, useEmbeddedThumbnail);
    return Finish(Collect(rows, open, picture), picture);
}
