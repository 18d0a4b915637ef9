#include "imaging/JpegExifReader.h"

namespace {

constexpr uint16_t TAG_COMPRESSION = 259;
constexpr uint16_t TAG_ORIENTATION = 274;
constexpr uint16_t TAG_JPEG_INTERCHANGE_FORMAT = 513;
constexpr uint16_t TAG_JPEG_INTERCHANGE_FORMAT_LENGTH = 514;
constexpr uint16_t TAG_DATE_TIME_ORIGINAL = 36867;
constexpr uint16_t TAG_EXIF_IFD_POINTER = 34665;
constexpr uint32_t COMPRESSION_JPEG = 6;
constexpr uint32_t kDateTextLength = 19;
constexpr uint32_t kEntrySize = 12;

// Bytes per value of each TIFF field type; unknown types count 0, type 0 as 1.
uint32_t TypeSize(uint16_t type) {
    static const uint8_t kSizes[13] = {1, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < 13 ? kSizes[type] : 0;
}

}  // namespace

JpegExifFacts JpegExifReader::Read() {
    if (!Holds(0, 8)) return m_facts;
    m_bigEndian = (m_tiff[0] << 8 | m_tiff[1]) == 0x4D4D;
    m_firstIfd = Get32(4);
    WalkIfd(m_firstIfd, true);
    if (m_thumb == Thumb::Placed && m_thumbLength > 0 && Holds(m_thumbOffset, m_thumbLength)) {
        m_facts.thumbnail = m_tiff + m_thumbOffset;
        m_facts.thumbnailLength = m_thumbLength;
    }
    return m_facts;
}

void JpegExifReader::WalkIfd(uint32_t offset, bool followNext) {
    while (Visit(offset) && Holds(offset, 2)) {
        m_currentIfd = offset;
        uint16_t count = Get16(offset);
        uint32_t entry = offset + 2;
        for (uint16_t i = 0; i < count; ++i, entry += kEntrySize) {
            if (!Holds(entry, kEntrySize)) return;
            uint16_t type = Get16(entry + 2);
            uint32_t value = TypeSize(type) == 2 ? Get16(entry + 8) : Get32(entry + 8);
            HandleEntry(Get16(entry), type, Get32(entry + 4), value);
        }
        if (!followNext || !Holds(entry, 4)) return;
        offset = Get32(entry);
        if (offset == 0) return;
    }
}

void JpegExifReader::HandleEntry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    uint64_t dataSize = uint64_t(TypeSize(type)) * count;
    switch (tag) {
    case TAG_COMPRESSION:
        m_thumb = value == COMPRESSION_JPEG ? Thumb::Candidate : Thumb::None;
        break;
    case TAG_JPEG_INTERCHANGE_FORMAT:
        if (m_thumb == Thumb::None) break;
        m_thumb = Thumb::Placed;
        m_thumbOffset = value;
        break;
    case TAG_JPEG_INTERCHANGE_FORMAT_LENGTH:
        if (m_thumb == Thumb::None) break;
        m_thumbLength = value;
        if (value == 0) m_thumb = Thumb::None;
        break;
    case TAG_DATE_TIME_ORIGINAL:
        if (dataSize >= 5) {
            uint32_t held = dataSize < kDateTextLength ? uint32_t(dataSize) : kDateTextLength;
            if (Holds(value, held)) {
                m_facts.dateTimeOriginal = m_tiff + value;
                m_facts.dateTimeOriginalLength = static_cast<uint8_t>(held);
            }
        }
        break;
    case TAG_ORIENTATION:
        if (m_currentIfd == m_firstIfd && type == 3 && count == 1 && value >= 1 && value <= 8)
            m_facts.orientation = static_cast<uint8_t>(value);
        break;
    case TAG_EXIF_IFD_POINTER: {
        const uint32_t current = m_currentIfd;
        WalkIfd(value, false);
        m_currentIfd = current;
        break;
    }
    default:
        break;
    }
}

// Records an IFD as walked; false when it was walked before (a loop) or the
// walk has met too many directories.
bool JpegExifReader::Visit(uint32_t offset) {
    for (int i = 0; i < m_visitedCount; ++i) {
        if (m_visited[i] == offset) return false;
    }
    if (m_visitedCount == kMaxIfds) return false;
    m_visited[m_visitedCount++] = offset;
    return true;
}

uint16_t JpegExifReader::Get16(uint32_t offset) const {
    const uint8_t* p = m_tiff + offset;
    return m_bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

uint32_t JpegExifReader::Get32(uint32_t offset) const {
    const uint8_t* p = m_tiff + offset;
    return m_bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                       : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
