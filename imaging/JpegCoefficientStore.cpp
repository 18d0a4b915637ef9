#include "imaging/JpegCoefficientStore.h"

#include <cstring>

#include "platform/base/WinError.h"

int JpegCoefficientStore::Allocate(const JpegFrame& frame, uint16_t mcusPerRow, uint16_t mcuRows,
                                   int scaleShift) {
    static const int kKept[4] = {64, 16, 4, 1};
    m_kept = kKept[scaleShift & 3];
    const int side = 8 >> scaleShift;
    for (int i = 0; i < m_kept && !Direct(); ++i) m_positions[i] = uint8_t((i / side) * 8 + i % side);
    m_bytes = 0;
    for (int c = 0; c < frame.componentCount; ++c) {
        m_wide[c] = uint32_t(mcusPerRow) * JpegComponentH(frame, c);
        const size_t blocks = size_t(m_wide[c]) * mcuRows * JpegComponentV(frame, c);
        m_planes[c].reset(static_cast<int16_t*>(std::calloc(blocks * m_kept, sizeof(int16_t))));
        if (!m_planes[c]) return int(ERROR_NOT_ENOUGH_MEMORY);
        m_bytes += blocks * m_kept * sizeof(int16_t);
        if (Direct()) continue;
        m_nonZero[c].reset(static_cast<uint64_t*>(std::calloc(blocks, sizeof(uint64_t))));
        if (!m_nonZero[c]) return int(ERROR_NOT_ENOUGH_MEMORY);
        m_bytes += blocks * sizeof(uint64_t);
    }
    return 0;
}

void JpegCoefficientStore::Expand(int component, uint32_t x, uint32_t y, int16_t* block, bool markers) const {
    const size_t index = Index(component, x, y);
    if (markers) {
        std::memset(block, 0, 64 * sizeof(int16_t));
        for (uint64_t bits = m_nonZero[component][index]; bits; bits &= bits - 1)
            block[__builtin_ctzll(bits)] = kNonZero;
    }
    const int16_t* kept = m_planes[component].get() + index * m_kept;
    for (int i = 0; i < m_kept; ++i) block[m_positions[i]] = kept[i];
}

void JpegCoefficientStore::Compact(int component, uint32_t x, uint32_t y, const int16_t* block) {
    const size_t index = Index(component, x, y);
    uint64_t bits = 0;
    for (int n = 0; n < 64; ++n) bits |= uint64_t(block[n] != 0) << n;
    m_nonZero[component][index] = bits;
    int16_t* kept = m_planes[component].get() + index * m_kept;
    for (int i = 0; i < m_kept; ++i) kept[i] = block[m_positions[i]];
}
