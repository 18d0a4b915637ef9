#pragma once
#include <cstdint>
#include <cstring>

#include "imaging/JpegSource.h"

// The entropy-coded bytes of a scan as the bit readers see them (ITU-T T.81
// F.1.2.3, B.1.1.5): a 0xFF followed by 0x00 is one data byte 0xFF; a 0xFF
// followed by anything else is a marker, and the reader then delivers 0xFF
// bytes without moving, until the restart search steps over the marker.
// After the end of the data it delivers 0xFF bytes as well. Bytes delivered
// without moving are "virtual"; a restart search never reads them.
class JpegEntropyInput {
public:
    static constexpr int kRestartSearchBytes = 1536;

    void Attach(JpegSource* source, const uint8_t* ptr, const uint8_t* end) {
        m_source = source;
        m_ptr = ptr;
        m_end = end;
    }

    // The next data byte. A fill happens when fewer than 2 bytes remain, and
    // the look-behind byte keeps the one that remained.
    int NextDataByte(bool& isVirtual) {
        if (m_end - m_ptr < 2) Refill();
        isVirtual = true;
        if (m_ptr >= m_end) return 0xFF;
        int byte = m_ptr[0];
        if (byte == 0xFF) {
            if (m_end - m_ptr < 2 || m_ptr[1] != 0x00) return 0xFF;  // a marker
            ++m_ptr;
        }
        ++m_ptr;
        isVirtual = false;
        return byte;
    }

    // Up to `budget` bytes are read until one is 0xFF; further 0xFF bytes
    // are skipped within the budget and the byte after them (the marker
    // code) is consumed unchecked.
    void SkipToMarker(int budget);

    // Eight bytes at the read pointer when they all lie in the buffer.
    bool Peek8(uint64_t& word) const {
        if (m_end - m_ptr < 8) return false;
        std::memcpy(&word, m_ptr, 8);
        word = __builtin_bswap64(word);
        return true;
    }
    void Advance(int bytes) { m_ptr += bytes; }

    // True when the data is used up: the read pointer is at the end of the
    // data or at a marker (restart markers excepted when restarts are
    // expected, as the restart search moves past them).
    bool Parked(bool restarts) {
        if (m_end - m_ptr < 2) Refill();
        if (m_ptr >= m_end) return true;
        if (m_ptr[0] != 0xFF) return false;
        if (m_end - m_ptr < 2) return true;
        const int code = m_ptr[1];
        return code != 0 && !(restarts && code >= 0xD0 && code <= 0xD7);
    }
    const uint8_t* Ptr() const { return m_ptr; }
    const uint8_t* End() const { return m_end; }

private:
    void Refill();
    int ReadRawByte();
    int PeekRawByte();

    JpegSource* m_source = nullptr;
    const uint8_t* m_ptr = nullptr;
    const uint8_t* m_end = nullptr;
};

// The reader exactly as the decoder defines it: a 32-bit buffer filled one
// byte at a time when fewer bits are held than the next step needs. It is
// the reference the fast reader is checked against.
class JpegReferenceBitReader {
public:
    JpegEntropyInput& Input() { return m_input; }
    void Reset() {
        m_count = 0;
        m_virtualBits = 0;
    }
    // Every bit of the data consumed: nothing real is held and the input
    // is parked.
    bool OutOfData(bool restarts) {
        return m_count <= m_virtualBits && m_input.Parked(restarts);
    }

    // Top 8 held bits, refilling first.
    uint32_t Peek8() {
        while (m_count < 8) RefillByte();
        return (m_buffer >> (m_count - 8)) & 0xFF;
    }
    void Drop(int n) { m_count -= n; }
    uint32_t Read(int n) {
        while (m_count < n) RefillByte();
        m_count -= n;
        return (m_buffer >> m_count) & ((1u << n) - 1);
    }
    // One bit when `take` is 1, none (and 0) when it is 0.
    uint32_t ReadIf(uint32_t take) { return take ? Read(1) : 0; }
    void Restart() {
        m_input.SkipToMarker(JpegEntropyInput::kRestartSearchBytes);
        Reset();
    }

private:
    void RefillByte() {
        bool isVirtual;
        m_buffer = m_buffer << 8 | uint32_t(m_input.NextDataByte(isVirtual));
        // Virtual bytes come last; those already consumed no longer count.
        if (m_virtualBits > m_count) m_virtualBits = m_count;
        m_count += 8;
        if (isVirtual) m_virtualBits += 8;
    }

    JpegEntropyInput m_input;
    uint32_t m_buffer = 0;
    int m_count = 0;
    int m_virtualBits = 0;  // the held bits that came from virtual bytes
};

// The production reader: a 64-bit buffer, left-aligned, refilled eight
// bytes at a time while no 0xFF is near. It delivers the same bits as the
// reference; at a restart it works out how many bytes the reference would
// have taken in, so the marker search starts at the same byte.
class JpegFastBitReader {
public:
    JpegEntropyInput& Input() { return m_input; }
    void Reset() {
        m_bits = 0;
        m_count = 0;
        m_virtual = 0;
    }

    // Ensures at least 32 held bits.
    void Fill() {
        if (m_count >= 32) return;
        uint64_t word;
        if (m_input.Peek8(word) && !HasFF(word)) {
            // The bits below the count are the next byte's top bits; the
            // next fill puts the same bits there (no 0xFF in it).
            m_bits |= word >> m_count;
            m_input.Advance((63 - m_count) >> 3);
            m_count |= 56;
            return;
        }
        FillSlow();
    }
    bool OutOfData(bool restarts) { return m_count <= 8 * m_virtual && m_input.Parked(restarts); }
    int Count() const { return m_count; }
    uint32_t Peek(int n) const { return uint32_t(m_bits >> (64 - n)); }
    void Drop(int n) {
        m_bits <<= n;
        m_count -= n;
    }
    uint32_t Read(int n) {
        uint32_t value = Peek(n);
        Drop(n);
        return value;
    }
    // `tail` is how many bits the reference reader would hold beyond those
    // used by the last symbol: 8 minus the bits of that symbol's code and
    // magnitude, at least 0.
    void Restart(int tail);

private:
    static bool HasFF(uint64_t word) {
        uint64_t x = ~word;
        return ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) != 0;
    }
    void FillSlow();

    JpegEntropyInput m_input;
    uint64_t m_bits = 0;
    int m_count = 0;
    int m_virtual = 0;  // virtual bytes taken in since the buffer was emptied
};

// The production reader in the reference reader's shape (Peek8, Drop,
// Read of up to 16 bits), for the scans of pictures gathered over several
// scans. It counts the bits taken since the last Peek8, which is all its
// restart needs to start the marker search where the reference would.
class JpegSteppedFastReader {
public:
    JpegEntropyInput& Input() { return m_reader.Input(); }
    void Reset() {
        m_reader.Reset();
        m_sincePeek = 8;
    }
    bool OutOfData(bool restarts) { return m_reader.OutOfData(restarts); }
    uint32_t Peek8() {
        if (m_reader.Count() < 8) m_reader.Fill();
        m_sincePeek = 0;
        return m_reader.Peek(8);
    }
    // A symbol's look at up to 16 bits, which stands for the reference's
    // Peek8: the symbol's code is then dropped.
    uint32_t PeekSymbol(int n) {
        if (m_reader.Count() < 16) m_reader.Fill();
        m_sincePeek = 0;
        return m_reader.Peek(n);
    }
    void Drop(int n) {
        m_sincePeek += n;
        m_reader.Drop(n);
    }
    uint32_t Read(int n) {
        if (m_reader.Count() < n) m_reader.Fill();
        m_sincePeek += n;
        return m_reader.Read(n);
    }
    // One bit when `take` is 1, none (and 0) when it is 0, without a
    // branch on `take`.
    uint32_t ReadIf(uint32_t take) {
        if (m_reader.Count() < 1) m_reader.Fill();
        const uint32_t bit = m_reader.Peek(1) & take;
        m_reader.Drop(int(take));
        m_sincePeek += int(take);
        return bit;
    }
    void Restart() {
        m_reader.Restart(m_sincePeek >= 8 ? 0 : 8 - m_sincePeek);
        m_sincePeek = 8;
    }

private:
    JpegFastBitReader m_reader;
    int m_sincePeek = 8;
};
