#include "imaging/JpegRowDecoder.h"

#include <new>

#include "platform/base/WinError.h"

JpegRowDecoder::JpegRowDecoder(JpegImageDecoder::Path path)
    : m_decoder(new (std::nothrow) JpegImageDecoder(path)) {}

JpegRowDecoder::~JpegRowDecoder() = default;

int JpegRowDecoder::Open(File& file, int scaleShift, bool useEmbeddedThumbnail) {
    if (!m_decoder) return ERROR_NOT_ENOUGH_MEMORY;
    return Begin(m_decoder->Open(file), scaleShift, useEmbeddedThumbnail);
}

int JpegRowDecoder::OpenMemory(const uint8_t* data, size_t size, int scaleShift, bool useEmbeddedThumbnail) {
    if (!m_decoder) return ERROR_NOT_ENOUGH_MEMORY;
    return Begin(m_decoder->OpenMemory(data, size), scaleShift, useEmbeddedThumbnail);
}

int JpegRowDecoder::Begin(int openResult, int scaleShift, bool useEmbeddedThumbnail) {
    if (openResult) return openResult;
    JpegImageDecoder& decoder = *m_decoder;
    if (int error = decoder.StartDecoding(useEmbeddedThumbnail)) return error;
    JpegImageInfo info{};
    if (int error = decoder.GetImageInfo(info)) return error;
    if (scaleShift < 0 || scaleShift > 3) return ERROR_INVALID_PARAMETER;
    const uint32_t padWidth = uint32_t(decoder.m_layout.mcusPerRow) * (decoder.m_layout.mcuWidth >> scaleShift);
    const uint32_t padHeight = uint32_t(decoder.m_layout.mcuRows) * (decoder.m_layout.mcuHeight >> scaleShift);
    // Refused before anything is allocated when beyond the pixel budget.
    if (uint64_t(padWidth) * padHeight > kJpegPixelBudget) return JPEG_ERR_TOO_LARGE;
    const size_t bandPixels = size_t(padWidth) * (decoder.m_layout.mcuHeight >> scaleShift);
    m_band.reset(new (std::nothrow) uint32_t[bandPixels]);
    if (!m_band) return ERROR_NOT_ENOUGH_MEMORY;
    m_bandWidth = padWidth;
    if (int error = decoder.BeginOutput(scaleShift, size_t(padWidth) * 4)) return error;
    const uint32_t scale = 1u << scaleShift;
    m_width = (uint32_t(decoder.m_frame.width) + scale - 1) >> scaleShift;
    m_height = (uint32_t(decoder.m_frame.height) + scale - 1) >> scaleShift;
    return 0;
}

int JpegRowDecoder::NextRow(const uint32_t*& row) {
    if (!m_band || m_rowsOut >= m_height) return ERROR_HANDLE_EOF;
    if (m_bandNext >= m_bandRows) {
        if (m_lastBand) return ERROR_HANDLE_EOF;
        int rows = 0;
        const int result = m_decoder->DecodeMcuRow(m_band.get(), rows);
        if (result != 0 && result != 1) return result;
        if (rows <= 0) return ERROR_HANDLE_EOF;
        m_lastBand = result == 1;
        m_bandRows = rows;
        m_bandNext = 0;
    }
    row = m_band.get() + size_t(m_bandNext++) * m_bandWidth;
    ++m_rowsOut;
    return 0;
}
