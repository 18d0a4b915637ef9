// Decodes arbitrary bytes at every scale through both the fast and the
// reference path; the two must give the same results and the same pixels.
// The embedded EXIF thumbnail, when there is one, is decoded as well. Work
// and memory are bounded by the decoder's own pixel budget, as for any
// caller: the two paths run side by side an MCU row at a time, so only a
// row of each is held even for the largest picture the budget allows.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/JpegImageDecoder.h"

namespace {

using Path = JpegImageDecoder::Path;

// Opens and starts a decoder on the data; returns the error number.
int Start(std::unique_ptr<JpegImageDecoder>& decoder, Path path, const uint8_t* data, size_t size, bool thumbnail) {
    decoder.reset(new (std::nothrow) JpegImageDecoder(path));
    if (!decoder) return 8;
    if (int error = decoder->OpenMemory(data, size)) return error;
    return decoder->StartDecoding(thumbnail);
}

void DecodeBothPaths(const uint8_t* data, size_t size, int scale, bool thumbnail) {
    std::unique_ptr<JpegImageDecoder> fast, reference;
    const int started = Start(fast, Path::Fast, data, size, thumbnail);
    if (Start(reference, Path::Reference, data, size, thumbnail) != started) abort();
    if (started) return;
    const JpegMcuLayout& layout = fast->m_layout;
    const size_t width = (size_t(layout.mcusPerRow) * layout.mcuWidth) >> scale;
    const size_t height = (size_t(layout.mcuRows) * layout.mcuHeight) >> scale;
    const int begun = fast->BeginOutput(scale, width * 4);
    if (reference->BeginOutput(scale, width * 4) != begun) abort();
    // Refused before anything is allocated.
    if ((uint64_t(width) * height > kJpegPixelBudget) != (begun == JPEG_ERR_TOO_LARGE)) abort();
    if (begun) return;
    const size_t rowPixels = width * size_t(fast->McuHeight());
    std::unique_ptr<uint32_t[]> fastRow(new (std::nothrow) uint32_t[rowPixels]);
    std::unique_ptr<uint32_t[]> referenceRow(new (std::nothrow) uint32_t[rowPixels]);
    if (!fastRow || !referenceRow) return;
    const size_t rowBytes = rowPixels * sizeof(uint32_t);
    size_t rowsDone = 0;
    for (;;) {
        // Pixels a decode leaves unwritten must be the same on both paths.
        // (Whole-block memory calls: quick under the fuzzer's counting.)
        std::memset(fastRow.get(), 0xA5, rowBytes);
        std::memset(referenceRow.get(), 0xA5, rowBytes);
        int fastRows = 0, referenceRows = 0;
        const int result = fast->DecodeMcuRow(fastRow.get(), fastRows);
        if (reference->DecodeMcuRow(referenceRow.get(), referenceRows) != result) abort();
        if (fastRows != referenceRows || fastRows > fast->McuHeight()) abort();
        if (std::memcmp(fastRow.get(), referenceRow.get(), rowBytes) != 0) abort();
        rowsDone += size_t(fastRows);
        if (rowsDone > height) abort();
        if (result != 0) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int scale = 0; scale < 4; ++scale) DecodeBothPaths(data, size, scale, false);
    // The thumbnail's scale comes from the input, so that every scale is
    // reached without decoding it four times.
    if (size > 0) DecodeBothPaths(data, size, data[size - 1] & 3, true);
    return 0;
}
