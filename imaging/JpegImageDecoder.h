#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/CancelCheck.h"
#include "imaging/JpegBitReader.h"
#include "imaging/JpegCoefficientStore.h"
#include "imaging/JpegColour.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegHuffmanTable.h"
#include "imaging/JpegScanPlan.h"

// The output bitmap of one decode holds at most this many pixels (16384 x
// 16384, 1 GiB of 32-bit pixels): more than any camera's picture at 1/1.
// The renderer picks a smaller scale for pictures beyond it.
constexpr uint64_t kJpegPixelBudget = uint64_t(1) << 28;

// The whole decode of one JPEG: the header side of JpegDecoder plus the
// entropy decoders, the inverse transforms and the colour converters. One
// object is one decode. A sequential Huffman picture in one interleaved
// scan is decoded MCU row by MCU row into the output and allocates nothing;
// any other gathers the coefficients of all its scans first (the first
// DecodeMcuRow does that), in a store as large as the scale needs.
//
//   Open -> GetHeaderInfo -> StartDecoding -> GetImageInfo -> BeginOutput
//   -> DecodeMcuRow ... until it returns 1.
//
// Once the entropy-coded data is used up (the end of the file, or a marker
// that no restart explains), the remaining blocks are not decoded: they come
// out as blocks of zero coefficients, as libjpeg-turbo shows a cut file.
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
    // Returns the error number, JPEG_ERR_TOO_LARGE when the output would
    // pass the pixel budget, or ERROR_INVALID_PARAMETER for a scale shift
    // above 3, a stride too small for a row, a call before a successful
    // StartDecoding or a second call.
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

    // Asked once per row of blocks while the scans of a picture gathered
    // over several scans are decoded (the first DecodeMcuRow); a yes ends
    // the decode with JPEG_ERR_CANCELLED. The caller asks between output
    // rows itself. nullptr: never asked.
    void SetCancelCheck(CancelCheck* cancel) { m_cancel = cancel; }

    // The padded picture at the chosen scale: whole MCUs.
    uint32_t OutputWidth() const { return uint32_t(m_layout.mcusPerRow) * m_mcuWidth; }
    uint32_t OutputHeight() const { return uint32_t(m_layout.mcuRows) * m_mcuHeight; }
    int McuHeight() const { return m_mcuHeight; }
    uint16_t McuRowsDone() const { return m_rowsDone; }
    // Scans whose entropy-coded data was decoded, and scans passed over
    // because the scale needs none of their coefficients (or their
    // progression breaks the rules).
    int ScansDecoded() const { return m_scansDecoded; }
    int ScansSkipped() const { return m_scansSkipped; }
    size_t CoefficientBytes() const { return m_store.Bytes(); }

protected:
    void BuildColourTables() override;
    void BuildHuffmanTables() override;

private:
    using Transform = void (*)(const int16_t*, const uint16_t*, uint8_t*);

    void RestartInterval();
    void FillRow(uint32_t* dest, int first);
    bool Shown(uint32_t mcu) const { return mcu >= m_columnFirst && mcu < m_columnEnd; }
    void ConvertMcu(uint32_t* dest);
    Transform PlainTransform() const;
    void PrepareQuant(uint16_t (&quant)[64], const uint16_t* raw) const;
    // Gathering of the coefficients of all scans (JpegScanGather.cpp).
    int GatherScans();
    bool ScanWanted(int ordinal);
    void LatchQuantTables();
    bool BuildScanTables();
    bool DcScan() const;
    template <class Reader>
    void DecodeHuffmanScan(Reader& reader);
    void DecodeArithmeticScan();
    template <class BlockDecoder>
    void WalkScanBlocks(BlockDecoder& decoder);
    void DecodeRowBuffered(uint32_t* dest);
    bool Cancelled();
    void DecodeRowReference(uint32_t* dest);
    void DecodeRowFast(uint32_t* dest);
    struct BlockTables {
        const JpegHuffmanTable* dc;
        const JpegHuffmanTable* ac;
        const JpegSkipTable* skip;
        int16_t* pred;
    };
    void PrepareBlockTables(BlockTables* tables);
    template <class DecodeMcu, class MakeSamples>
    void DecodeRowWith(uint32_t* dest, DecodeMcu decodeMcu, MakeSamples makeSamples);
    void DecodeRowFull(uint32_t* dest);
    void DecodeRowDcOnly(uint32_t* dest);
    bool BuildSkipTables();
    // The MCU's blocks from m_coef, or from `blocks` where they lie elsewhere.
    void TransformMcu(const int16_t* const* blocks = nullptr);
    const uint16_t* QuantOfBlock(int block) const;

    Path m_path;
    bool m_tablesBuilt = false;
    bool m_outputBegun = false;

    JpegHuffmanTable m_tables[8];
    std::unique_ptr<JpegSkipTable> m_skip[4];  // by AC slot, made for the 1/8 scale
    JpegColourTables m_colour;
    uint16_t m_scaledQuant[4][64];  // by frame component
    uint16_t m_latchedQuant[4][64];  // by frame component, at its first scan
    bool m_quantLatched[4] = {};

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
    JpegSteppedFastReader m_steppedReader;

    JpegCoefficientStore m_store;
    JpegScanPlan m_scanPlan;
    CancelCheck* m_cancel = nullptr;
    int8_t m_coefBits[4][64];  // per component and coefficient: Al so far, -1 none
    bool m_gathered = false;
    bool m_dataUsedUp = false;
    uint32_t m_rowsReached = 0;  // MCU rows any scan has reached
    int m_scansDecoded = 0;
    int m_scansSkipped = 0;

    alignas(16) int16_t m_coef[kJpegMaxMcuBlocks][64];
    alignas(16) uint8_t m_samples[kJpegMaxMcuBlocks * 64];
};
