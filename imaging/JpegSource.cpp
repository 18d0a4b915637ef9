#include "imaging/JpegSource.h"

#include <algorithm>
#include <cstring>
#include <new>

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

JpegSource::Ahead::Ahead(JpegSource& source, const uint8_t* ptr, const uint8_t* end)
    : m_source(source), m_ptr(ptr), m_end(end) {
    if (source.m_file && source.m_file->Seek(0, FILE_CURRENT, &m_filePosition) != 0) m_complete = false;
}

JpegSource::Ahead::~Ahead() {
    if (m_source.m_file && m_chunk) m_source.m_file->Seek(int64_t(m_filePosition), FILE_BEGIN);
}

bool JpegSource::Ahead::Skip(uint32_t count) {
    while (count > 0) {
        const uint32_t held = uint32_t(m_end - m_ptr);
        if (held >= count) {
            m_ptr += count;
            return true;
        }
        count -= held;
        m_ptr = m_end;
        if (NextChunk() < 0) return false;
        --m_ptr;
    }
    return true;
}

int JpegSource::Ahead::NextChunk() {
    if (!m_complete || m_source.m_atEnd) return -1;
    if (!m_source.m_file) {
        // Memory: the rest of it in one piece.
        if (m_memoryTaken) return -1;
        m_memoryTaken = true;
        m_ptr = m_source.m_data + m_source.m_position;
        m_end = m_source.m_data + m_source.m_size;
    } else {
        if (!m_chunk) m_chunk.reset(new (std::nothrow) uint8_t[kChunkSize]);
        uint32_t done = 0;
        if (!m_chunk || m_source.m_file->Read(m_chunk.get(), kChunkSize, done) != 0) {
            m_complete = false;
            return -1;
        }
        m_ptr = m_chunk.get();
        m_end = m_ptr + std::min(done, kChunkSize);
    }
    return m_ptr < m_end ? *m_ptr++ : -1;
}
