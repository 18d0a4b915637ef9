#pragma once
#include <emmintrin.h>

#include <cstdint>

// Bit i is set when coefficient i of the 8x8 block (natural order) is not
// zero: two rows at a time, compared and packed with SSE2.
inline uint64_t NonZeroCoefficients(const int16_t* block) {
    const __m128i zero = _mm_setzero_si128();
    uint64_t zeros = 0;
    for (int row = 0; row < 8; row += 2) {
        const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * row)), zero);
        const __m128i b =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * row + 8)), zero);
        zeros |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_packs_epi16(a, b)))) << (8 * row);
    }
    return ~zeros;
}
