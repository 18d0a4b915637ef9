#pragma once
#include <cstdint>

#include "imaging/JpegBitReader.h"
#include "imaging/JpegHuffmanTable.h"

// Decoding of one block's coefficients (ITU-T T.81 F.2.2): the DC
// difference added to the component's predictor, then run/size symbols up
// to coefficient 63 or the end of block, stored at their natural positions.
// A run that carries the index past 63 (damaged data) ends the block after
// its magnitude bits. Without AC storing (the 1/8 scale) the AC values are
// only skipped.

namespace jpeg_detail {

inline int16_t Wrap16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// On the production reader: one look-up of the wide table for most codes,
// the same symbol and length as the plain way below.
inline int DecodeSymbolPlain(JpegSteppedFastReader& reader, const JpegHuffmanTable& table) {
    int length;
    const int symbol = table.Symbol(reader.PeekSymbol(16), length);
    reader.Drop(length);
    return symbol;
}

// One symbol the plain way: an 8-bit look-up, then the tree bit by bit.
template <class Reader>
int DecodeSymbolPlain(Reader& reader, const JpegHuffmanTable& table) {
    uint32_t index = reader.Peek8();
    int entry = table.lookahead[index];
    if (entry >= 0) {
        reader.Drop(table.lookaheadLength[index]);
        return entry;
    }
    reader.Drop(8);
    while (entry < 0) {
        int bit = int(reader.Read(1));
        entry = table.tree[-entry - 1 + (bit ? 0 : 1)];
    }
    return entry;
}

}  // namespace jpeg_detail

// The plain decoder, on the reference reader or one in its shape.
template <class Reader>
void DecodeBlockPlain(Reader& reader, const JpegHuffmanTable& dc, const JpegHuffmanTable& ac, int16_t& pred,
                      int16_t* coef, const uint8_t* zigZag, bool storeAc) {
    using namespace jpeg_detail;
    const int dcSize = DecodeSymbolPlain(reader, dc);
    pred = Wrap16(pred + (dcSize ? ExtendCoefficient(reader.Read(dcSize), dcSize) : 0));
    coef[0] = pred;
    for (int k = 1; k < 64; ++k) {
        int symbol = DecodeSymbolPlain(reader, ac);
        int run = symbol >> 4, size = symbol & 15;
        k += run;
        if (size) {
            int value = ExtendCoefficient(reader.Read(size), size);
            if (k > 63) break;
            if (storeAc) coef[zigZag[k]] = static_cast<int16_t>(value);
        } else if (run != 15) {
            break;
        }
    }
}

// The plain decoder on the reference reader.
void DecodeBlockReference(JpegReferenceBitReader& reader, const JpegHuffmanTable& dc,
                          const JpegHuffmanTable& ac, int16_t& pred, int16_t* coef, const uint8_t* zigZag,
                          bool storeAc);

namespace jpeg_detail {

constexpr int kFastBits = JpegHuffmanTable::kFastBits;

inline int DecodeSymbolFast(const JpegFastBitReader& reader, const JpegHuffmanTable& table, int& length) {
    return table.Symbol(reader.Peek(16), length);
}

// The DC difference, added to the predictor; returns its code and magnitude bits.
inline int DecodeDcFast(JpegFastBitReader& reader, const JpegHuffmanTable& dc, int16_t& pred) {
    int bits;
    int diff;
    reader.Fill();
    const int32_t entry = dc.fastValue[reader.Peek(kFastBits)];
    if (entry) {
        bits = entry & 0xFF;
        diff = entry >> 16;
        reader.Drop(bits);
    } else {
        int length;
        int size = DecodeSymbolFast(reader, dc, length);
        reader.Drop(length);
        diff = size ? ExtendCoefficient(reader.Read(size), size) : 0;
        bits = length + size;
    }
    pred = Wrap16(pred + diff);
    return bits;
}

// One AC symbol at coefficient k from the wide table, when it holds the
// code and its magnitude bits: sets `bits` to their number and moves k past
// it (to 64 when it ends the block). False, with nothing read, when not.
template <bool kStore>
inline bool DecodeAcWide(JpegFastBitReader& reader, const JpegHuffmanTable& ac, int& k, int16_t* coef,
                         const uint8_t* zigZag, int& bits) {
    const int32_t entry = ac.fastValue[reader.Peek(kFastBits)];
    if (!entry) return false;
    bits = entry & 0xFF;
    reader.Drop(bits);
    k += (entry >> 8) & 0xFF;
    if (k > 63) {
        k = 64;
        return true;
    }
    if (kStore) coef[zigZag[k]] = static_cast<int16_t>(entry >> 16);
    ++k;
    return true;
}

// One AC symbol at coefficient k; returns its code and magnitude bits and
// moves k past it (to 64 when it ends the block).
template <bool kStore>
inline int DecodeAcSymbolFast(JpegFastBitReader& reader, const JpegHuffmanTable& ac, int& k, int16_t* coef,
                              const uint8_t* zigZag) {
    int bits;
    if (DecodeAcWide<kStore>(reader, ac, k, coef, zigZag, bits)) return bits;
    int length;
    const int symbol = DecodeSymbolFast(reader, ac, length);
    reader.Drop(length);
    const int run = symbol >> 4, size = symbol & 15;
    k += run;
    if (size) {
        const int value = ExtendCoefficient(reader.Read(size), size);
        if (k > 63) {
            k = 64;
        } else {
            if (kStore) coef[zigZag[k]] = static_cast<int16_t>(value);
            ++k;
        }
    } else {
        k = run == 15 ? k + 1 : 64;
    }
    return length + size;
}

}  // namespace jpeg_detail

// The production decoder: one look-up for most symbols with their
// magnitude bits. Returns the code and magnitude bits of the block's last
// symbol, which the reader's restart needs.
inline int DecodeBlockFast(JpegFastBitReader& reader, const JpegHuffmanTable& dc, const JpegHuffmanTable& ac,
                           int16_t& pred, int16_t* coef, const uint8_t* zigZag) {
    using namespace jpeg_detail;
    int bits = DecodeDcFast(reader, dc, pred);
    coef[0] = pred;
    for (int k = 1; k < 64;) {
        reader.Fill();
        bits = DecodeAcSymbolFast<true>(reader, ac, k, coef, zigZag);
        // After a symbol of the wide table the fill still holds another.
        if (k < 64 && bits <= kFastBits) DecodeAcWide<true>(reader, ac, k, coef, zigZag, bits);
    }
    return bits;
}

// The same for DC alone: the AC symbols are passed over, several at a time
// where the skip table holds them whole.
inline int DecodeBlockDcOnly(JpegFastBitReader& reader, const JpegHuffmanTable& dc, const JpegHuffmanTable& ac,
                             const JpegSkipTable& skip, int16_t& pred) {
    using namespace jpeg_detail;
    int bits = DecodeDcFast(reader, dc, pred);
    // Two look-ups take at most 2 kBits bits, which one fill holds.
    auto step = [&](int& k) {
        const uint16_t entry = skip.entries[reader.Peek(JpegSkipTable::kBits)];
        const int next = k + JpegSkipTable::Advance(entry);
        if (next >= 64) return false;
        reader.Drop(JpegSkipTable::Bits(entry));
        if (JpegSkipTable::Ends(entry)) {
            bits = JpegSkipTable::LastBits(entry);
            k = 64;
        } else {
            k = next;
        }
        return true;
    };
    for (int k = 1; k < 64;) {
        reader.Fill();
        if (step(k) && (k >= 64 || step(k))) continue;
        reader.Fill();
        bits = DecodeAcSymbolFast<false>(reader, ac, k, nullptr, nullptr);
    }
    return bits;
}
