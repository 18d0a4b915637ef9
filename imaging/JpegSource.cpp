#include "imaging/JpegSource.h"

#include <algorithm>
#include <cstring>

#include "platform/base/File.h"

JpegSource::JpegSource(File& file) : m_file(&file) {}

JpegSource::JpegSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

const uint8_t* JpegSource::Fill() {
    uint8_t* start = m_buffer + 1;
    if (m_end > start) m_buffer[0] = m_end[-1];
    uint32_t got = ReadChunk(start);
    m_end = start + got;
    if (got == 0) {
        m_atEnd = true;
    } else {
        ++m_chunksRead;
    }
    return start;
}

uint32_t JpegSource::ReadChunk(uint8_t* into) {
    if (m_file) {
        uint32_t done = 0;
        // A read error ends the data like the end of the file does.
        if (m_file->Read(into, kChunkSize, done) != 0) return 0;
        return std::min(done, kChunkSize);
    }
    size_t left = m_size - m_position;
    uint32_t count = static_cast<uint32_t>(std::min<size_t>(left, kChunkSize));
    if (count) std::memcpy(into, m_data + m_position, count);
    m_position += count;
    return count;
}
