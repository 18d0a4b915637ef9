#include "imaging/JpegHuffmanTable.h"

#include <cstring>

void JpegHuffmanTable::Clear() {
    std::memset(lookahead, 0, sizeof lookahead);
    std::memset(lookaheadLength, 8, sizeof lookaheadLength);
    std::memset(tree, 0, sizeof tree);
}

bool JpegHuffmanTable::Build(const HuffSlot& slot, bool dc) {
    bool ok = BuildPlain(slot);
    if (ok && dc) {
        int count = 0;
        for (int length = 1; length <= 16; ++length) count += slot.bits[length];
        for (int k = 0; k < count && k < 256; ++k) ok = ok && slot.huffval[k] <= 15;
    }
    if (!ok) Clear();
    BuildFast(dc);
    return ok;
}

// Canonical codes (T.81 C.2): the code grows by one per symbol and doubles
// when the length grows. A code that reaches 2^length means BITS promises
// more codes than the length can hold.
bool JpegHuffmanTable::BuildPlain(const HuffSlot& slot) {
    Clear();
    int nextNode = -1;
    uint32_t code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length, code <<= 1) {
        for (int i = 0; i < slot.bits[length]; ++i, ++code, ++k) {
            if (k >= 256 || code >= (1u << length)) return false;
            int16_t symbol = slot.huffval[k];
            if (length <= 8) {
                uint32_t first = code << (8 - length);
                for (uint32_t j = 0; j < (1u << (8 - length)); ++j) {
                    lookahead[first + j] = symbol;
                    lookaheadLength[first + j] = static_cast<uint8_t>(length);
                }
                continue;
            }
            int16_t* entry = &lookahead[code >> (length - 8)];
            // Canonical codes that fit their lengths are prefix-free, so
            // every entry on the path is empty or a node, never a symbol.
            for (int bit = length - 9; bit >= 0; --bit) {
                if (*entry == 0) {
                    if (nextNode < -(2 * kMaxNodes - 1)) return false;
                    *entry = static_cast<int16_t>(nextNode);
                    nextNode -= 2;
                }
                int index = -*entry - 1 + (((code >> bit) & 1) ? 0 : 1);
                entry = &tree[index];
            }
            *entry = symbol;
        }
    }
    return true;
}

int JpegHuffmanTable::Walk(uint32_t window16, int& length) const {
    int entry = lookahead[(window16 >> 8) & 0xFF];
    if (entry >= 0) {
        length = lookaheadLength[(window16 >> 8) & 0xFF];
        return entry;
    }
    // Nodes are always allocated after their parent, so the walk goes
    // deeper at every bit and ends within the 16 bits of the longest code.
    length = 8;
    while (entry < 0 && length < 16) {
        int bit = (window16 >> (15 - length)) & 1;
        entry = tree[-entry - 1 + (bit ? 0 : 1)];
        ++length;
    }
    return entry < 0 ? 0 : entry;
}

void JpegHuffmanTable::BuildFast(bool dc) {
    for (uint32_t pattern = 0; pattern < (1u << kFastBits); ++pattern) {
        uint32_t window = pattern << (16 - kFastBits);
        int length = 0;
        int symbol = Walk(window, length);
        bool resolved = length <= kFastBits;  // the walk looked at no padding bit
        fastSymbol[pattern] = resolved ? static_cast<uint16_t>(symbol << 8 | length) : 0;
        fastValue[pattern] = 0;
        if (!resolved) continue;
        int size = symbol & 15;
        int run = dc ? 0 : symbol >> 4;
        if (dc) size = symbol;  // at most 15 in a table that built
        // Without magnitude bits only a run of 16 goes on; every other
        // symbol ends the block, which a run of 64 does as well.
        if (!dc && size == 0 && run != 15) run = 64;
        if (length + size > kFastBits) continue;
        int value = 0;
        if (size) {
            uint32_t bits = (pattern >> (kFastBits - length - size)) & ((1u << size) - 1);
            value = ExtendCoefficient(bits, size);
        }
        fastValue[pattern] = int32_t(uint32_t(value) << 16 | uint32_t(run) << 8 | uint32_t(length + size));
    }
}

// Each pattern is decoded symbol by symbol with the 10-bit tables while the
// next code and its magnitude bits still lie within the pattern.
void JpegSkipTable::Build(const JpegHuffmanTable& ac) {
    for (uint32_t pattern = 0; pattern < (1u << kBits); ++pattern) {
        int used = 0, last = 0, advance = 0;
        bool ends = false;
        while (!ends && used < kBits) {
            // The unread bits of the pattern at the top of a 16-bit window.
            const uint32_t window = (pattern << (16 - kBits + used)) & 0xFFFF;
            int length = 0;
            const int symbol = ac.Symbol(window, length);
            const int run = symbol >> 4, size = symbol & 15;
            if (used + length + size > kBits) break;
            ends = size == 0 && run != 15;
            // No use going on past the block's last coefficient.
            if (!ends && advance + run + 1 > 63) break;
            if (!ends) advance += run + 1;
            used += length + size;
            last = length + size;
        }
        // Where no symbol fits, an advance no block has sends the decoder
        // the symbol by symbol way.
        if (used == 0) advance = 0x7F;
        entries[pattern] = uint16_t(used | last << 4 | advance << 8 | (ends ? 0x8000 : 0));
    }
}
