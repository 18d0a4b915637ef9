#include "imaging/JpegImageDecoder.h"

#include <cstring>

#include "imaging/JpegBlockDecoder.h"
#include "imaging/JpegIdct.h"
#include "platform/base/WinError.h"

void JpegImageDecoder::BuildColourTables() { m_colour.Build(); }

void JpegImageDecoder::BuildHuffmanTables() {
    bool used[8] = {};
    for (int i = 0; i < m_scan.componentCount; ++i) {
        if (m_scan.components[i].dcSlot < 8) used[m_scan.components[i].dcSlot] = true;
        if (m_scan.components[i].acSlot < 8) used[m_scan.components[i].acSlot] = true;
    }
    for (int slot = 0; slot < 8; ++slot) {
        if (!m_tables[slot].Build(m_huff[slot], slot < 4) && used[slot]) SetError(JPEG_ERR_HUFF_TABLE);
    }
    m_tablesBuilt = true;
}

int JpegImageDecoder::BeginOutput(int scaleShift, size_t stride) {
    if (m_error) return m_error;
    if (!m_tablesBuilt || m_outputBegun || scaleShift < 0 || scaleShift > 3) return ERROR_INVALID_PARAMETER;
    m_scaleShift = scaleShift;
    m_blockSize = 8 >> scaleShift;
    m_mcuWidth = m_layout.mcuWidth >> scaleShift;
    m_mcuHeight = m_layout.mcuHeight >> scaleShift;
    if (stride < size_t(OutputWidth()) * 4) return ERROR_INVALID_PARAMETER;
    m_stride = stride;
    m_outputBegun = true;

    std::memcpy(m_scaledQuant, m_quant, sizeof m_scaledQuant);
    // The fast path's operations; the reference path calls the plain ones.
    switch (scaleShift) {
        case 0:
            for (auto& table : m_scaledQuant) PrescaleAanQuant(table);
            m_transform = IdctAan8x8Sse2;
            break;
        case 1: m_transform = Idct4x4Fast; break;
        case 2: m_transform = Idct2x2; break;
        default: m_transform = Idct1x1; break;
    }
    m_converter = FastColourConverter(m_layout.colourMode, scaleShift);

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
    if (m_path == Path::Reference) {
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
    return m_scaledQuant[m_frame.components[m_layout.blockComponent[block]].quantTable & 3];
}

void JpegImageDecoder::TransformMcu() {
    const int blockSamples = m_blockSize * m_blockSize;
    for (int b = 0; b < m_layout.blocksPerMcu; ++b) {
        m_transform(m_coef[b], QuantOfBlock(b), m_samples + b * blockSamples);
    }
}

void JpegImageDecoder::DecodeRowReference(uint32_t* dest) {
    const bool full = m_scaleShift < 3;
    for (int m = 0; m < m_layout.mcusPerRow; ++m) {
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
        if (m < m_columnFirst || m >= m_columnEnd) {
            if (m_restartInterval) --m_restartCountdown;
            continue;
        }
        const int blockSamples = m_blockSize * m_blockSize;
        for (int b = 0; b < m_layout.blocksPerMcu; ++b) {
            const Transform transform = m_scaleShift == 0   ? IdctAan8x8
                                        : m_scaleShift == 1 ? Idct4x4
                                        : m_scaleShift == 2 ? Idct2x2
                                                            : Idct1x1;
            transform(m_coef[b], QuantOfBlock(b), m_samples + b * blockSamples);
        }
        ConvertMcuReference(m_colour, m_layout.colourMode, m_blockSize, m_samples, dest + m * m_mcuWidth,
                            m_stride);
        if (m_restartInterval) --m_restartCountdown;
    }
}

void JpegImageDecoder::DecodeRowFast(uint32_t* dest) {
    if (m_scaleShift < 3) {
        DecodeRowFastAt<true>(dest);
    } else {
        DecodeRowFastAt<false>(dest);
    }
}

template <bool kFull>
void JpegImageDecoder::DecodeRowFastAt(uint32_t* dest) {
    const JpegHuffmanTable* dc[6];
    const JpegHuffmanTable* ac[6];
    int16_t* pred[6];
    const int blocks = m_layout.blocksPerMcu;
    for (int b = 0; b < blocks; ++b) {
        const JpegScanComponent& sc = m_scan.components[m_layout.blockScanComponent[b]];
        dc[b] = &m_tables[sc.dcSlot & 7];
        ac[b] = &m_tables[sc.acSlot & 7];
        pred[b] = &m_dcPred[m_layout.blockComponent[b] & 3];
    }
    JpegFastBitReader& reader = m_fastReader;
    for (int m = 0; m < m_layout.mcusPerRow; ++m) {
        if (m_restartInterval && m_restartCountdown == 0) {
            reader.Restart(m_lastSymbolBits >= 8 ? 0 : 8 - m_lastSymbolBits);
            RestartInterval();
        }
        if (kFull) std::memset(m_coef, 0, sizeof(m_coef[0]) * blocks);
        for (int b = 0; b < blocks; ++b) {
            m_lastSymbolBits = DecodeBlockFast<kFull>(reader, *dc[b], *ac[b], *pred[b], m_coef[b], m_zigZag);
        }
        if (m >= m_columnFirst && m < m_columnEnd) {
            TransformMcu();
            m_converter(m_colour, m_samples, dest + m * m_mcuWidth, m_stride);
        }
        if (m_restartInterval) --m_restartCountdown;
    }
}
