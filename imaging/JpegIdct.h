#pragma once
#include <cstdint>

// Dequantisation and the inverse transforms of the four scales. Each takes
// one block's 64 coefficients in natural order and its quantisation table,
// and writes the block's samples row by row (8, 4, 2 or 1 per row).
//
// The dequantised coefficient is kept as a signed 16-bit value. The 8 x 8
// transform keeps every intermediate in 16 bits, the 4 x 4 one in 32 bits
// (both wrap on overflow, which only damaged data reaches). Each output
// value is taken modulo 1024 as a 10-bit two's-complement number and 128 is
// added, clamped to 0..255.

// Replaces every entry by (q x a + 2048) >> 12, with a the AAN scale factor
// of its position, for the 8 x 8 transform.
void PrescaleAanQuant(uint16_t quant[64]);

// The plain transforms, written straight from the rules.
void IdctAan8x8(const int16_t* coef, const uint16_t* quant, uint8_t* out);
void Idct4x4(const int16_t* coef, const uint16_t* quant, uint8_t* out);
void Idct2x2(const int16_t* coef, const uint16_t* quant, uint8_t* out);
void Idct1x1(const int16_t* coef, const uint16_t* quant, uint8_t* out);

// The same 8 x 8 and 4 x 4 transforms on SSE2 vectors; bit-identical.
void IdctAan8x8Sse2(const int16_t* coef, const uint16_t* quant, uint8_t* out);
void Idct4x4Fast(const int16_t* coef, const uint16_t* quant, uint8_t* out);

// The IDCT range limit of one value (already shifted).
inline uint8_t IdctRangeLimit(int32_t v) {
    int32_t t = (((v & 1023) ^ 512) - 512) + 128;
    return static_cast<uint8_t>(t < 0 ? 0 : t > 255 ? 255 : t);
}

// The one sample of a block at 1/8: its DC value, dequantised in 16 bits.
inline uint8_t IdctDcSample(int16_t dc, uint16_t q0) {
    return IdctRangeLimit(int16_t(uint16_t(uint32_t(uint16_t(dc)) * q0)) >> 3);
}
