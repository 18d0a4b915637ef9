// Decodes arbitrary bytes at every scale through both the fast and the
// reference path; the two must give the same result and the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/JpegImageDecoder.h"

namespace {

// Bounds the work per input: pictures with more blocks are not decoded.
constexpr uint64_t kMaxBlocks = 1 << 14;

int Decode(const uint8_t* data, size_t size, int scale, JpegImageDecoder::Path path,
           std::vector<uint32_t>& out) {
    auto decoder = std::make_unique<JpegImageDecoder>(path);
    if (int error = decoder->OpenMemory(data, size)) return error;
    if (int error = decoder->StartDecoding(scale & 1)) return error;
    const JpegMcuLayout& layout = decoder->m_layout;
    if (uint64_t(layout.mcusPerRow) * layout.mcuRows * layout.blocksPerMcu > kMaxBlocks) return 1;
    const size_t width = (size_t(layout.mcusPerRow) * layout.mcuWidth) >> scale;
    const size_t height = (size_t(layout.mcuRows) * layout.mcuHeight) >> scale;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int scale = 0; scale < 4; ++scale) {
        std::vector<uint32_t> fast, reference;
        int a = Decode(data, size, scale, JpegImageDecoder::Path::Fast, fast);
        int b = Decode(data, size, scale, JpegImageDecoder::Path::Reference, reference);
        if (a != b || fast != reference) abort();
    }
    return 0;
}
