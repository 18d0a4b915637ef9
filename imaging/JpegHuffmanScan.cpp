#include "imaging/JpegHuffmanScan.h"

#include <type_traits>

#include "imaging/JpegBlockBits.h"
#include "imaging/JpegBlockDecoder.h"

using jpeg_detail::Wrap16;

template <class Reader>
void JpegHuffmanScan<Reader>::Reset() {
    for (int16_t& p : m_pred) p = 0;
    m_eobRun = 0;
}

template <class Reader>
int JpegHuffmanScan<Reader>::Symbol(const JpegHuffmanTable& table) {
    return jpeg_detail::DecodeSymbolPlain(m_reader, table);
}

template <class Reader>
void JpegHuffmanScan<Reader>::DecodeBlock(int sc, int16_t* block, int perBlock) {
    if (!m_progressive) return Sequential(sc, block, perBlock);
    if (m_scan.ss == 0) {
        if (m_scan.ah == 0) return DcFirst(sc, block);
        return DcRefine(block);
    }
    if (m_scan.ah == 0) return AcFirst(sc, block);
    AcRefine(sc, block);
}

template <class Reader>
void JpegHuffmanScan<Reader>::Sequential(int sc, int16_t* block, int perBlock) {
    const JpegScanComponent& c = m_scan.components[sc];
    DecodeBlockPlain(m_reader, m_tables[c.dcSlot & 7], m_tables[c.acSlot & 7], m_pred[c.frameIndex & 3],
                         block, m_zigZag, perBlock == 64);
}

template <class Reader>
void JpegHuffmanScan<Reader>::DcFirst(int sc, int16_t* block) {
    const JpegScanComponent& c = m_scan.components[sc];
    int size = Symbol(m_tables[c.dcSlot & 7]);
    int diff = size ? ExtendCoefficient(m_reader.Read(size), size) : 0;
    int16_t& pred = m_pred[c.frameIndex & 3];
    pred = Wrap16(pred + diff);
    block[0] = Wrap16(int32_t(uint32_t(pred) << m_scan.al));
}

template <class Reader>
void JpegHuffmanScan<Reader>::DcRefine(int16_t* block) {
    if (m_reader.Read(1)) block[0] = Wrap16(block[0] | (1 << m_scan.al));
}

template <class Reader>
void JpegHuffmanScan<Reader>::AcFirst(int sc, int16_t* block) {
    if (m_eobRun > 0) {
        --m_eobRun;
        return;
    }
    const JpegHuffmanTable& table = m_tables[m_scan.components[sc].acSlot & 7];
    const int al = m_scan.al, se = m_scan.se;
    Reader reader = m_reader;
    for (int k = m_scan.ss; k <= se; ++k) {
        if constexpr (std::is_same_v<Reader, JpegSteppedFastReader>) {
            // Code and magnitude in one look-up when they fit; the end-of-
            // band runs take the symbol's way below.
            const int32_t entry = table.fastValue[reader.PeekSymbol(JpegHuffmanTable::kFastBits)];
            const int run = (entry >> 8) & 0xFF;
            if (entry != 0 && run != 64) {
                reader.Drop(entry & 0xFF);
                k += run;
                const int value = entry >> 16;  // 0 only for a run of 16
                if (value) block[At(k)] = Wrap16(int32_t(uint32_t(value) << al));
                continue;
            }
        }
        int symbol = jpeg_detail::DecodeSymbolPlain(reader, table);
        int run = symbol >> 4, size = symbol & 15;
        if (size) {
            k += run;
            int value = ExtendCoefficient(reader.Read(size), size);
            block[At(k)] = Wrap16(int32_t(uint32_t(value) << al));
        } else if (run == 15) {
            k += 15;
        } else {
            m_eobRun = 1u << run;
            if (run) m_eobRun += reader.Read(run);
            --m_eobRun;
            break;
        }
    }
    m_reader = reader;
}

namespace {

// A coefficient already non-zero takes one correction bit; it grows away
// from zero when the bit is set and the bit is not yet there. The bits are
// as good as random, so the growth is chosen without a branch.
template <class Reader>
inline void Refine(Reader& reader, int16_t& coef, int16_t bit) {
    const uint32_t grow = reader.Read(1) & uint32_t((coef & bit) == 0);
    const int16_t step = coef >= 0 ? bit : int16_t(-bit);
    coef = Wrap16(coef + (step & -int32_t(grow)));
}

}  // namespace

namespace {

// Bits `from` to `to` (zig-zag indices, both included); none when to < from.
inline uint64_t Span(int from, int to) {
    if (to < from || from > 63) return 0;
    const uint64_t upTo = to >= 63 ? ~0ull : (2ull << to) - 1;
    return upTo & (~0ull << from);
}

// The zig-zag indices of a block's non-zero coefficients, as bits.
inline uint64_t NonZeroByZigZag(const int16_t* block, const uint8_t* toZigZag) {
    uint64_t bits = 0;
    for (uint64_t natural = NonZeroCoefficients(block); natural; natural &= natural - 1) bits |= 1ull << toZigZag[__builtin_ctzll(natural)];
    return bits;
}

}  // namespace

// The production reader's refinement: the same reads and the same changes
// as the plain loop below, found from a mask of the block's non-zero
// coefficients instead of a look at each coefficient of the band.
template <class Reader>
void JpegHuffmanScan<Reader>::AcRefineByMask(int sc, int16_t* block) {
    const int16_t bit = int16_t(1 << m_scan.al);
    const JpegHuffmanTable& table = m_tables[m_scan.components[sc].acSlot & 7];
    const int se = m_scan.se;
    const uint8_t* zigZag = m_zigZag;
    Reader reader = m_reader;
    int k = m_scan.ss;
    uint32_t eobRun = m_eobRun;
    const uint64_t nonZero = NonZeroByZigZag(block, m_toZigZag);
    auto refine = [&](uint64_t todo) {
        for (; todo; todo &= todo - 1) Refine(reader, block[zigZag[__builtin_ctzll(todo)]], bit);
    };
    if (eobRun == 0) {
        for (; k <= se; ++k) {
            int symbol = jpeg_detail::DecodeSymbolPlain(reader, table);
            int run = symbol >> 4, size = symbol & 15;
            int16_t value = 0;
            if (size) {
                value = reader.Read(1) ? bit : Wrap16(-bit);
            } else if (run != 15) {
                eobRun = 1u << run;
                if (run) eobRun += reader.Read(run);
                break;
            }
            // The (run + 1)-th zero-history coefficient from k, refining
            // the non-zero ones before it.
            uint64_t zeros = ~nonZero & Span(k, se);
            for (int i = 0; i < run && zeros; ++i) zeros &= zeros - 1;
            const int target = zeros ? __builtin_ctzll(zeros) : se + 1;
            refine(nonZero & Span(k, target - 1));
            k = target;
            if (value) block[At(k)] = value;
        }
    }
    if (eobRun > 0) {
        refine(nonZero & Span(k, se));
        --eobRun;
    }
    m_eobRun = eobRun;
    m_reader = reader;
}

// The reader is worked on as a local copy, which the compiler can keep in
// registers across the stores into the block.
template <class Reader>
void JpegHuffmanScan<Reader>::AcRefine(int sc, int16_t* block) {
    if constexpr (std::is_same_v<Reader, JpegSteppedFastReader>) return AcRefineByMask(sc, block);
    const int16_t bit = int16_t(1 << m_scan.al);
    const JpegHuffmanTable& table = m_tables[m_scan.components[sc].acSlot & 7];
    const int se = m_scan.se;
    const uint8_t* zigZag = m_zigZag;
    Reader reader = m_reader;
    int k = m_scan.ss;
    uint32_t eobRun = m_eobRun;
    if (eobRun == 0) {
        for (; k <= se; ++k) {
            int symbol = jpeg_detail::DecodeSymbolPlain(reader, table);
            int run = symbol >> 4, size = symbol & 15;
            int16_t value = 0;
            if (size) {
                // Only size 1 is valid; damaged data is read as if it were.
                value = reader.Read(1) ? bit : Wrap16(-bit);
            } else if (run != 15) {
                eobRun = 1u << run;
                if (run) eobRun += reader.Read(run);
                break;
            }
            // Skip `run` zero-history coefficients, refining the non-zero
            // ones passed; the new value lands on the next zero one.
            for (; k <= se; ++k) {
                int16_t& coef = block[zigZag[k]];
                if (coef != 0) {
                    Refine(reader, coef, bit);
                } else if (--run < 0) {
                    break;
                }
            }
            if (value) block[At(k)] = value;
        }
    }
    if (eobRun > 0) {
        for (; k <= se; ++k) {
            int16_t& coef = block[zigZag[k]];
            if (coef != 0) Refine(reader, coef, bit);
        }
        --eobRun;
    }
    m_eobRun = eobRun;
    m_reader = reader;
}

template class JpegHuffmanScan<JpegReferenceBitReader>;
template class JpegHuffmanScan<JpegSteppedFastReader>;
