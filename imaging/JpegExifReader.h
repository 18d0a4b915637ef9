#pragma once
#include <cstddef>
#include <cstdint>

// What the EXIF walk found in one APP1 segment. Pointers point into the
// segment and every byte they cover lies inside it.
struct JpegExifFacts {
    const uint8_t* dateTimeOriginal = nullptr;
    uint8_t dateTimeOriginalLength = 0;  // at most 19
    const uint8_t* thumbnail = nullptr;
    uint32_t thumbnailLength = 0;
    // Orientation (tag 274) of the main image, from IFD0 only: 1 to 8, or 0
    // when absent or out of range.
    uint8_t orientation = 0;
};

// Walks the TIFF structure of an EXIF APP1 segment (EXIF 2.3 section 4.6):
// IFD0 and the IFDs its next-IFD chain leads to, and the Exif IFD that a
// pointer tag names. The TIFF data is parsed in place. Offsets are checked
// against the segment: an IFD outside it, or one already walked, ends the
// walk; a value outside it is ignored.
class JpegExifReader {
public:
    // tiff: the TIFF header (just behind "Exif\0\0"); size: bytes up to the
    // segment's end.
    JpegExifReader(const uint8_t* tiff, size_t size) : m_tiff(tiff), m_size(size) {}

    JpegExifFacts Read();

private:
    enum class Thumb { None, Candidate, Placed };
    static constexpr int kMaxIfds = 16;

    void WalkIfd(uint32_t offset, bool followNext);
    void HandleEntry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);
    bool Visit(uint32_t offset);
    bool Holds(uint64_t offset, uint64_t length) const { return offset + length <= m_size; }
    uint16_t Get16(uint32_t offset) const;
    uint32_t Get32(uint32_t offset) const;

    const uint8_t* m_tiff;
    size_t m_size;
    bool m_bigEndian = false;
    JpegExifFacts m_facts;
    Thumb m_thumb = Thumb::None;
    uint32_t m_thumbOffset = 0;
    uint32_t m_thumbLength = 0;
    uint32_t m_firstIfd = 0;
    uint32_t m_currentIfd = 0;
    uint32_t m_visited[kMaxIfds] = {};
    int m_visitedCount = 0;
};
