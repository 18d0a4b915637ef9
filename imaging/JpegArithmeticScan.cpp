#include "imaging/JpegArithmeticScan.h"

#include <cstring>

#include "imaging/JpegBitReader.h"

namespace {

// T.81 table D.2: Qe, next state after an LPS and after an MPS, and whether
// an LPS switches the MPS sense. State 113 is the fixed 0.5 estimate of
// T.851 table 5.
struct QeState {
    uint16_t qe;
    uint8_t nextLps, nextMps, switchMps;
};
constexpr QeState kStates[114] = {
    {0x5a1d, 1, 1, 1},     {0x2586, 14, 2, 0},    {0x1114, 16, 3, 0},    {0x080b, 18, 4, 0},
    {0x03d8, 20, 5, 0},    {0x01da, 23, 6, 0},    {0x00e5, 25, 7, 0},    {0x006f, 28, 8, 0},
    {0x0036, 30, 9, 0},    {0x001a, 33, 10, 0},   {0x000d, 35, 11, 0},   {0x0006, 9, 12, 0},
    {0x0003, 10, 13, 0},   {0x0001, 12, 13, 0},   {0x5a7f, 15, 15, 1},   {0x3f25, 36, 16, 0},
    {0x2cf2, 38, 17, 0},   {0x207c, 39, 18, 0},   {0x17b9, 40, 19, 0},   {0x1182, 42, 20, 0},
    {0x0cef, 43, 21, 0},   {0x09a1, 45, 22, 0},   {0x072f, 46, 23, 0},   {0x055c, 48, 24, 0},
    {0x0406, 49, 25, 0},   {0x0303, 51, 26, 0},   {0x0240, 52, 27, 0},   {0x01b1, 54, 28, 0},
    {0x0144, 56, 29, 0},   {0x00f5, 57, 30, 0},   {0x00b7, 59, 31, 0},   {0x008a, 60, 32, 0},
    {0x0068, 62, 33, 0},   {0x004e, 63, 34, 0},   {0x003b, 32, 35, 0},   {0x002c, 33, 9, 0},
    {0x5ae1, 37, 37, 1},   {0x484c, 64, 38, 0},   {0x3a0d, 65, 39, 0},   {0x2ef1, 67, 40, 0},
    {0x261f, 68, 41, 0},   {0x1f33, 69, 42, 0},   {0x19a8, 70, 43, 0},   {0x1518, 72, 44, 0},
    {0x1177, 73, 45, 0},   {0x0e74, 74, 46, 0},   {0x0bfb, 75, 47, 0},   {0x09f8, 77, 48, 0},
    {0x0861, 78, 49, 0},   {0x0706, 79, 50, 0},   {0x05cd, 48, 51, 0},   {0x04de, 50, 52, 0},
    {0x040f, 50, 53, 0},   {0x0363, 51, 54, 0},   {0x02d4, 52, 55, 0},   {0x025c, 53, 56, 0},
    {0x01f8, 54, 57, 0},   {0x01a4, 55, 58, 0},   {0x0160, 56, 59, 0},   {0x0125, 57, 60, 0},
    {0x00f6, 58, 61, 0},   {0x00cb, 59, 62, 0},   {0x00ab, 61, 63, 0},   {0x008f, 61, 32, 0},
    {0x5b12, 65, 65, 1},   {0x4d04, 80, 66, 0},   {0x412c, 81, 67, 0},   {0x37d8, 82, 68, 0},
    {0x2fe8, 83, 69, 0},   {0x293c, 84, 70, 0},   {0x2379, 86, 71, 0},   {0x1edf, 87, 72, 0},
    {0x1aa9, 87, 73, 0},   {0x174e, 72, 74, 0},   {0x1424, 72, 75, 0},   {0x119c, 74, 76, 0},
    {0x0f6b, 74, 77, 0},   {0x0d51, 75, 78, 0},   {0x0bb6, 77, 79, 0},   {0x0a40, 77, 48, 0},
    {0x5832, 80, 81, 1},   {0x4d1c, 88, 82, 0},   {0x438e, 89, 83, 0},   {0x3bdd, 90, 84, 0},
    {0x34ee, 91, 85, 0},   {0x2eae, 92, 86, 0},   {0x299a, 93, 87, 0},   {0x2516, 86, 71, 0},
    {0x5570, 88, 89, 1},   {0x4ca9, 95, 90, 0},   {0x44d9, 96, 91, 0},   {0x3e22, 97, 92, 0},
    {0x3824, 99, 93, 0},   {0x32b4, 99, 94, 0},   {0x2e17, 93, 86, 0},   {0x56a8, 95, 96, 1},
    {0x4f46, 101, 97, 0},  {0x47e5, 102, 98, 0},  {0x41cf, 103, 99, 0},  {0x3c3d, 104, 100, 0},
    {0x375e, 99, 93, 0},   {0x5231, 105, 102, 0}, {0x4c0f, 106, 103, 0}, {0x4639, 107, 104, 0},
    {0x415e, 103, 99, 0},  {0x5627, 105, 106, 1}, {0x50e7, 108, 107, 0}, {0x4b85, 109, 103, 0},
    {0x5597, 110, 109, 0}, {0x504f, 111, 107, 0}, {0x5a10, 110, 111, 1}, {0x5522, 112, 109, 0},
    {0x59eb, 112, 111, 1}, {0x5a1d, 113, 113, 0},
};

// The same table packed into one word per state: Qe << 16, then the next
// state after an LPS with the MPS switch in its top bit, then the next
// state after an MPS.
struct PackedStates {
    uint32_t word[114];
    constexpr PackedStates() : word() {
        for (int i = 0; i < 114; ++i) {
            word[i] = uint32_t(kStates[i].qe) << 16 | uint32_t(kStates[i].nextLps | kStates[i].switchMps << 7) << 8 |
                      kStates[i].nextMps;
        }
    }
};
constexpr PackedStates kPackedStates;
constexpr const uint32_t* kPacked = kPackedStates.word;

int16_t Wrap16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// Statistics bins of a DC table (T.81 table F.4) and of an AC table
// (table F.5).
constexpr int kDcMagnitudeBins = 20;   // X1
constexpr int kAcLowBins = 189;        // X2 for k <= Kx
constexpr int kAcHighBins = 217;       // X2 for k > Kx

}  // namespace

JpegArithmeticScan::JpegArithmeticScan(JpegSource* source, const uint8_t* ptr, const uint8_t* end,
                                       const JpegScan& scan, const JpegArithConditioning& conditioning,
                                       const uint8_t* zigZag, bool progressive)
    : m_source(source), m_ptr(ptr), m_end(end), m_scan(scan), m_conditioning(conditioning), m_zigZag(zigZag),
      m_progressive(progressive) {}

// The next byte of the file; -1 at its end.
int JpegArithmeticScan::RawByte() {
    if (m_ptr >= m_end) {
        if (m_source->AtEnd()) return -1;
        m_ptr = m_source->Fill();
        m_end = m_source->End();
        if (m_ptr >= m_end) return -1;
    }
    return *m_ptr++;
}

// The next data byte (T.81 D.2.6): 0xFF 0x00 is 0xFF; at a marker, or at
// the end, zeros from then on. The pointer is put back onto the marker's
// last 0xFF (held in the look-behind byte when a chunk began between), so
// that the search for the next marker finds it.
__attribute__((noinline)) int JpegArithmeticScan::NextByte() {
    if (m_marker) return 0;
    int byte = RawByte();
    if (byte < 0) {
        m_marker = true;
        return 0;
    }
    if (byte != 0xFF) return byte;
    do byte = RawByte();
    while (byte == 0xFF);
    if (byte == 0) return 0xFF;
    m_marker = true;
    if (byte > 0) m_ptr -= 2;
    return 0;
}

// Decodes one binary decision with the statistics bin `bin` (T.81 D.2.4,
// D.2.5, with the renormalisation and byte input of D.2.6 folded into C).
// The renormalisation shifts A in one step by its leading zeros, taking in
// the bytes those shifts would have taken; the start-up (two bytes in
// before the first decision) goes bit by bit.
__attribute__((always_inline)) inline int JpegArithmeticScan::Decode(uint8_t* bin) {
    if (m_a < 0x8000) {
        if (m_ct >= 0 && m_a > 0) {
            const int shift = __builtin_clz(uint32_t(m_a)) - 16;
            while (m_ct < shift) {
                m_c = int32_t(uint32_t(m_c) << 8 | uint32_t(NextByte()));
                m_ct += 8;
            }
            m_ct -= shift;
            m_a <<= shift;
        } else {
            StartUp();
        }
    }
    int sv = *bin;
    const uint32_t state = kPacked[sv & 0x7F];
    const int32_t qe = int32_t(state >> 16);
    int32_t temp = m_a - qe;
    m_a = temp;
    temp = int32_t(uint32_t(temp) << m_ct);
    const int mps = int(state & 0xFF), lps = int((state >> 8) & 0xFF);
    if (m_c >= temp) {
        m_c -= temp;
        if (m_a < qe) {
            m_a = qe;
            *bin = uint8_t((sv & 0x80) ^ mps);
        } else {
            m_a = qe;
            *bin = uint8_t((sv & 0x80) ^ lps);
            sv ^= 0x80;
        }
    } else if (m_a < 0x8000) {
        if (m_a < qe) {
            *bin = uint8_t((sv & 0x80) ^ lps);
            sv ^= 0x80;
        } else {
            *bin = uint8_t((sv & 0x80) ^ mps);
        }
    }
    return sv >> 7;
}

void JpegArithmeticScan::StartUp() {
    while (m_a < 0x8000) {
        if (--m_ct < 0) {
            m_c = int32_t(uint32_t(m_c) << 8 | uint32_t(NextByte()));
            if ((m_ct += 8) < 0 && ++m_ct == 0) m_a = 0x8000;  // the two first bytes are in
        }
        m_a <<= 1;
    }
}

void JpegArithmeticScan::ResetDecoder() {
    m_c = 0;
    m_a = 0;
    m_ct = -16;
}

void JpegArithmeticScan::Restart() {
    // The marker is where the data stopped, or further on.
    if (!m_marker) {
        JpegEntropyInput input;
        input.Attach(m_source, m_ptr, m_end);
        input.SkipToMarker(JpegEntropyInput::kRestartSearchBytes);
        m_ptr = input.Ptr();
        m_end = input.End();
    } else if (m_ptr + 1 < m_end && m_ptr[0] == 0xFF && m_ptr[1] >= 0xD0 && m_ptr[1] <= 0xD7) {
        m_ptr += 2;
    }
    m_marker = false;
    for (int i = 0; i < m_scan.componentCount; ++i) {
        const JpegScanComponent& c = m_scan.components[i];
        if (!m_progressive || (m_scan.ss == 0 && m_scan.ah == 0)) {
            std::memset(m_dcStats[c.dcSlot & 3], 0, sizeof m_dcStats[0]);
            m_pred[i] = 0;
            m_dcContext[i] = 0;
        }
        if (!m_progressive || m_scan.ss != 0) std::memset(m_acStats[c.acSlot & 3], 0, sizeof m_acStats[0]);
    }
    ResetDecoder();
}

void JpegArithmeticScan::DecodeBlock(int sc, int16_t* block, int perBlock) {
    if (m_ct == -1) return;  // a damaged code stopped the scan
    if (!m_progressive) {
        if (perBlock == 64) return Sequential(sc, block);
        int16_t full[64] = {};
        Sequential(sc, full);
        block[0] = full[0];
        return;
    }
    if (m_scan.ss == 0) {
        if (m_scan.ah == 0) return DcFirst(sc, block);
        if (Decode(&m_fixedBin)) block[0] = Wrap16(block[0] | (1 << m_scan.al));
        return;
    }
    if (m_scan.ah == 0) return AcFirst(sc, block);
    AcRefine(sc, block);
}

// F.2.4.1: the DC difference, its context from the previous one.
int JpegArithmeticScan::DecodeDifference(int sc, int table) {
    uint8_t* stats = m_dcStats[table];
    uint8_t* st = stats + m_dcContext[sc];
    if (Decode(st) == 0) {
        m_dcContext[sc] = 0;
        return 0;
    }
    const int sign = Decode(st + 1);
    st += 2 + sign;
    int m = Decode(st);
    if (m != 0) {
        st = stats + kDcMagnitudeBins;
        while (Decode(st)) {
            if ((m <<= 1) == 0x8000) {
                m_ct = -1;
                return 0;
            }
            ++st;
        }
    }
    if (m < ((1 << m_conditioning.dcLower[table]) >> 1)) {
        m_dcContext[sc] = 0;
    } else if (m > ((1 << m_conditioning.dcUpper[table]) >> 1)) {
        m_dcContext[sc] = 12 + sign * 4;
    } else {
        m_dcContext[sc] = 4 + sign * 4;
    }
    int v = m;
    st += 14;
    while (m >>= 1) {
        if (Decode(st)) v |= m;
    }
    v += 1;
    return sign ? -v : v;
}

// F.2.4.2: the magnitude category and bits of an AC value, after its sign
// was decoded; `st` points at the value's bins.
int JpegArithmeticScan::DecodeMagnitude(uint8_t* st, int table, int k, bool& overflow) {
    int m = Decode(st);
    if (m != 0 && Decode(st)) {
        m <<= 1;
        st = m_acStats[table] + (k <= m_conditioning.acKx[table] ? kAcLowBins : kAcHighBins);
        while (Decode(st)) {
            if ((m <<= 1) == 0x8000) {
                overflow = true;
                return 0;
            }
            ++st;
        }
    }
    int v = m;
    st += 14;
    while (m >>= 1) {
        if (Decode(st)) v |= m;
    }
    return v + 1;
}

void JpegArithmeticScan::Sequential(int sc, int16_t* block) {
    const JpegScanComponent& c = m_scan.components[sc];
    const int diff = DecodeDifference(sc, c.dcSlot & 3);
    if (m_ct == -1) return;
    m_pred[sc] = Wrap16(m_pred[sc] + diff);
    block[0] = m_pred[sc];
    const int table = c.acSlot & 3;
    for (int k = 1; k <= 63; ++k) {
        uint8_t* st = m_acStats[table] + 3 * (k - 1);
        if (Decode(st)) break;  // end of block
        while (Decode(st + 1) == 0) {
            st += 3;
            if (++k > 63) {
                m_ct = -1;
                return;
            }
        }
        const int sign = Decode(&m_fixedBin);
        bool overflow = false;
        const int v = DecodeMagnitude(st + 2, table, k, overflow);
        if (overflow) {
            m_ct = -1;
            return;
        }
        block[m_zigZag[k]] = Wrap16(sign ? -v : v);
    }
}

void JpegArithmeticScan::DcFirst(int sc, int16_t* block) {
    const int diff = DecodeDifference(sc, m_scan.components[sc].dcSlot & 3);
    if (m_ct == -1) return;
    m_pred[sc] = Wrap16(m_pred[sc] + diff);
    block[0] = Wrap16(int32_t(uint32_t(uint16_t(m_pred[sc])) << m_scan.al));
}

void JpegArithmeticScan::AcFirst(int sc, int16_t* block) {
    const int table = m_scan.components[sc].acSlot & 3;
    for (int k = m_scan.ss; k <= m_scan.se; ++k) {
        uint8_t* st = m_acStats[table] + 3 * (k - 1);
        if (Decode(st)) break;
        while (Decode(st + 1) == 0) {
            st += 3;
            if (++k > m_scan.se) {
                m_ct = -1;
                return;
            }
        }
        const int sign = Decode(&m_fixedBin);
        bool overflow = false;
        const int v = DecodeMagnitude(st + 2, table, k, overflow);
        if (overflow) {
            m_ct = -1;
            return;
        }
        block[At(k)] = Wrap16(int32_t(uint32_t(sign ? -v : v) << m_scan.al));
    }
}

// G.2: coefficients already non-zero take a correction bit; beyond the
// last of them (EOBx) an end-of-band decision comes first.
void JpegArithmeticScan::AcRefine(int sc, int16_t* block) {
    const int table = m_scan.components[sc].acSlot & 3;
    const int16_t p1 = int16_t(1 << m_scan.al);
    const int16_t m1 = Wrap16(-(1 << m_scan.al));
    int kex = m_scan.se;
    while (kex > 0 && block[At(kex)] == 0) --kex;
    for (int k = m_scan.ss; k <= m_scan.se; ++k) {
        uint8_t* st = m_acStats[table] + 3 * (k - 1);
        if (k > kex && Decode(st)) break;
        for (;;) {
            int16_t& coef = block[At(k)];
            if (coef != 0) {
                if (Decode(st + 2)) coef = Wrap16(coef + (coef < 0 ? m1 : p1));
                break;
            }
            if (Decode(st + 1)) {
                coef = Decode(&m_fixedBin) ? m1 : p1;
                break;
            }
            st += 3;
            if (++k > m_scan.se) {
                m_ct = -1;
                return;
            }
        }
    }
}
