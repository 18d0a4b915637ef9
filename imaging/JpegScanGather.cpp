// The decoding of pictures whose coefficients are gathered over their scans
// before the output: progressive and arithmetic-coded pictures, and
// sequential ones in more than one scan.
#include <algorithm>
#include <cstring>

#include "imaging/JpegArithmeticScan.h"
#include "imaging/JpegHuffmanScan.h"
#include "imaging/JpegIdct.h"
#include "imaging/JpegImageDecoder.h"
#include "imaging/JpegSource.h"
#include "platform/base/WinError.h"

namespace {

uint32_t CeilDiv(uint32_t a, uint32_t b) { return (a + b - 1) / b; }

// Asks the cache for the block that begins at `at`: the planes of whole
// blocks are far larger than the cache, and the processor does not foresee
// the walks over them, so each walk asks for blocks some way ahead. (Near a
// plane's end that lies past it, which a prefetch may: it never faults.)
inline void PrefetchBlock(const int16_t* at, int perBlock) {
    __builtin_prefetch(at);
    __builtin_prefetch(at + perBlock - 1);
}

bool IsProgressive(uint8_t coding) {
    return coding == JPEG_CODING_PROGRESSIVE || coding == JPEG_CODING_ARITHMETIC_PROGRESSIVE;
}

// The Huffman decoding of one scan on either reader.
template <class Reader>
class HuffmanScan {
public:
    HuffmanScan(Reader& reader, JpegHuffmanScan<Reader>& scan, bool restarts)
        : m_reader(reader), m_scan(scan), m_restarts(restarts) {}
    bool OutOfData() { return m_reader.OutOfData(m_restarts); }
    void Restart() {
        m_reader.Restart();
        m_scan.Reset();
    }
    void DecodeBlock(int sc, int16_t* block, int perBlock) { m_scan.DecodeBlock(sc, block, perBlock); }

private:
    Reader& m_reader;
    JpegHuffmanScan<Reader>& m_scan;
    bool m_restarts;
};

// A scan's blocks decoded into the store, in place or through an expanded
// copy. A progressive DC scan touches the DC value only, which it decodes
// where the store keeps it (see JpegCoefficientStore::Dc).
template <class Scan>
class StoreBlocks {
public:
    StoreBlocks(Scan& scan, JpegCoefficientStore& store, bool dcOnly)
        : m_scan(scan), m_store(store), m_inPlace(store.Direct()), m_dcOnly(dcOnly) {}
    bool OutOfData() { return m_scan.OutOfData(); }
    void Restart() { m_scan.Restart(); }
    void Block(int sc, int c, uint32_t x, uint32_t y) {
        if (m_dcOnly) return m_scan.DecodeBlock(sc, m_store.Dc(c, x, y), 1);
        if (m_inPlace) {
            const int perBlock = m_store.CoefficientsPerBlock();
            int16_t* const stored = m_store.Block(c, x, y);
            if (perBlock == 64) PrefetchBlock(stored + kAhead * perBlock, perBlock);
            return m_scan.DecodeBlock(sc, stored, perBlock);
        }
        int16_t block[64];
        m_store.Expand(c, x, y, block, true);
        m_scan.DecodeBlock(sc, block, 64);
        m_store.Compact(c, x, y, block);
    }

private:
    static constexpr int kAhead = 8;  // blocks
    Scan& m_scan;
    JpegCoefficientStore& m_store;
    bool m_inPlace;
    bool m_dcOnly;
};

bool IsArithmetic(uint8_t coding) {
    return coding == JPEG_CODING_ARITHMETIC || coding == JPEG_CODING_ARITHMETIC_PROGRESSIVE;
}

}  // namespace

// Decodes every scan that the scale needs into the store, skipping the
// entropy-coded data of the others, up to the end of the image or of the
// data. Errors in the segments between scans end the decode as they would
// before the first scan; a file that ends early shows what arrived.
int JpegImageDecoder::GatherScans() {
    m_gathered = true;
    if (int error = m_store.Allocate(m_frame, m_layout.mcusPerRow, m_layout.mcuRows, m_scaleShift,
                                     IsProgressive(m_coding))) {
        SetError(int16_t(error));
        return m_error;
    }
    std::memset(m_coefBits, -1, sizeof m_coefBits);
    m_scanPlan.NeedAll();
    if (IsProgressive(m_coding) && m_scaleShift > 0 && m_scaleShift < 3) {
        JpegSource::Ahead ahead(*m_source, m_ptr, m_end);
        m_scanPlan.Make(m_frame, m_scan, ahead, 8 >> m_scaleShift, m_zigZag);
    }
    for (int ordinal = 0;; ++ordinal) {
        if (ScanWanted(ordinal)) {
            LatchQuantTables();
            if (IsArithmetic(m_coding)) {
                DecodeArithmeticScan();
            } else if (BuildScanTables()) {
                if (m_path == Path::Reference) {
                    DecodeHuffmanScan(m_referenceReader);
                } else {
                    DecodeHuffmanScan(m_steppedReader);
                }
            }
            if (m_error) return m_error;
            ++m_scansDecoded;
        } else {
            ++m_scansSkipped;
        }
        const int next = NextScan(SkipEntropyData());
        if (next != 1) break;
    }
    if (m_error) return m_error;
    for (int c = 0; c < m_frame.componentCount; ++c) {
        const uint16_t* raw =
            m_quantLatched[c] ? m_latchedQuant[c] : m_quant[m_frame.components[c].quantTable & 3];
        PrepareQuant(m_scaledQuant[c], raw);
    }
    return 0;
}

// A scan is decoded when the scale needs its coefficients (at 1/8 only DC
// values are; at 1/2 and 1/4 as the scan plan says) and when it follows on from the scans before it for every
// coefficient it codes: a first scan of coefficients not yet coded, or a
// refinement by the next bit. Others are skipped, which also bounds the
// work a file with endless scans can cause.
bool JpegImageDecoder::ScanWanted(int ordinal) {
    const bool progressive = IsProgressive(m_coding);
    const int first = progressive ? m_scan.ss : 0;
    const int last = progressive ? m_scan.se : 63;
    const int ah = progressive ? m_scan.ah : 0;
    const int al = progressive ? m_scan.al : 0;
    for (int i = 0; i < m_scan.componentCount; ++i) {
        const int8_t* bits = m_coefBits[m_scan.components[i].frameIndex & 3];
        for (int k = first; k <= last; ++k) {
            if (ah == 0 ? bits[k] >= 0 : bits[k] != ah) return false;
        }
    }
    for (int i = 0; i < m_scan.componentCount; ++i) {
        int8_t* bits = m_coefBits[m_scan.components[i].frameIndex & 3];
        for (int k = first; k <= last; ++k) bits[k] = int8_t(al);
    }
    if (m_store.CoefficientsPerBlock() == 1) return first == 0;
    return m_scanPlan.Needed(ordinal);
}

bool JpegImageDecoder::DcScan() const { return IsProgressive(m_coding) && m_scan.ss == 0; }

// A component's quantisation table is the one defined when its first scan
// begins (as libjpeg takes it).
void JpegImageDecoder::LatchQuantTables() {
    for (int i = 0; i < m_scan.componentCount; ++i) {
        const int c = m_scan.components[i].frameIndex & 3;
        if (m_quantLatched[c]) continue;
        std::memcpy(m_latchedQuant[c], m_quant[m_frame.components[c].quantTable & 3], sizeof m_latchedQuant[c]);
        m_quantLatched[c] = true;
    }
}

// The Huffman tables the scan uses; false (with the error set) when one
// cannot be decoded.
bool JpegImageDecoder::BuildScanTables() {
    const bool progressive = IsProgressive(m_coding);
    for (int i = 0; i < m_scan.componentCount; ++i) {
        const JpegScanComponent& sc = m_scan.components[i];
        const bool dcUsed = !progressive || m_scan.ss == 0;
        const bool acUsed = !progressive || m_scan.ss > 0;
        // A DC refinement reads bits only, no symbols.
        if ((dcUsed && !(progressive && m_scan.ah != 0) && !m_tables[sc.dcSlot].Build(m_huff[sc.dcSlot], true)) ||
            (acUsed && !m_tables[sc.acSlot].Build(m_huff[sc.acSlot], false))) {
            SetError(JPEG_ERR_HUFF_TABLE);
            return false;
        }
    }
    return true;
}

template <class Reader>
void JpegImageDecoder::DecodeHuffmanScan(Reader& reader) {
    reader.Input().Attach(m_source.get(), m_ptr, m_end);
    reader.Reset();
    JpegHuffmanScan<Reader> scan(reader, m_tables, m_scan, m_zigZag, IsProgressive(m_coding));
    scan.Reset();
    HuffmanScan<Reader> huffman(reader, scan, m_restartInterval != 0);
    StoreBlocks<HuffmanScan<Reader>> blocks(huffman, m_store, DcScan());
    WalkScanBlocks(blocks);
    m_ptr = reader.Input().Ptr();
    m_end = reader.Input().End();
}

void JpegImageDecoder::DecodeArithmeticScan() {
    JpegArithmeticScan scan(m_source.get(), m_ptr, m_end, m_scan, m_arith, m_zigZag, IsProgressive(m_coding));
    StoreBlocks<JpegArithmeticScan> blocks(scan, m_store, DcScan());
    WalkScanBlocks(blocks);
    m_ptr = scan.Ptr();
    m_end = scan.End();
}

// The blocks of the scan in their order (T.81 A.2): a component's blocks
// row by row when the scan has one component, else MCU by MCU. Restart
// markers come every m_restartInterval MCUs. The walk stops once the data
// is used up; the blocks not reached keep what earlier scans gave them.
template <class BlockDecoder>
void JpegImageDecoder::WalkScanBlocks(BlockDecoder& decoder) {
    uint32_t countdown = m_restartInterval;
    auto beginMcu = [&]() {
        if (decoder.OutOfData()) return false;
        if (m_restartInterval) {
            if (countdown == 0) {
                decoder.Restart();
                countdown = m_restartInterval;
            }
            --countdown;
        }
        return true;
    };
    if (m_scan.componentCount == 1) {
        const int c = m_scan.components[0].frameIndex;
        uint8_t hMax = 1, vMax = 1;
        for (int i = 0; i < m_frame.componentCount; ++i) {
            hMax = std::max(hMax, JpegComponentH(m_frame, i));
            vMax = std::max(vMax, JpegComponentV(m_frame, i));
        }
        const uint32_t wide = CeilDiv(CeilDiv(uint32_t(m_frame.width) * JpegComponentH(m_frame, c), hMax), 8);
        const uint32_t high = CeilDiv(CeilDiv(uint32_t(m_frame.height) * JpegComponentV(m_frame, c), vMax), 8);
        const uint32_t v = JpegComponentV(m_frame, c);
        for (uint32_t y = 0; y < high; ++y) {
            if (Cancelled()) return;
            m_rowsReached = std::max(m_rowsReached, y / v + 1);
            for (uint32_t x = 0; x < wide; ++x) {
                if (!beginMcu()) return;
                decoder.Block(0, c, x, y);
            }
        }
        return;
    }
    for (uint32_t my = 0; my < m_layout.mcuRows; ++my) {
        if (Cancelled()) return;
        m_rowsReached = std::max(m_rowsReached, my + 1);
        for (uint32_t mx = 0; mx < m_layout.mcusPerRow; ++mx) {
            if (!beginMcu()) return;
            for (int i = 0; i < m_scan.componentCount; ++i) {
                const int c = m_scan.components[i].frameIndex;
                const uint32_t h = JpegComponentH(m_frame, c), v = JpegComponentV(m_frame, c);
                for (uint32_t by = 0; by < v; ++by) {
                    for (uint32_t bx = 0; bx < h; ++bx) {
                        decoder.Block(i, c, mx * h + bx, my * v + by);
                    }
                }
            }
        }
    }
}

bool JpegImageDecoder::Cancelled() {
    if (!m_cancel || !m_cancel->ShouldCancel()) return false;
    SetError(JPEG_ERR_CANCELLED);
    return true;
}

// One MCU row of the output from the store. Rows no scan reached hold
// zero coefficients only.
// Blocks held whole are transformed where they lie in the store; the
// transforms at 1/8 read the DC value only, which is all it holds then.
void JpegImageDecoder::DecodeRowBuffered(uint32_t* dest) {
    const uint32_t my = m_rowsDone;
    if (my >= m_rowsReached) return FillRow(dest, 0);
    const int perBlock = m_store.CoefficientsPerBlock();
    int16_t* blocks[kJpegMaxMcuBlocks];
    for (uint32_t mx = 0; mx < m_layout.mcusPerRow; ++mx) {
        if (!Shown(mx)) continue;
        int b = 0;
        while (b < m_layout.blocksPerMcu) {
            const int c = m_layout.blockComponent[b];
            const uint32_t h = JpegComponentH(m_frame, c), v = JpegComponentV(m_frame, c);
            for (uint32_t i = 0; i < h * v; ++i, ++b) {
                const uint32_t x = mx * h + i % h, y = my * v + i / h;
                if (perBlock == 64) PrefetchBlock(m_store.Block(c, x + 2 * h, y), perBlock);
                if (m_store.Direct()) {
                    blocks[b] = m_store.Block(c, x, y);
                } else {
                    m_store.Expand(c, x, y, m_coef[b], false);
                    blocks[b] = m_coef[b];
                }
                if (m_store.SeparateDc()) blocks[b][0] = *m_store.Dc(c, x, y);
            }
        }
        TransformMcu(blocks);
        ConvertMcu(dest + mx * m_mcuWidth);
    }
}
