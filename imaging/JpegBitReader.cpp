#include "imaging/JpegBitReader.h"

#include <algorithm>

void JpegEntropyInput::Refill() {
    if (m_source->AtEnd()) return;
    const uint8_t* start = m_source->Fill();
    m_ptr = start - (m_end - m_ptr);  // the look-behind byte holds one that remained
    m_end = m_source->End();
}

int JpegEntropyInput::ReadRawByte() {
    int byte = PeekRawByte();
    if (byte >= 0) ++m_ptr;
    return byte;
}

int JpegEntropyInput::PeekRawByte() {
    if (m_ptr >= m_end) {
        if (m_source->AtEnd()) return -1;
        m_ptr = m_source->Fill();
        m_end = m_source->End();
        if (m_ptr >= m_end) return -1;
    }
    return *m_ptr;
}

void JpegEntropyInput::SkipToMarker(int budget) {
    bool found = false;
    while (budget > 0 && !found) {
        int byte = ReadRawByte();
        if (byte < 0) return;
        --budget;
        found = byte == 0xFF;
    }
    if (!found) return;
    while (budget > 0 && PeekRawByte() == 0xFF) {
        ReadRawByte();
        --budget;
    }
    ReadRawByte();
}

void JpegFastBitReader::FillSlow() {
    while (m_count <= 56) {
        bool isVirtual;
        int byte = m_input.NextDataByte(isVirtual);
        m_bits |= uint64_t(byte) << (56 - m_count);
        m_count += 8;
        if (isVirtual && m_virtual < 16) ++m_virtual;
    }
}

// The reference reader takes in a byte only when it holds fewer bits than
// the step needs (8 for a symbol, n for n magnitude bits), so after the
// last symbol it holds the fewest bits at or above `tail` that leave the
// same position within the last byte. The whole bytes this reader holds
// beyond that are where the reference's marker search would begin.
void JpegFastBitReader::Restart(int tail) {
    int used = (-m_count) & 7;
    int held = std::min(((used + tail + 7) & ~7) - used, m_count);
    int surplus = (m_count - held) >> 3;
    int real = surplus - std::min(m_virtual, surplus);
    int budget = JpegEntropyInput::kRestartSearchBytes;
    for (int i = 0; i < real; ++i, --budget) {
        if (((m_bits >> (56 - held - 8 * i)) & 0xFF) != 0xFF) continue;
        // A stuffed 0xFF: the reference takes its 0x00 as the marker code,
        // and the bytes after it are the next interval's first bytes.
        int keep = surplus - i - 1;
        int shift = held + 8 * (i + 1);
        m_bits = shift >= 64 ? 0 : m_bits << shift;
        m_bits &= keep ? ~0ull << (64 - 8 * keep) : 0;
        m_count = 8 * keep;
        m_virtual = std::min(m_virtual, keep);
        return;
    }
    m_input.SkipToMarker(budget);
    Reset();
}
