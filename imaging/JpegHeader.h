#pragma once
#include <cstddef>
#include <cstdint>

class File;

// Header facts of a JPEG file, read without decoding any image data.
struct ImageHeaderInfo {
    uint16_t width;
    uint16_t height;
    uint8_t hasEmbeddedThumbnail;
    // The first 19 characters of EXIF DateTimeOriginal, "YYYY:MM:DD HH:MM:SS",
    // zero-terminated; empty when the file has none.
    char dateText[20];
    // The frame's coding (JpegCoding), also for a file whose decoding is
    // refused; JPEG_CODING_NONE when no frame of a known coding was read.
    uint8_t coding;
};

// Opens a decoder on the file, reads the header and closes the decoder again.
// Returns 0, -1 for an empty file, the decoder's negative error number, or 2
// when width and height are both 0. The info is cleared first.
int ReadImageHeaderInfo(File& file, ImageHeaderInfo& info);
// The same over a block of memory.
int ReadImageHeaderInfo(const uint8_t* data, size_t size, ImageHeaderInfo& info);

// The date text as seconds since 1904-01-01 00:00 local time; 0 when there
// is no date (empty text, or year, month or day 0).
uint32_t HeaderDate(const ImageHeaderInfo& info);
