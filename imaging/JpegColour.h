#pragma once
#include <cstddef>
#include <cstdint>

// YCbCr to RGB with the JFIF factors 1.402, 1.772, 0.71414 and 0.34414 in
// 16-bit fixed point, by table (ITU-T T.871 section 7).
struct JpegColourTables {
    int16_t crToRed[256];
    int16_t cbToBlue[256];
    int32_t crToGreen[256];  // 16 fractional bits
    int32_t cbToGreen[256];  // 16 fractional bits, rounding included
    uint8_t clamp[768];      // index + 256: -256..-1 give 0, 256.. give 255

    void Build();
    uint8_t Clamp(int index) const { return clamp[index + 256]; }
    uint32_t Pixel(int y, int cb, int cr) const {
        int green = y + ((cbToGreen[cb] + crToGreen[cr]) >> 16);
        return uint32_t(Clamp(y + crToRed[cr])) << 16 | uint32_t(Clamp(green)) << 8 | Clamp(y + cbToBlue[cb]);
    }
};

// Writes one MCU of 0x00RRGGBB pixels from the sample area: the luma
// blocks left to right, top to bottom, then Cb and Cr (greyscale: one
// block), and for four components the blocks of the fourth, shaped like
// the first. Chroma is not interpolated: each chroma sample covers the luma
// pixels of its place. `stride` is in bytes.
//
// RGB samples are the pixel's channels. CMYK samples are taken as Adobe
// stores them (inverted), and YCCK is first turned into such CMYK as libjpeg
// does; each channel is then C x K / 255 rounded, the conversion of
// libjpeg-turbo's programs when they write CMYK pictures as RGB.
using JpegColourConverter = void (*)(const JpegColourTables& tables, const uint8_t* samples, uint32_t* dest,
                                     size_t stride);

// The plain converter, for every colour mode and block size (8 >> scale).
void ConvertMcuReference(const JpegColourTables& tables, int colourMode, int colourSpace, int blockSize,
                         const uint8_t* samples, uint32_t* dest, size_t stride);

// The production converter for a colour mode, colour space and scale shift.
JpegColourConverter FastColourConverter(int colourMode, int colourSpace, int scaleShift);

// One channel of CMYK (as stored, inverted) to RGB: round(c x k / 255).
inline uint32_t CmykChannel(int c, int k) { return uint32_t((2 * c * k + 255) / 510); }
