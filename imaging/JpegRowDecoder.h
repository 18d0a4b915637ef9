#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/JpegImageDecoder.h"

class File;

// A whole JPEG at scale 1 / 2^scaleShift handed out row by row, top-down,
// cropped to the picture (0x00RRGGBB). The only pixel memory held is one
// band of MCU rows of the padded width, reused from band to band: a caller
// that writes the rows elsewhere (a file, its own buffer) touches each pixel
// once more and no picture-sized buffer is ever zeroed or copied.
class JpegRowDecoder {
public:
    explicit JpegRowDecoder(JpegImageDecoder::Path path = JpegImageDecoder::Path::Fast);
    ~JpegRowDecoder();
    JpegRowDecoder(const JpegRowDecoder&) = delete;
    JpegRowDecoder& operator=(const JpegRowDecoder&) = delete;

    // Read the headers up to the first scan and prepare the output; the file
    // (or memory) must stay open until the last row. Return 0 or the error
    // number (ERROR_INVALID_PARAMETER for a scale shift outside 0..3,
    // JPEG_ERR_TOO_LARGE beyond the pixel budget).
    int Open(File& file, int scaleShift, bool useEmbeddedThumbnail);
    int OpenMemory(const uint8_t* data, size_t size, int scaleShift, bool useEmbeddedThumbnail);

    // The picture's size at the chosen scale.
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }

    // The next row; valid until the next call. Returns 0, the decoder's
    // error number, or ERROR_HANDLE_EOF after the last row.
    int NextRow(const uint32_t*& row);

private:
    int Begin(int openResult, int scaleShift, bool useEmbeddedThumbnail);

    std::unique_ptr<JpegImageDecoder> m_decoder;
    std::unique_ptr<uint32_t[]> m_band;  // one MCU row, not cleared: the decoder writes all of it
    size_t m_bandWidth = 0;              // pixels between rows of the band
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_rowsOut = 0;
    int m_bandRows = 0;  // rows the band holds
    int m_bandNext = 0;  // next of them to hand out
    bool m_lastBand = false;
};
