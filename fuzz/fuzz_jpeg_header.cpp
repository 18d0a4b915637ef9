// Header read and start of decoding over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "imaging/JpegDecoder.h"
#include "imaging/JpegHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageHeaderInfo info;
    if (ReadImageHeaderInfo(data, size, info) == 0) HeaderDate(info);
    for (bool thumbnail : {false, true}) {
        JpegDecoder decoder;
        if (decoder.OpenMemory(data, size) != 0) break;
        decoder.StartDecoding(thumbnail);
        JpegImageInfo image;
        decoder.GetImageInfo(image);
    }
    return 0;
}
