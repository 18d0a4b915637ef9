#include "imaging/JpegCoefficientStore.h"

#include <emmintrin.h>

#include <cstring>

#include "imaging/JpegBlockBits.h"
#include "platform/base/WinError.h"

int JpegCoefficientStore::Allocate(const JpegFrame& frame, uint16_t mcusPerRow, uint16_t mcuRows,
                                   int scaleShift, bool separateDc) {
    static const int kKept[4] = {64, 64, 4, 1};
    m_kept = kKept[scaleShift & 3];
    m_bytes = 0;
    for (int c = 0; c < frame.componentCount; ++c) {
        m_wide[c] = uint32_t(mcusPerRow) * JpegComponentH(frame, c);
        const size_t blocks = size_t(m_wide[c]) * mcuRows * JpegComponentV(frame, c);
        m_planes[c].reset(static_cast<int16_t*>(std::calloc(blocks * m_kept, sizeof(int16_t))));
        if (!m_planes[c]) return int(ERROR_NOT_ENOUGH_MEMORY);
        m_bytes += blocks * m_kept * sizeof(int16_t);
        if (separateDc && m_kept > 1) {
            m_dc[c].reset(static_cast<int16_t*>(std::calloc(blocks, sizeof(int16_t))));
            if (!m_dc[c]) return int(ERROR_NOT_ENOUGH_MEMORY);
            m_bytes += blocks * sizeof(int16_t);
        }
        if (Direct()) continue;
        m_nonZero[c].reset(static_cast<uint64_t*>(std::calloc(blocks, sizeof(uint64_t))));
        if (!m_nonZero[c]) return int(ERROR_NOT_ENOUGH_MEMORY);
        m_bytes += blocks * sizeof(uint64_t);
    }
    return 0;
}

namespace {

// The one packed layout, the 1/4 scale's: the 2 x 2 corner the scaled
// transform reads.
constexpr int kPackedSide = 2;

// The corner between two row pitches, in copies of a known size (which the
// compiler makes single moves).
void CopyCorner(int16_t* to, int toPitch, const int16_t* from, int fromPitch) {
    for (int row = 0; row < kPackedSide; ++row) {
        std::memcpy(to + toPitch * row, from + fromPitch * row, kPackedSide * sizeof(int16_t));
    }
}

}  // namespace

// The kept coefficients are the top-left corner, row by row.
void JpegCoefficientStore::Expand(int component, uint32_t x, uint32_t y, int16_t* block, bool markers) const {
    const size_t index = Index(component, x, y);
    if (markers) {
        // Each row's eight bits spread over its eight coefficients.
        const uint64_t bits = m_nonZero[component][index];
        const __m128i lanes = _mm_setr_epi16(1, 2, 4, 8, 16, 32, 64, 128);
        const __m128i marker = _mm_set1_epi16(kNonZero);
        for (int row = 0; row < 8; ++row) {
            const __m128i spread = _mm_and_si128(_mm_set1_epi16(int16_t((bits >> (8 * row)) & 0xFF)), lanes);
            const __m128i set = _mm_cmpeq_epi16(spread, lanes);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * row), _mm_and_si128(set, marker));
        }
    }
    CopyCorner(block, 8, m_planes[component].get() + index * m_kept, kPackedSide);
}

void JpegCoefficientStore::Compact(int component, uint32_t x, uint32_t y, const int16_t* block) {
    const size_t index = Index(component, x, y);
    m_nonZero[component][index] = NonZeroCoefficients(block);
    CopyCorner(m_planes[component].get() + index * m_kept, kPackedSide, block, 8);
}
