#pragma once
#include <cstddef>
#include <cstdint>

#include "imaging/JpegBitReader.h"
#include "imaging/JpegColour.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegHuffmanTable.h"

// The whole decode of one baseline or extended sequential Huffman JPEG: the
// header side of JpegDecoder plus the entropy decoder, the inverse
// transforms and the colour converters. One object is one decode and holds
// all its state, so nothing is allocated once it exists.
//
//   Open -> GetHeaderInfo -> StartDecoding -> GetImageInfo -> BeginOutput
//   -> DecodeMcuRow ... until it returns 1.
//
// Two paths give bit-identical pixels: the reference path is written
// straight from the decoding rules (one byte at a time, scalar transforms);
// the fast path is the production one.
class JpegImageDecoder : public JpegDecoder {
public:
    enum class Path { Fast, Reference };

    explicit JpegImageDecoder(Path path = Path::Fast) : m_path(path) {}

    // Chooses the transform and converter for scale 1 / 2^scaleShift
    // (0..3), with `stride` bytes between output rows. Clears the DC
    // predictors and the bit reader and loads the restart countdown.
    // Returns the error number, or ERROR_INVALID_PARAMETER for a scale
    // shift above 3, a stride too small for a row, a call before a
    // successful StartDecoding or a second call.
    int BeginOutput(int scaleShift, size_t stride);

    // Decodes the next row of MCUs into `dest`, the first pixel of the
    // row's top line (0x00RRGGBB, `stride` apart). Returns the error
    // number, else 1 when this was the last MCU row and 0 otherwise;
    // `rows` is set to the pixel rows produced.
    int DecodeMcuRow(uint32_t* dest, int& rows);

    // Limits the output of the MCU rows that follow to the MCU columns
    // [first, end). The other MCUs are still entropy-decoded, since the bit
    // stream and the DC predictions run through them, but are neither
    // transformed nor written: a caller that wants part of a picture pays
    // the entropy pass up to its last row and the transforms of its part
    // only. first == end decodes a row without output. BeginOutput sets
    // every column.
    void SetOutputColumns(uint16_t first, uint16_t end) {
        m_columnFirst = first;
        m_columnEnd = end;
    }

    // The padded picture at the chosen scale: whole MCUs.
    uint32_t OutputWidth() const { return uint32_t(m_layout.mcusPerRow) * m_mcuWidth; }
    uint32_t OutputHeight() const { return uint32_t(m_layout.mcuRows) * m_mcuHeight; }
    int McuHeight() const { return m_mcuHeight; }
    uint16_t McuRowsDone() const { return m_rowsDone; }

protected:
    void BuildColourTables() override;
    void BuildHuffmanTables() override;

private:
    using Transform = void (*)(const int16_t*, const uint16_t*, uint8_t*);

    void RestartInterval();
    void DecodeRowReference(uint32_t* dest);
    void DecodeRowFast(uint32_t* dest);
    template <bool kFull>
    void DecodeRowFastAt(uint32_t* dest);
    void TransformMcu();
    const uint16_t* QuantOfBlock(int block) const;

    Path m_path;
    bool m_tablesBuilt = false;
    bool m_outputBegun = false;

    JpegHuffmanTable m_tables[8];
    JpegColourTables m_colour;
    uint16_t m_scaledQuant[4][64];

    int m_scaleShift = 0;
    size_t m_stride = 0;
    int m_mcuWidth = 0;  // pixels at the current scale
    int m_mcuHeight = 0;
    int m_blockSize = 8;  // samples per block row: 8 >> scale
    Transform m_transform = nullptr;
    JpegColourConverter m_converter = nullptr;

    uint16_t m_columnFirst = 0;
    uint16_t m_columnEnd = 0xFFFF;
    int16_t m_dcPred[4] = {};
    uint16_t m_restartCountdown = 0;
    uint16_t m_rowsDone = 0;
    int m_lastSymbolBits = 8;  // code plus magnitude bits of the last symbol

    JpegReferenceBitReader m_referenceReader;
    JpegFastBitReader m_fastReader;

    alignas(16) int16_t m_coef[6][64];
    alignas(16) uint8_t m_samples[6 * 64];
};
