#include "imaging/JpegIdct.h"

#include <emmintrin.h>
#include <smmintrin.h>

#include <cmath>

namespace {

int16_t Wrap16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

int16_t Dequantise(int16_t coef, uint16_t q) {
    return Wrap16(static_cast<int32_t>(static_cast<uint32_t>(coef) * q));
}

// x times an 8-bit fixed-point constant, arithmetic shift, kept in 16 bits.
int16_t Mul8(int16_t x, int32_t k) { return Wrap16((int32_t(x) * k) >> 8); }

// One pass of the Arai-Agui-Nakajima inverse DCT over 8 values.
void AanPass(const int16_t c[8], int16_t o[8]) {
    int16_t t10 = Wrap16(c[0] + c[4]);
    int16_t t11 = Wrap16(c[0] - c[4]);
    int16_t t13 = Wrap16(c[2] + c[6]);
    int16_t t12 = Wrap16(Mul8(Wrap16(c[2] - c[6]), 362) - t13);
    int16_t t0 = Wrap16(t10 + t13);
    int16_t t3 = Wrap16(t10 - t13);
    int16_t t1 = Wrap16(t11 + t12);
    int16_t t2 = Wrap16(t11 - t12);

    int16_t z13 = Wrap16(c[5] + c[3]);
    int16_t z10 = Wrap16(c[5] - c[3]);
    int16_t z11 = Wrap16(c[1] + c[7]);
    int16_t z12 = Wrap16(c[1] - c[7]);
    int16_t t7 = Wrap16(z11 + z13);
    int16_t z5 = Mul8(Wrap16(z10 + z12), 473);
    int16_t t6 = Wrap16(Mul8(z10, -669) + z5 - t7);
    int16_t t5 = Wrap16(Mul8(Wrap16(z11 - z13), 362) - t6);
    int16_t t4 = Wrap16(Mul8(z12, 277) - z5 + t5);

    o[0] = Wrap16(t0 + t7);
    o[7] = Wrap16(t0 - t7);
    o[1] = Wrap16(t1 + t6);
    o[6] = Wrap16(t1 - t6);
    o[2] = Wrap16(t2 + t5);
    o[5] = Wrap16(t2 - t5);
    o[4] = Wrap16(t3 + t4);
    o[3] = Wrap16(t3 - t4);
}

bool AcZero(const int16_t c[8]) { return (c[1] | c[2] | c[3] | c[4] | c[5] | c[6] | c[7]) == 0; }

// 32-bit arithmetic that wraps instead of overflowing.
int32_t Add32(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
int32_t Sub32(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
int32_t Mul32(int32_t a, int32_t k) { return int32_t(uint32_t(a) * uint32_t(k)); }

constexpr int32_t FIX_0_541196100 = 4433;
constexpr int32_t FIX_0_765366865 = 6270;
constexpr int32_t FIX_1_847759065 = 15137;

}  // namespace

void PrescaleAanQuant(uint16_t quant[64]) {
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 8; ++col) {
            auto f = [](int k) { return k == 0 ? 1.0 : std::cos(k * M_PI / 16) * std::sqrt(2.0); };
            uint32_t a = static_cast<uint32_t>(std::lround(16384 * f(row) * f(col)));
            uint16_t& q = quant[row * 8 + col];
            q = static_cast<uint16_t>((uint64_t(q) * a + 2048) >> 12);
        }
    }
}

void IdctAan8x8(const int16_t* coef, const uint16_t* quant, uint8_t* out) {
    int16_t ws[64];
    for (int col = 0; col < 8; ++col) {
        int16_t c[8], o[8];
        for (int row = 0; row < 8; ++row) c[row] = Dequantise(coef[row * 8 + col], quant[row * 8 + col]);
        if (AcZero(c)) {
            for (int row = 0; row < 8; ++row) ws[row * 8 + col] = c[0];
            continue;
        }
        AanPass(c, o);
        for (int row = 0; row < 8; ++row) ws[row * 8 + col] = o[row];
    }
    for (int row = 0; row < 8; ++row) {
        const int16_t* c = &ws[row * 8];
        uint8_t* line = out + row * 8;
        if (AcZero(c)) {
            uint8_t flat = IdctRangeLimit(c[0] >> 5);
            for (int col = 0; col < 8; ++col) line[col] = flat;
            continue;
        }
        int16_t o[8];
        AanPass(c, o);
        for (int col = 0; col < 8; ++col) line[col] = IdctRangeLimit(o[col] >> 5);
    }
}

void Idct4x4(const int16_t* coef, const uint16_t* quant, uint8_t* out) {
    int32_t ws[16];
    for (int col = 0; col < 4; ++col) {
        int32_t c[4];
        for (int row = 0; row < 4; ++row) c[row] = Dequantise(coef[row * 8 + col], quant[row * 8 + col]);
        int32_t z = Mul32(Add32(c[1], c[3]), FIX_0_541196100);
        int32_t t0 = Add32(Mul32(c[1], FIX_0_765366865), z) >> 11;
        int32_t t1 = Sub32(z, Mul32(c[3], FIX_1_847759065)) >> 11;
        int32_t even0 = Mul32(Add32(c[0], c[2]), 4);
        int32_t even1 = Mul32(Sub32(c[0], c[2]), 4);
        ws[0 * 4 + col] = Add32(even0, t0);
        ws[1 * 4 + col] = Add32(even1, t1);
        ws[2 * 4 + col] = Sub32(even1, t1);
        ws[3 * 4 + col] = Sub32(even0, t0);
    }
    for (int row = 0; row < 4; ++row) {
        const int32_t* c = &ws[row * 4];
        int32_t e0 = Mul32(Add32(c[0], c[2]), 8192);
        int32_t e1 = Mul32(Sub32(c[0], c[2]), 8192);
        int32_t z = Mul32(Add32(c[1], c[3]), FIX_0_541196100);
        int32_t o = Add32(Mul32(c[1], FIX_0_765366865), z);
        int32_t p = Sub32(z, Mul32(c[3], FIX_1_847759065));
        uint8_t* line = out + row * 4;
        line[0] = IdctRangeLimit(Add32(e0, o) >> 18);
        line[1] = IdctRangeLimit(Add32(e1, p) >> 18);
        line[2] = IdctRangeLimit(Sub32(e1, p) >> 18);
        line[3] = IdctRangeLimit(Sub32(e0, o) >> 18);
    }
}

void Idct2x2(const int16_t* coef, const uint16_t* quant, uint8_t* out) {
    int32_t a = Dequantise(coef[0], quant[0]);
    int32_t b = Dequantise(coef[1], quant[1]);
    int32_t c = Dequantise(coef[8], quant[8]);
    int32_t d = Dequantise(coef[9], quant[9]);
    out[0] = IdctRangeLimit((a + b + c + d) >> 3);
    out[1] = IdctRangeLimit((a - b + c - d) >> 3);
    out[2] = IdctRangeLimit((a + b - c - d) >> 3);
    out[3] = IdctRangeLimit((a - b - c + d) >> 3);
}

void Idct1x1(const int16_t* coef, const uint16_t* quant, uint8_t* out) {
    out[0] = IdctDcSample(coef[0], quant[0]);
}

// ---- SSE2 --------------------------------------------------------------
//
// (x k) >> 8 for the four constants, as an exact 16-bit result: k is split
// into a multiple of 256 and a remainder r, and pmulhw gives
// floor(x (r << 8) / 65536) = floor(x r / 256).

namespace {

__m128i Mul362(__m128i x) { return _mm_add_epi16(x, _mm_mulhi_epi16(x, _mm_set1_epi16(106 << 8))); }
__m128i Mul277(__m128i x) { return _mm_add_epi16(x, _mm_mulhi_epi16(x, _mm_set1_epi16(21 << 8))); }
__m128i Mul473(__m128i x) {  // 2 x 256 - 39
    return _mm_add_epi16(_mm_add_epi16(x, x), _mm_mulhi_epi16(x, _mm_set1_epi16(-39 * 256)));
}
__m128i MulNeg669(__m128i x) {  // -3 x 256 + 99
    __m128i x3 = _mm_add_epi16(_mm_add_epi16(x, x), x);
    return _mm_sub_epi16(_mm_mulhi_epi16(x, _mm_set1_epi16(99 << 8)), x3);
}

inline __attribute__((always_inline)) void AanPassSse2(__m128i c[8]) {
    __m128i t10 = _mm_add_epi16(c[0], c[4]);
    __m128i t11 = _mm_sub_epi16(c[0], c[4]);
    __m128i t13 = _mm_add_epi16(c[2], c[6]);
    __m128i t12 = _mm_sub_epi16(Mul362(_mm_sub_epi16(c[2], c[6])), t13);
    __m128i t0 = _mm_add_epi16(t10, t13);
    __m128i t3 = _mm_sub_epi16(t10, t13);
    __m128i t1 = _mm_add_epi16(t11, t12);
    __m128i t2 = _mm_sub_epi16(t11, t12);

    __m128i z13 = _mm_add_epi16(c[5], c[3]);
    __m128i z10 = _mm_sub_epi16(c[5], c[3]);
    __m128i z11 = _mm_add_epi16(c[1], c[7]);
    __m128i z12 = _mm_sub_epi16(c[1], c[7]);
    __m128i t7 = _mm_add_epi16(z11, z13);
    __m128i z5 = Mul473(_mm_add_epi16(z10, z12));
    __m128i t6 = _mm_sub_epi16(_mm_add_epi16(MulNeg669(z10), z5), t7);
    __m128i t5 = _mm_sub_epi16(Mul362(_mm_sub_epi16(z11, z13)), t6);
    __m128i t4 = _mm_add_epi16(_mm_sub_epi16(Mul277(z12), z5), t5);

    c[0] = _mm_add_epi16(t0, t7);
    c[7] = _mm_sub_epi16(t0, t7);
    c[1] = _mm_add_epi16(t1, t6);
    c[6] = _mm_sub_epi16(t1, t6);
    c[2] = _mm_add_epi16(t2, t5);
    c[5] = _mm_sub_epi16(t2, t5);
    c[4] = _mm_add_epi16(t3, t4);
    c[3] = _mm_sub_epi16(t3, t4);
}

inline __attribute__((always_inline)) void Transpose8x8(__m128i r[8]) {
    __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// Shift by 5, keep 10 bits as a signed value, add 128; packus clamps.
__m128i RangeLimitSse2(__m128i v) {
    v = _mm_srai_epi16(_mm_slli_epi16(_mm_srai_epi16(v, 5), 6), 6);
    return _mm_add_epi16(v, _mm_set1_epi16(128));
}

}  // namespace

void IdctAan8x8Sse2(const int16_t* coef, const uint16_t* quant, uint8_t* out) {
    __m128i v[8];
    for (int row = 0; row < 8; ++row) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + row * 8));
        __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + row * 8));
        v[row] = _mm_mullo_epi16(c, q);
    }
    AanPassSse2(v);  // columns: lane = column, vector = row
    Transpose8x8(v);
    AanPassSse2(v);  // rows: lane = row, vector = column
    Transpose8x8(v);
    for (int row = 0; row < 8; row += 2) {
        __m128i packed = _mm_packus_epi16(RangeLimitSse2(v[row]), RangeLimitSse2(v[row + 1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + row * 8), packed);
    }
}

namespace {

__attribute__((target("sse4.1"))) void Transpose4x4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    __m128i ab0 = _mm_unpacklo_epi32(a, b), ab1 = _mm_unpackhi_epi32(a, b);
    __m128i cd0 = _mm_unpacklo_epi32(c, d), cd1 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(ab0, cd0);
    b = _mm_unpackhi_epi64(ab0, cd0);
    c = _mm_unpacklo_epi64(ab1, cd1);
    d = _mm_unpackhi_epi64(ab1, cd1);
}

// The 4 x 4 transform with one 32-bit lane per column, then per row;
// pmulld, adds and shifts wrap exactly like the plain version.
__attribute__((target("sse4.1"))) void Idct4x4Sse41(const int16_t* coef, const uint16_t* quant,
                                                    uint8_t* out) {
    __m128i c[4];
    for (int row = 0; row < 4; ++row) {
        __m128i k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(coef + row * 8));
        __m128i q = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(quant + row * 8));
        c[row] = _mm_cvtepi16_epi32(_mm_mullo_epi16(k, q));
    }
    const __m128i k4433 = _mm_set1_epi32(FIX_0_541196100);
    const __m128i k6270 = _mm_set1_epi32(FIX_0_765366865);
    const __m128i k15137 = _mm_set1_epi32(FIX_1_847759065);
    __m128i z = _mm_mullo_epi32(_mm_add_epi32(c[1], c[3]), k4433);
    __m128i t0 = _mm_srai_epi32(_mm_add_epi32(_mm_mullo_epi32(c[1], k6270), z), 11);
    __m128i t1 = _mm_srai_epi32(_mm_sub_epi32(z, _mm_mullo_epi32(c[3], k15137)), 11);
    __m128i even0 = _mm_slli_epi32(_mm_add_epi32(c[0], c[2]), 2);
    __m128i even1 = _mm_slli_epi32(_mm_sub_epi32(c[0], c[2]), 2);
    __m128i w0 = _mm_add_epi32(even0, t0), w1 = _mm_add_epi32(even1, t1);
    __m128i w2 = _mm_sub_epi32(even1, t1), w3 = _mm_sub_epi32(even0, t0);
    Transpose4x4(w0, w1, w2, w3);  // now one vector per column, a lane per row
    __m128i e0 = _mm_slli_epi32(_mm_add_epi32(w0, w2), 13);
    __m128i e1 = _mm_slli_epi32(_mm_sub_epi32(w0, w2), 13);
    z = _mm_mullo_epi32(_mm_add_epi32(w1, w3), k4433);
    __m128i o = _mm_add_epi32(_mm_mullo_epi32(w1, k6270), z);
    __m128i p = _mm_sub_epi32(z, _mm_mullo_epi32(w3, k15137));
    __m128i s[4] = {_mm_add_epi32(e0, o), _mm_add_epi32(e1, p), _mm_sub_epi32(e1, p), _mm_sub_epi32(e0, o)};
    for (__m128i& v : s) {
        v = _mm_srai_epi32(_mm_slli_epi32(_mm_srai_epi32(v, 18), 22), 22);
        v = _mm_add_epi32(v, _mm_set1_epi32(128));
    }
    Transpose4x4(s[0], s[1], s[2], s[3]);  // back to a vector per row
    __m128i packed = _mm_packus_epi16(_mm_packs_epi32(s[0], s[1]), _mm_packs_epi32(s[2], s[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), packed);
}

}  // namespace

void Idct4x4Fast(const int16_t* coef, const uint16_t* quant, uint8_t* out) {
    static const bool sse41 = __builtin_cpu_supports("sse4.1");
    if (sse41) {
        Idct4x4Sse41(coef, quant, out);
    } else {
        Idct4x4(coef, quant, out);
    }
}
