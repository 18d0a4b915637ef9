#pragma once
#include <cstdint>

#include "imaging/JpegDecoder.h"

// A Huffman table whose codes do not fit their lengths (over-subscribed
// BITS), that would need more than 256 tree nodes, or a DC table with a
// magnitude category above 15. Raised only for the slots the scan uses.
constexpr int16_t JPEG_ERR_HUFF_TABLE = -221;

// The decoding tables built from one slot's BITS and HUFFVAL (ITU-T T.81
// annex C code generation).
//
// The plain tables (lookahead, tree) are what the decoder defines itself by:
// codes of up to 8 bits take one look-up, longer ones walk the tree from the
// node their first 8 bits name. An 8-bit prefix that starts no code yields
// symbol 0 after 8 bits, and a walk that meets an empty entry yields symbol
// 0 after the bits walked, so damaged data always moves the reader on.
//
// The wide tables are derived from the plain ones by walking every 10-bit
// pattern, so they decode the same symbols with the same lengths:
// fastSymbol resolves codes of up to 10 bits; fastValue also folds in the
// magnitude bits of a coefficient when code and bits fit in 10 bits.
struct JpegHuffmanTable {
    static constexpr int kFastBits = 10;
    static constexpr int kMaxNodes = 256;

    int16_t lookahead[256];        // symbol (>= 0) or tree node identifier (< 0)
    uint8_t lookaheadLength[256];  // bits used by a lookahead hit
    int16_t tree[2 * kMaxNodes];   // node n: [-n - 1] for a 1 bit, [-n] for a 0 bit

    // (symbol << 8) | bits used; 0 when the code is longer than kFastBits.
    uint16_t fastSymbol[1 << kFastBits];
    // (value << 16) | (run << 8) | (code bits + magnitude bits); 0 when the
    // pair does not fit. DC entries (dc = true at build) have run 0 and
    // value = the difference; AC symbols that end the block have run 64.
    int32_t fastValue[1 << kFastBits];

    // Builds all tables; false when the table cannot be decoded (see
    // JPEG_ERR_HUFF_TABLE), in which case the tables decode nothing but
    // symbol 0.
    bool Build(const HuffSlot& slot, bool dc);

    // The symbol of the code at the top of a 16-bit window, and the bits it
    // uses (the plain tables' walk).
    int Walk(uint32_t window16, int& length) const;
    // The same through the wide table where the code fits it.
    int Symbol(uint32_t window16, int& length) const {
        if (const uint16_t entry = fastSymbol[window16 >> (16 - kFastBits)]) {
            length = entry & 0xFF;
            return entry >> 8;
        }
        return Walk(window16, length);
    }

private:
    void Clear();
    bool BuildPlain(const HuffSlot& slot);
    void BuildFast(bool dc);
};

// For passing over AC symbols when only DC is kept (the 1/8 scale): the
// whole symbols, magnitude bits included, that the top kBits bits of the
// data hold, up to and including an end of block. Built from an AC table's
// walk, so it agrees with it.
struct JpegSkipTable {
    static constexpr int kBits = 13;
    uint16_t entries[1 << kBits];

    void Build(const JpegHuffmanTable& ac);

    static int Bits(uint16_t e) { return e & 15; }              // bits of all the symbols
    static int LastBits(uint16_t e) { return (e >> 4) & 15; }   // bits of the last one
    static int Advance(uint16_t e) { return (e >> 8) & 0x7F; }  // coefficients passed before an end of block
    static bool Ends(uint16_t e) { return e >> 15; }            // the last symbol ends the block
};

// T.81 F.2.2.1: an n-bit value v below 2^(n-1) stands for v - 2^n + 1.
inline int ExtendCoefficient(uint32_t v, int n) {
    return v < (1u << (n - 1)) ? int(v) - (1 << n) + 1 : int(v);
}
