#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "imaging/JpegDecoder.h"

// The quantised coefficients of every block of a picture, per component, as
// the scans deliver them (T.81 G.1.1: a progressive picture's coefficients
// arrive in parts). What a block keeps depends on the scale shown:
//   1/1, 1/2: all 64 coefficients in natural order ("direct"; at 1/2 the
//        16 the scaled transform uses and marks for the others would take
//        a third of the memory, but packing and unpacking them for every
//        scan costs more time than the scans themselves);
//   1/8: the DC value only ("direct", one per block; only DC scans and
//        sequential scans are decoded then);
//   1/4: the 4 coefficients the scaled transform uses, and for the others
//        only whether they are non-zero, which is all a later refinement
//        scan needs to be parsed.
// So the store stays a small multiple of the output at every scale.
//
// A progressive picture's DC values arrive in scans of their own, which
// would otherwise walk every block of the store; they are kept apart, a
// small plane that stays in the cache, and joined to their blocks at the
// output.
//
// Each component's plane covers whole MCUs of the interleaved layout, which
// also holds the blocks of a non-interleaved scan of that component.
class JpegCoefficientStore {
public:
    // Stands in, in an expanded block, for a non-zero coefficient whose
    // value is not kept; refinements keep it non-zero.
    static constexpr int16_t kNonZero = 0x4000;

    // Returns 0 or ERROR_NOT_ENOUGH_MEMORY.
    int Allocate(const JpegFrame& frame, uint16_t mcusPerRow, uint16_t mcuRows, int scaleShift,
                 bool separateDc);

    // Blocks are held as 64 (or 1) natural-order coefficients one can
    // decode into in place.
    bool Direct() const { return m_kept == 64 || m_kept == 1; }
    int CoefficientsPerBlock() const { return m_kept; }
    int16_t* Block(int component, uint32_t x, uint32_t y) {
        return m_planes[component].get() + Index(component, x, y) * m_kept;
    }
    // Where a block's DC value is kept: its first coefficient, or its place
    // in the DC plane.
    int16_t* Dc(int component, uint32_t x, uint32_t y) {
        if (!m_dc[component]) return Block(component, x, y);
        return m_dc[component].get() + Index(component, x, y);
    }
    bool SeparateDc() const { return m_dc[0] != nullptr; }
    // Kept blocks: the 64 coefficients with kNonZero where only non-zero
    // is known (for decoding); or only the kept ones, the rest of `block`
    // untouched (for the scaled transform, which reads no other); and back.
    void Expand(int component, uint32_t x, uint32_t y, int16_t* block, bool markers) const;
    void Compact(int component, uint32_t x, uint32_t y, const int16_t* block);

    // Bytes held, for tests of the memory a scale needs.
    size_t Bytes() const { return m_bytes; }

private:
    size_t Index(int component, uint32_t x, uint32_t y) const { return size_t(y) * m_wide[component] + x; }

    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    // Zeroed by calloc, so pages no scan reaches are never touched.
    std::unique_ptr<int16_t[], Free> m_planes[4];
    std::unique_ptr<int16_t[], Free> m_dc[4];
    std::unique_ptr<uint64_t[], Free> m_nonZero[4];  // kept blocks: bit n for natural position n
    uint32_t m_wide[4] = {};
    int m_kept = 64;
    size_t m_bytes = 0;
};

// The sampling factors a component is stored and scanned with: a greyscale
// picture's one component is taken as 1 x 1 whatever its frame says.
inline uint8_t JpegComponentH(const JpegFrame& frame, int c) {
    return frame.componentCount == 1 ? 1 : frame.components[c].h;
}
inline uint8_t JpegComponentV(const JpegFrame& frame, int c) {
    return frame.componentCount == 1 ? 1 : frame.components[c].v;
}
