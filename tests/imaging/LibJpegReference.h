#pragma once
#include <cstdint>
#include <string>
#include <vector>

// libjpeg-turbo as the independent reference: the fast integer IDCT, no
// fancy upsampling, no block smoothing, scaled by 1 / 2^scaleShift, output
// 0x00RRGGBB.
struct LibJpegImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    long warnings = 0;  // corrupt-data warnings met
    // The file's colour space is YCbCr or greyscale (not RGB, CMYK, YCCK).
    bool converted = false;
    // CMYK and YCCK pictures come out as libjpeg-turbo's CMYK output,
    // channel by channel C x K / 255 rounded (as its programs write CMYK
    // pictures as RGB).
};
bool DecodeWithLibJpeg(const std::vector<uint8_t>& data, int scaleShift, LibJpegImage& out);

// The quantised DC coefficient of every block of one component, row by row,
// and the component's quantisation entry 0.
struct LibJpegDcPlane {
    int blocksWide = 0;
    int blocksHigh = 0;
    uint16_t q0 = 0;
    std::vector<int16_t> dc;
};
bool ReadDcWithLibJpeg(const std::vector<uint8_t>& data, std::vector<LibJpegDcPlane>& planes);

// Encodes an RGB picture (0x00RRGGBB) with libjpeg-turbo as 4:2:0 YCbCr at
// quality 85, arithmetic-coded with the given conditioning values for table
// 0 (T.81 F.1.4.4: DC bounds L and U, AC Kx), sequential or progressive.
struct ArithmeticOptions {
    bool progressive = false;
    int dcLower = 0, dcUpper = 1, acKx = 5;
};
std::vector<uint8_t> EncodeArithmeticWithLibJpeg(const std::vector<uint32_t>& pixels, int width, int height,
                                                 const ArithmeticOptions& options);

struct PixelDifference {
    int maxDifference = 0;
    double psnr = 0;  // over the three channels; 99 when identical
};
PixelDifference ComparePixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);
