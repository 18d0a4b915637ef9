#include "imaging/JpegColour.h"

#include <emmintrin.h>

#include <cstring>

#include "imaging/JpegDecoder.h"

void JpegColourTables::Build() {
    for (int x = 0; x < 256; ++x) {
        int32_t c = 2 * (x - 128);
        crToRed[x] = static_cast<int16_t>((c * 45941 + 32768) >> 16);
        cbToBlue[x] = static_cast<int16_t>((c * 58065 + 32768) >> 16);
        crToGreen[x] = c * -23401;
        cbToGreen[x] = 32768 - c * 11277;
    }
    for (int i = 0; i < 768; ++i) {
        int v = i - 256;
        clamp[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

namespace {

// Luma block and chroma position of each pixel, per colour mode.
struct ModeShape {
    int lumaH, lumaV;
};
constexpr ModeShape kShapes[5] = {{1, 1}, {1, 1}, {1, 2}, {2, 1}, {2, 2}};

uint32_t* RowAt(uint32_t* dest, size_t stride, int y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dest) + stride * y);
}

}  // namespace

namespace {

// The pixel of the four samples of one place in a colour space other than
// greyscale.
inline uint32_t PixelOf(const JpegColourTables& t, int space, int c0, int c1, int c2, int c3) {
    switch (space) {
        case JPEG_SPACE_RGB: return uint32_t(c0) << 16 | uint32_t(c1) << 8 | uint32_t(c2);
        case JPEG_SPACE_CMYK:
            return CmykChannel(c0, c3) << 16 | CmykChannel(c1, c3) << 8 | CmykChannel(c2, c3);
        case JPEG_SPACE_YCCK: {
            const uint32_t rgb = t.Pixel(c0, c1, c2);
            return CmykChannel(255 - int(rgb >> 16), c3) << 16 | CmykChannel(255 - int((rgb >> 8) & 0xFF), c3) << 8 |
                   CmykChannel(255 - int(rgb & 0xFF), c3);
        }
        default: return t.Pixel(c0, c1, c2);
    }
}

}  // namespace

void ConvertMcuReference(const JpegColourTables& tables, int colourMode, int colourSpace, int blockSize,
                         const uint8_t* samples, uint32_t* dest, size_t stride) {
    const ModeShape shape = kShapes[colourMode];
    const int blockSamples = blockSize * blockSize;
    const int lumaBlocks = shape.lumaH * shape.lumaV;
    const uint8_t* cbBlock = samples + lumaBlocks * blockSamples;
    const uint8_t* crBlock = cbBlock + blockSamples;
    const uint8_t* kBlocks = crBlock + blockSamples;
    for (int y = 0; y < blockSize * shape.lumaV; ++y) {
        uint32_t* row = RowAt(dest, stride, y);
        for (int x = 0; x < blockSize * shape.lumaH; ++x) {
            int block = (y / blockSize) * shape.lumaH + x / blockSize;
            int at = block * blockSamples + (y % blockSize) * blockSize + x % blockSize;
            int luma = samples[at];
            if (colourMode == 0) {
                row[x] = uint32_t(luma) * 0x010101u;
                continue;
            }
            int chroma = (y / shape.lumaV) * blockSize + x / shape.lumaH;
            row[x] = PixelOf(tables, colourSpace, luma, cbBlock[chroma], crBlock[chroma], kBlocks[at]);
        }
    }
}

namespace {

// ---- reduced scales: one chroma pair at a time --------------------------

template <int H, int V, int BS>
void ConvertScalar(const JpegColourTables& t, const uint8_t* samples, uint32_t* dest, size_t stride) {
    constexpr int kBlock = BS * BS;
    const uint8_t* cb = samples + H * V * kBlock;
    const uint8_t* cr = cb + kBlock;
    for (int cy = 0; cy < BS; ++cy) {
        for (int cx = 0; cx < BS; ++cx) {
            int cbv = cb[cy * BS + cx], crv = cr[cy * BS + cx];
            int red = t.crToRed[crv], blue = t.cbToBlue[cbv];
            int green = (t.cbToGreen[cbv] + t.crToGreen[crv]) >> 16;
            for (int dy = 0; dy < V; ++dy) {
                int y = cy * V + dy;
                uint32_t* row = RowAt(dest, stride, y);
                for (int dx = 0; dx < H; ++dx) {
                    int x = cx * H + dx;
                    int luma = samples[((y / BS) * H + x / BS) * kBlock + (y % BS) * BS + x % BS];
                    row[x] = uint32_t(t.Clamp(luma + red)) << 16 | uint32_t(t.Clamp(luma + green)) << 8 |
                             t.Clamp(luma + blue);
                }
            }
        }
    }
}

template <int BS>
void ConvertGreyScalar(const JpegColourTables&, const uint8_t* samples, uint32_t* dest, size_t stride) {
    for (int y = 0; y < BS; ++y) {
        uint32_t* row = RowAt(dest, stride, y);
        for (int x = 0; x < BS; ++x) row[x] = uint32_t(samples[y * BS + x]) * 0x010101u;
    }
}

// ---- full scale: eight pixels per vector --------------------------------

// Eight pixels from eight luma samples and their (already spread) offsets.
inline void Emit8(const uint8_t* luma, __m128i red, __m128i green, __m128i blue, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i y = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma)), zero);
    __m128i r = _mm_packus_epi16(_mm_add_epi16(y, red), zero);
    __m128i g = _mm_packus_epi16(_mm_add_epi16(y, green), zero);
    __m128i b = _mm_packus_epi16(_mm_add_epi16(y, blue), zero);
    __m128i bg = _mm_unpacklo_epi8(b, g);
    __m128i r0 = _mm_unpacklo_epi8(r, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, r0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(bg, r0));
}

// The table entries of eight chroma pairs, computed: each factor k is
// split as 2 x a + 1 so that pmaddwd on (2c, c) pairs gives c x k exactly.
struct ChromaOffsets {
    __m128i red, green, blue;
};

inline ChromaOffsets OffsetsOf8(const uint8_t* cb, const uint8_t* cr) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(256);
    __m128i cbc = _mm_sub_epi16(
        _mm_slli_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb)), zero), 1),
        bias);
    __m128i crc = _mm_sub_epi16(
        _mm_slli_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr)), zero), 1),
        bias);
    const __m128i half = _mm_set1_epi32(32768);
    auto scaled = [&](__m128i c, int16_t a) {  // (c x (2a + 1) + 32768) >> 16
        __m128i c2 = _mm_add_epi16(c, c);
        __m128i k = _mm_set1_epi32(int32_t(uint32_t(uint16_t(a)) | 1u << 16));
        __m128i lo = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(c2, c), k), half), 16);
        __m128i hi = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(c2, c), k), half), 16);
        return _mm_packs_epi32(lo, hi);
    };
    ChromaOffsets o;
    o.red = scaled(crc, 22970);   // 45941
    o.blue = scaled(cbc, 29032);  // 58065
    const __m128i kGreen =
        _mm_set1_epi32(int32_t(uint32_t(uint16_t(-11277)) | uint32_t(uint16_t(-23401)) << 16));
    __m128i lo =
        _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cbc, crc), kGreen), half), 16);
    __m128i hi =
        _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cbc, crc), kGreen), half), 16);
    o.green = _mm_packs_epi32(lo, hi);
    return o;
}

template <int H, int V>
void ConvertFull(const JpegColourTables&, const uint8_t* samples, uint32_t* dest, size_t stride) {
    const uint8_t* cb = samples + H * V * 64;
    const uint8_t* cr = cb + 64;
    for (int cy = 0; cy < 8; ++cy) {
        ChromaOffsets o = OffsetsOf8(cb + cy * 8, cr + cy * 8);
        for (int dy = 0; dy < V; ++dy) {
            int y = cy * V + dy;
            uint32_t* row = RowAt(dest, stride, y);
            const uint8_t* luma = samples + (y / 8) * H * 64 + (y % 8) * 8;
            if (H == 1) {
                Emit8(luma, o.red, o.green, o.blue, row);
            } else {
                Emit8(luma, _mm_unpacklo_epi16(o.red, o.red), _mm_unpacklo_epi16(o.green, o.green),
                      _mm_unpacklo_epi16(o.blue, o.blue), row);
                Emit8(luma + 64, _mm_unpackhi_epi16(o.red, o.red), _mm_unpackhi_epi16(o.green, o.green),
                      _mm_unpackhi_epi16(o.blue, o.blue), row + 8);
            }
        }
    }
}

void ConvertGreyFull(const JpegColourTables&, const uint8_t* samples, uint32_t* dest, size_t stride) {
    const __m128i zero = _mm_setzero_si128();
    for (int y = 0; y < 8; ++y) {
        __m128i l = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + y * 8));
        __m128i ll = _mm_unpacklo_epi8(l, l);     // Y Y
        __m128i l0 = _mm_unpacklo_epi8(l, zero);  // Y 0
        uint32_t* row = RowAt(dest, stride, y);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm_unpacklo_epi16(ll, l0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 4), _mm_unpackhi_epi16(ll, l0));
    }
}

// Four pixels from four luma samples and their offsets (low four lanes).
inline void Emit4(const uint8_t* luma, __m128i red, __m128i green, __m128i blue, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    int32_t word;
    std::memcpy(&word, luma, 4);
    __m128i y = _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero);
    __m128i r = _mm_packus_epi16(_mm_add_epi16(y, red), zero);
    __m128i g = _mm_packus_epi16(_mm_add_epi16(y, green), zero);
    __m128i b = _mm_packus_epi16(_mm_add_epi16(y, blue), zero);
    __m128i bg = _mm_unpacklo_epi8(b, g);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, _mm_unpacklo_epi8(r, zero)));
}

// Half scale: 4 x 4 samples per block.
template <int H, int V>
void ConvertHalf(const JpegColourTables& t, const uint8_t* samples, uint32_t* dest, size_t stride) {
    const uint8_t* cb = samples + H * V * 16;
    const uint8_t* cr = cb + 16;
    alignas(16) int16_t red[8] = {}, green[8] = {}, blue[8] = {};
    for (int cy = 0; cy < 4; ++cy) {
        for (int cx = 0; cx < 4; ++cx) {
            int cbv = cb[cy * 4 + cx], crv = cr[cy * 4 + cx];
            red[cx] = t.crToRed[crv];
            blue[cx] = t.cbToBlue[cbv];
            green[cx] = static_cast<int16_t>((t.cbToGreen[cbv] + t.crToGreen[crv]) >> 16);
        }
        __m128i r = _mm_load_si128(reinterpret_cast<const __m128i*>(red));
        __m128i g = _mm_load_si128(reinterpret_cast<const __m128i*>(green));
        __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(blue));
        for (int dy = 0; dy < V; ++dy) {
            int y = cy * V + dy;
            uint32_t* row = RowAt(dest, stride, y);
            const uint8_t* luma = samples + (y / 4) * H * 16 + (y % 4) * 4;
            if (H == 1) {
                Emit4(luma, r, g, b, row);
            } else {
                alignas(8) uint8_t pair[8];
                std::memcpy(pair, luma, 4);
                std::memcpy(pair + 4, luma + 16, 4);
                Emit8(pair, _mm_unpacklo_epi16(r, r), _mm_unpacklo_epi16(g, g), _mm_unpacklo_epi16(b, b),
                      row);
            }
        }
    }
}

// RGB, CMYK and YCCK, one pixel at a time.
template <int H, int V, int BS, int Space>
void ConvertOther(const JpegColourTables& t, const uint8_t* samples, uint32_t* dest, size_t stride) {
    constexpr int kBlock = BS * BS;
    const uint8_t* cb = samples + H * V * kBlock;
    const uint8_t* cr = cb + kBlock;
    const uint8_t* k = cr + kBlock;
    for (int y = 0; y < BS * V; ++y) {
        uint32_t* row = RowAt(dest, stride, y);
        for (int x = 0; x < BS * H; ++x) {
            int at = ((y / BS) * H + x / BS) * kBlock + (y % BS) * BS + x % BS;
            int chroma = (y / V) * BS + x / H;
            row[x] = PixelOf(t, Space, samples[at], cb[chroma], cr[chroma], k[at]);
        }
    }
}

template <int BS, int Space>
JpegColourConverter OtherFor(int colourMode) {
    switch (colourMode) {
        case 1: return ConvertOther<1, 1, BS, Space>;
        case 2: return ConvertOther<1, 2, BS, Space>;
        case 3: return ConvertOther<2, 1, BS, Space>;
        default: return ConvertOther<2, 2, BS, Space>;
    }
}

template <int BS>
JpegColourConverter OtherSpaceFor(int colourMode, int colourSpace) {
    switch (colourSpace) {
        case JPEG_SPACE_RGB: return OtherFor<BS, JPEG_SPACE_RGB>(colourMode);
        case JPEG_SPACE_CMYK: return OtherFor<BS, JPEG_SPACE_CMYK>(colourMode);
        default: return OtherFor<BS, JPEG_SPACE_YCCK>(colourMode);
    }
}

template <int BS>
JpegColourConverter ScalarFor(int colourMode) {
    switch (colourMode) {
        case 0: return ConvertGreyScalar<BS>;
        case 1: return ConvertScalar<1, 1, BS>;
        case 2: return ConvertScalar<1, 2, BS>;
        case 3: return ConvertScalar<2, 1, BS>;
        default: return ConvertScalar<2, 2, BS>;
    }
}

}  // namespace

JpegColourConverter FastColourConverter(int colourMode, int colourSpace, int scaleShift) {
    if (colourMode != 0 && colourSpace != JPEG_SPACE_YCC) {
        switch (scaleShift) {
            case 0: return OtherSpaceFor<8>(colourMode, colourSpace);
            case 1: return OtherSpaceFor<4>(colourMode, colourSpace);
            case 2: return OtherSpaceFor<2>(colourMode, colourSpace);
            default: return OtherSpaceFor<1>(colourMode, colourSpace);
        }
    }
    switch (scaleShift) {
        case 0:
            switch (colourMode) {
                case 0: return ConvertGreyFull;
                case 1: return ConvertFull<1, 1>;
                case 2: return ConvertFull<1, 2>;
                case 3: return ConvertFull<2, 1>;
                default: return ConvertFull<2, 2>;
            }
        case 1:
            switch (colourMode) {
                case 0: return ConvertGreyScalar<4>;
                case 1: return ConvertHalf<1, 1>;
                case 2: return ConvertHalf<1, 2>;
                case 3: return ConvertHalf<2, 1>;
                default: return ConvertHalf<2, 2>;
            }
        case 2: return ScalarFor<2>(colourMode);
        default: return ScalarFor<1>(colourMode);
    }
}
