#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

class File;

// The input of one decode, read in chunks of 35840 bytes. Byte 0 of the
// buffer is a look-behind byte: every fill after the first copies the last
// valid byte of the previous chunk there, so that the entropy reader can keep
// one unread byte across a chunk boundary. The source reads either from an
// open file (from its current position) or from a block of memory that the
// caller keeps alive; both deliver the same chunks.
class JpegSource {
public:
    static constexpr uint32_t kChunkSize = 35840;
    static constexpr uint32_t kBufferSize = kChunkSize + 1;

    explicit JpegSource(File& file);
    JpegSource(const uint8_t* data, size_t size);
    JpegSource(const JpegSource&) = delete;
    JpegSource& operator=(const JpegSource&) = delete;

    // Reads the next chunk into bytes 1 onward and returns their start; End()
    // is then just behind the bytes read (equal to the start when nothing
    // was left).
    const uint8_t* Fill();
    const uint8_t* Begin() const { return m_buffer + 1; }
    const uint8_t* End() const { return m_end; }
    // Chunks read so far, counted modulo 256.
    uint8_t ChunkCount() const { return static_cast<uint8_t>(m_chunksRead); }
    // The same without wrapping.
    uint32_t ChunksRead() const { return m_chunksRead; }
    // True once a fill has brought no bytes.
    bool AtEnd() const { return m_atEnd; }

    // Reads on past the bytes delivered so far without disturbing them, for
    // a look over the rest of the data: first the unread bytes [ptr, end)
    // of the current chunk, then what follows it. A file's position is put
    // back at the end.
    class Ahead {
    public:
        Ahead(JpegSource& source, const uint8_t* ptr, const uint8_t* end);
        ~Ahead();
        Ahead(const Ahead&) = delete;
        Ahead& operator=(const Ahead&) = delete;

        // The next byte, or -1 at the end of the data.
        int Next() { return m_ptr < m_end ? *m_ptr++ : NextChunk(); }
        bool Skip(uint32_t count);
        // False when the data could not be read to its end (no memory for
        // the chunk, a read error): what follows is unknown.
        bool Complete() const { return m_complete; }

    private:
        int NextChunk();

        JpegSource& m_source;
        const uint8_t* m_ptr;
        const uint8_t* m_end;
        std::unique_ptr<uint8_t[]> m_chunk;
        uint64_t m_filePosition = 0;
        bool m_memoryTaken = false;
        bool m_complete = true;
    };

private:
    uint32_t ReadChunk(uint8_t* into);

    uint8_t m_buffer[kBufferSize] = {};
    const uint8_t* m_end = m_buffer + 1;
    uint32_t m_chunksRead = 0;
    bool m_atEnd = false;
    File* m_file = nullptr;
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_position = 0;
};
