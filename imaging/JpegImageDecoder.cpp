#include "imaging/JpegImageDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/JpegBlockDecoder.h"
#include "imaging/JpegIdct.h"
#include "platform/base/WinError.h"

void JpegImageDecoder::BuildColourTables() { m_colour.Build(); }

void JpegImageDecoder::BuildHuffmanTables() {
    m_tablesBuilt = true;
    if (m_layout.buffered) return;  // each scan builds its own
    bool used[8] = {};
    for (int i = 0; i < m_scan.componentCount; ++i) {
        if (m_scan.components[i].dcSlot < 8) used[m_scan.components[i].dcSlot] = true;
        if (m_scan.components[i].acSlot < 8) used[m_scan.components[i].acSlot] = true;
    }
    for (int slot = 0; slot < 8; ++slot) {
        if (!m_tables[slot].Build(m_huff[slot], slot < 4) && used[slot]) SetError(JPEG_ERR_HUFF_TABLE);
    }
}

void JpegImageDecoder::PrepareQuant(uint16_t (&quant)[64], const uint16_t* raw) const {
    std::memcpy(quant, raw, sizeof quant);
    if (m_scaleShift == 0) PrescaleAanQuant(quant);
}

int JpegImageDecoder::BeginOutput(int scaleShift, size_t stride) {
    if (m_error) return m_error;
    if (!m_tablesBuilt || m_outputBegun || scaleShift < 0 || scaleShift > 3) return ERROR_INVALID_PARAMETER;
    m_scaleShift = scaleShift;
    m_blockSize = 8 >> scaleShift;
    m_mcuWidth = m_layout.mcuWidth >> scaleShift;
    m_mcuHeight = m_layout.mcuHeight >> scaleShift;
    if (stride < size_t(OutputWidth()) * 4) return ERROR_INVALID_PARAMETER;
    if (uint64_t(OutputWidth()) * OutputHeight() > kJpegPixelBudget) {
        SetError(JPEG_ERR_TOO_LARGE);
        return m_error;
    }
    m_stride = stride;
    m_outputBegun = true;

    for (int c = 0; c < m_frame.componentCount; ++c) {
        PrepareQuant(m_scaledQuant[c], m_quant[m_frame.components[c].quantTable & 3]);
    }
    // The fast path's operations; the reference path calls the plain ones.
    switch (scaleShift) {
        case 0:
            m_transform = IdctAan8x8Sse2;
            break;
        case 1: m_transform = Idct4x4Fast; break;
        case 2: m_transform = Idct2x2; break;
        default: m_transform = Idct1x1; break;
    }
    m_converter = FastColourConverter(m_layout.colourMode, m_layout.colourSpace, scaleShift);

    std::memset(m_dcPred, 0, sizeof m_dcPred);
    std::memset(m_coef, 0, sizeof m_coef);
    m_rowsDone = 0;
    SetOutputColumns(0, 0xFFFF);
    m_referenceReader.Input().Attach(m_source.get(), m_ptr, m_end);
    m_referenceReader.Reset();
    m_fastReader.Input().Attach(m_source.get(), m_ptr, m_end);
    m_fastReader.Reset();
    m_restartCountdown = m_restartInterval;
    return 0;
}

int JpegImageDecoder::DecodeMcuRow(uint32_t* dest, int& rows) {
    rows = 0;
    if (m_error) return m_error;
    if (!m_outputBegun) return ERROR_INVALID_PARAMETER;
    if (m_rowsDone >= m_layout.mcuRows) return 1;
    if (m_layout.buffered && !m_gathered) {
        if (GatherScans()) return m_error;
    }
    if (m_layout.buffered) {
        DecodeRowBuffered(dest);
    } else if (m_path == Path::Reference) {
        DecodeRowReference(dest);
    } else {
        DecodeRowFast(dest);
    }
    ++m_rowsDone;
    rows = m_mcuHeight;
    return m_rowsDone >= m_layout.mcuRows ? 1 : 0;
}

void JpegImageDecoder::RestartInterval() {
    std::memset(m_dcPred, 0, sizeof m_dcPred);
    m_restartCountdown = m_restartInterval;
}

const uint16_t* JpegImageDecoder::QuantOfBlock(int block) const {
    return m_scaledQuant[m_layout.blockComponent[block] & 3];
}

// MCUs `first` onward of the row at `dest`, as blocks of zero coefficients
// give them: every sample 128, so every pixel the same.
void JpegImageDecoder::FillRow(uint32_t* dest, int first) {
    first = std::max(first, int(m_columnFirst));
    const int end = std::min(int(m_layout.mcusPerRow), int(m_columnEnd));
    if (first >= end) return;
    std::memset(m_samples, 128, sizeof m_samples);
    uint32_t* start = dest + first * m_mcuWidth;
    ConvertMcu(start);
    // The first line grows by copies of itself and the others are copies
    // of it: whole-block copies, quick even where every store is counted
    // (as in the fuzz build).
    const size_t count = size_t(end - first) * m_mcuWidth;
    for (size_t done = 1; done < count;) {
        const size_t n = std::min(done, count - done);
        std::memcpy(start + done, start, n * sizeof(uint32_t));
        done += n;
    }
    for (int y = 1; y < m_mcuHeight; ++y) {
        std::memcpy(reinterpret_cast<uint8_t*>(start) + m_stride * y, start, count * sizeof(uint32_t));
    }
}

void JpegImageDecoder::ConvertMcu(uint32_t* dest) {
    if (m_path == Path::Reference) {
        ConvertMcuReference(m_colour, m_layout.colourMode, m_layout.colourSpace, m_blockSize, m_samples, dest,
                            m_stride);
    } else {
        m_converter(m_colour, m_samples, dest, m_stride);
    }
}

JpegImageDecoder::Transform JpegImageDecoder::PlainTransform() const {
    return m_scaleShift == 0 ? IdctAan8x8 : m_scaleShift == 1 ? Idct4x4 : m_scaleShift == 2 ? Idct2x2 : Idct1x1;
}

void JpegImageDecoder::TransformMcu(const int16_t* const* blocks) {
    const int blockSamples = m_blockSize * m_blockSize;
    const Transform transform = m_path == Path::Reference ? PlainTransform() : m_transform;
    for (int b = 0; b < m_layout.blocksPerMcu; ++b) {
        transform(blocks ? blocks[b] : m_coef[b], QuantOfBlock(b), m_samples + b * blockSamples);
    }
}

void JpegImageDecoder::DecodeRowReference(uint32_t* dest) {
    const bool full = m_scaleShift < 3;
    for (int m = 0; m < m_layout.mcusPerRow; ++m) {
        if (m_dataUsedUp || m_referenceReader.OutOfData(m_restartInterval != 0)) {
            m_dataUsedUp = true;
            return FillRow(dest, m);
        }
        if (m_restartInterval && m_restartCountdown == 0) {
            m_referenceReader.Restart();
            RestartInterval();
        }
        if (full) std::memset(m_coef, 0, sizeof m_coef);
        for (int b = 0; b < m_layout.blocksPerMcu; ++b) {
            const JpegScanComponent& sc = m_scan.components[m_layout.blockScanComponent[b]];
            DecodeBlockReference(m_referenceReader, m_tables[sc.dcSlot & 7], m_tables[sc.acSlot & 7],
                                 m_dcPred[m_layout.blockComponent[b] & 3], m_coef[b], m_zigZag, full);
        }
        if (Shown(m)) {
            TransformMcu();
            ConvertMcu(dest + m * m_mcuWidth);
        }
        if (m_restartInterval) --m_restartCountdown;
    }
}

void JpegImageDecoder::DecodeRowFast(uint32_t* dest) {
    if (m_scaleShift < 3) return DecodeRowFull(dest);
    if (BuildSkipTables()) return DecodeRowDcOnly(dest);
    SetError(int16_t(ERROR_NOT_ENOUGH_MEMORY));
}

// The skip tables of the AC slots the scan uses, once.
bool JpegImageDecoder::BuildSkipTables() {
    for (int i = 0; i < m_scan.componentCount; ++i) {
        std::unique_ptr<JpegSkipTable>& skip = m_skip[m_scan.components[i].acSlot & 3];
        if (skip) continue;
        skip.reset(new (std::nothrow) JpegSkipTable);
        if (!skip) return false;
        skip->Build(m_tables[m_scan.components[i].acSlot & 7]);
    }
    return true;
}

void JpegImageDecoder::PrepareBlockTables(BlockTables* tables) {
    for (int b = 0; b < m_layout.blocksPerMcu; ++b) {
        const JpegScanComponent& sc = m_scan.components[m_layout.blockScanComponent[b]];
        tables[b].dc = &m_tables[sc.dcSlot & 7];
        tables[b].ac = &m_tables[sc.acSlot & 7];
        tables[b].skip = m_skip[sc.acSlot & 3].get();
        tables[b].pred = &m_dcPred[m_layout.blockComponent[b] & 3];
    }
}

// The MCUs of one row: `decodeMcu` reads each MCU's blocks and returns the
// bits of its last symbol; `makeSamples` makes the samples of those shown.
// The reader is worked on as a local copy, which the compiler can keep in
// registers.
template <class DecodeMcu, class MakeSamples>
void JpegImageDecoder::DecodeRowWith(uint32_t* dest, DecodeMcu decodeMcu, MakeSamples makeSamples) {
    JpegFastBitReader reader = m_fastReader;
    int lastSymbolBits = m_lastSymbolBits;
    const bool restarts = m_restartInterval != 0;
    int m = 0;
    for (; m < m_layout.mcusPerRow; ++m) {
        if (m_dataUsedUp || reader.OutOfData(restarts)) {
            m_dataUsedUp = true;
            break;
        }
        if (restarts && m_restartCountdown == 0) {
            reader.Restart(lastSymbolBits >= 8 ? 0 : 8 - lastSymbolBits);
            RestartInterval();
        }
        lastSymbolBits = decodeMcu(reader);
        if (Shown(m)) {
            makeSamples();
            m_converter(m_colour, m_samples, dest + m * m_mcuWidth, m_stride);
        }
        if (restarts) --m_restartCountdown;
    }
    m_fastReader = reader;
    m_lastSymbolBits = lastSymbolBits;
    if (m_dataUsedUp) FillRow(dest, m);
}

void JpegImageDecoder::DecodeRowFull(uint32_t* dest) {
    BlockTables tables[kJpegMaxMcuBlocks];
    PrepareBlockTables(tables);
    const int blocks = m_layout.blocksPerMcu;
    DecodeRowWith(dest, [&](JpegFastBitReader& reader) {
        std::memset(m_coef, 0, sizeof(m_coef[0]) * blocks);
        int bits = 0;
        for (int b = 0; b < blocks; ++b) {
            const BlockTables& t = tables[b];
            bits = DecodeBlockFast(reader, *t.dc, *t.ac, *t.pred, m_coef[b], m_zigZag);
        }
        return bits;
    }, [this] { TransformMcu(); });
}

void JpegImageDecoder::DecodeRowDcOnly(uint32_t* dest) {
    BlockTables tables[kJpegMaxMcuBlocks];
    PrepareBlockTables(tables);
    const int blocks = m_layout.blocksPerMcu;
    DecodeRowWith(dest, [&](JpegFastBitReader& reader) {
        int bits = 0;
        for (int b = 0; b < blocks; ++b) {
            const BlockTables& t = tables[b];
            bits = DecodeBlockDcOnly(reader, *t.dc, *t.ac, *t.skip, *t.pred);
            m_coef[b][0] = *t.pred;
        }
        return bits;
    }, [&] {
        for (int b = 0; b < blocks; ++b) m_samples[b] = IdctDcSample(m_coef[b][0], QuantOfBlock(b)[0]);
    });
}
