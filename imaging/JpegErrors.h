#pragma once
#include <cstdint>

// Error numbers of the JPEG decoder. The first one set is the one reported;
// the viewer shows the number to the user, so the values are fixed.
constexpr int16_t JPEG_OK = 0;
constexpr int16_t JPEG_ERR_EMPTY_FILE = -1;            // returned by Open
constexpr int16_t JPEG_ERR_HUFF_TOO_MANY_CODES = -200;  // a table with more than 255 codes
constexpr int16_t JPEG_ERR_HUFF_SLOT = -201;            // identifier (+4 for AC) is 8 or more
constexpr int16_t JPEG_ERR_HUFF_LENGTH = -202;          // segment shorter than its tables
constexpr int16_t JPEG_ERR_QUANT_LENGTH = -203;         // segment length below 2
constexpr int16_t JPEG_ERR_QUANT_TABLE_NUMBER = -204;   // table number 4 or more
constexpr int16_t JPEG_ERR_PRECISION = -205;            // sample precision other than 8
// Exactly one of width and height is 0 (T.81 allows a height given later by
// a DNL marker; this decoder does not).
constexpr int16_t JPEG_ERR_ONE_DIMENSION_ZERO = -206;
// The data ended inside a marker segment (frame, tables, scan header).
constexpr int16_t JPEG_ERR_TRUNCATED = -207;
constexpr int16_t JPEG_ERR_FRAME_COMPONENTS = -208;     // more than 4 frame components
constexpr int16_t JPEG_ERR_FRAME_LENGTH = -209;         // length does not match the count
constexpr int16_t JPEG_ERR_SEGMENT_LENGTH = -210;       // a skipped segment's length below 2
constexpr int16_t JPEG_ERR_RESTART_LENGTH = -211;       // restart interval length other than 4
constexpr int16_t JPEG_ERR_SCAN_LENGTH = -212;          // scan length wrong or Ns not 1..4
constexpr int16_t JPEG_ERR_SCAN_COMPONENT = -213;       // selector names no frame component
// A frame's quantisation table selector or a scan's DC/AC table selector
// outside 0..3.
constexpr int16_t JPEG_ERR_TABLE_SELECTOR = -214;
// An arithmetic conditioning (DAC) segment with a wrong length, table or
// value.
constexpr int16_t JPEG_ERR_ARITHMETIC = -215;
constexpr int16_t JPEG_ERR_NO_SCAN = -216;              // end of image or another marker first
constexpr int16_t JPEG_ERR_NO_SOI = -217;               // no start of image in the first 513 bytes
// Lossless, hierarchical or any frame type other than SOF0, 1, 2, 9, 10; or
// no frame header.
constexpr int16_t JPEG_ERR_FRAME_TYPE = -218;
constexpr int16_t JPEG_ERR_QUANT_SHORT = -219;          // segment shorter than its table
// A sampling factor outside 1..4 (T.81 B.2.2) in a frame the colour
// set-up would otherwise accept.
constexpr int16_t JPEG_ERR_SAMPLING_FACTOR = -220;
// A scan names one component twice.
constexpr int16_t JPEG_ERR_SCAN_LAYOUT = -222;
// The output at the chosen scale would hold more pixels than the pixel
// budget (kJpegPixelBudget).
constexpr int16_t JPEG_ERR_TOO_LARGE = -223;
constexpr int16_t JPEG_ERR_COMPONENT_COUNT = -225;      // component count other than 1, 3 or 4
// Three or four components whose sampling is not one of the layouts decoded
// (luma 1x1, 1x2, 2x1 or 2x2, the second and third component 1x1, a fourth
// like the first).
constexpr int16_t JPEG_ERR_SAMPLING_LAYOUT = -226;
// A progressive scan that breaks the rules of T.81 G.1.1.1.1 (spectral
// selection or successive approximation out of range, an AC scan of more
// than one component).
constexpr int16_t JPEG_ERR_PROGRESSIVE = -234;
// The cancel check answered yes while the scans of a picture were gathered
// (the renderer reports it as cancelled; never shown).
constexpr int16_t JPEG_ERR_CANCELLED = -235;

// Returned by header info when width and height are both 0; not an error.
constexpr int JPEG_HEADER_NO_DIMENSIONS = 2;
