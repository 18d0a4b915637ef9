#pragma once
#include <cstdint>

#include "imaging/JpegBitReader.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegHuffmanTable.h"

// The block decoding of one Huffman-coded scan into stored coefficients:
// sequential (T.81 F.2.2) or one of the four kinds of progressive scan
// (T.81 G.1.2: DC first and refinement, AC first and refinement with
// end-of-band runs). Blocks hold natural order; `perBlock` is 64, or 1 when
// only DC values are kept. `Reader` is the reference reader or the
// production one in its shape (JpegSteppedFastReader).
template <class Reader>
class JpegHuffmanScan {
public:
    JpegHuffmanScan(Reader& reader, const JpegHuffmanTable* tables, const JpegScan& scan,
                    const uint8_t* zigZag, bool progressive)
        : m_reader(reader), m_tables(tables), m_scan(scan), m_zigZag(zigZag), m_progressive(progressive) {
        for (int k = 0; k < 64; ++k) m_toZigZag[zigZag[k] & 63] = uint8_t(k);
    }

    // At the scan's start and after each restart marker: predictors and
    // the end-of-band run are cleared.
    void Reset();
    // Decodes the next block of scan component `sc` into `block`.
    void DecodeBlock(int sc, int16_t* block, int perBlock);

private:
    int Symbol(const JpegHuffmanTable& table);
    void Sequential(int sc, int16_t* block, int perBlock);
    void DcFirst(int sc, int16_t* block);
    void DcRefine(int16_t* block);
    void AcFirst(int sc, int16_t* block);
    void AcRefine(int sc, int16_t* block);
    void AcRefineByMask(int sc, int16_t* block);
    // The natural position of zig-zag index k. Damaged data can carry k
    // past the band, and past 63 (to 78 at most), where it stands for 63:
    // libjpeg's reading, so that such files look the same.
    int At(int k) const { return k > 63 ? 63 : m_zigZag[k]; }

    Reader& m_reader;
    const JpegHuffmanTable* m_tables;  // the 8 slots
    const JpegScan& m_scan;
    const uint8_t* m_zigZag;
    uint8_t m_toZigZag[64];  // natural position to zig-zag index
    bool m_progressive;
    int16_t m_pred[4] = {};
    uint32_t m_eobRun = 0;
};
