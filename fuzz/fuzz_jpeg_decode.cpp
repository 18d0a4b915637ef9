// Decodes arbitrary bytes at every scale through both the fast and the
// reference path; the two must give the same result and the same pixels.
// The embedded EXIF thumbnail, when there is one, is decoded as well. Work
// and memory are bounded by the decoder's own pixel budget, as for any
// caller.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/JpegImageDecoder.h"

namespace {

int Decode(const uint8_t* data, size_t size, int scale, bool thumbnail, JpegImageDecoder::Path path,
           std::vector<uint32_t>& out) {
    std::unique_ptr<JpegImageDecoder> decoder(new (std::nothrow) JpegImageDecoder(path));
    if (!decoder) return 8;
    if (int error = decoder->OpenMemory(data, size)) return error;
    if (int error = decoder->StartDecoding(thumbnail)) return error;
    const JpegMcuLayout& layout = decoder->m_layout;
    const size_t width = (size_t(layout.mcusPerRow) * layout.mcuWidth) >> scale;
    const size_t height = (size_t(layout.mcuRows) * layout.mcuHeight) >> scale;
    if (uint64_t(width) * height > kJpegPixelBudget) {
        // Refused before anything is allocated.
        if (decoder->BeginOutput(scale, width * 4) != JPEG_ERR_TOO_LARGE) abort();
        return JPEG_ERR_TOO_LARGE;
    }
    out.assign(width * height, 0xA5A5A5A5u);
    if (int error = decoder->BeginOutput(scale, width * 4)) return error;
    uint32_t* dest = out.data();
    for (;;) {
        int rows = 0;
        int result = decoder->DecodeMcuRow(dest, rows);
        if (result < 0) return result;
        dest += size_t(rows) * width;
        if (dest > out.data() + out.size()) abort();
        if (result == 1) return 0;
    }
}

void DecodeBothPaths(const uint8_t* data, size_t size, int scale, bool thumbnail) {
    std::vector<uint32_t> fast, reference;
    int a = Decode(data, size, scale, thumbnail, JpegImageDecoder::Path::Fast, fast);
    int b = Decode(data, size, scale, thumbnail, JpegImageDecoder::Path::Reference, reference);
    if (a != b || fast != reference) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int scale = 0; scale < 4; ++scale) DecodeBothPaths(data, size, scale, false);
    // The thumbnail's scale comes from the input, so that every scale is
    // reached without decoding it four times.
    if (size > 0) DecodeBothPaths(data, size, data[size - 1] & 3, true);
    return 0;
}
