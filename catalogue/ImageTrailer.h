#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueTypes.h"

class File;

constexpr int ERR_TRAILER_NO_DATA = -11000;
constexpr int ERR_TRAILER_SHORT_WRITE = -11002;
constexpr int ERR_TRAILER_TOO_LARGE = -11003;
// Allocating or growing a trailer buffer failed.
constexpr int ERR_TRAILER_NO_MEMORY = -1;

constexpr size_t TRAILER_TAIL_SIZE = 20480;     // bytes of a file's end that are looked at
constexpr size_t TRAILER_ID_SIZE = 12;
constexpr size_t TRAILER_RECORD_SIZE = 28;
constexpr size_t TRAILER_MIN_SIZE = TRAILER_ID_SIZE + TRAILER_RECORD_SIZE;
constexpr size_t TRAILER_MAX_SIZE = 20380;      // id + record + strings + blocks
constexpr size_t FOREIGN_TRAILER_SIZE = 308;
constexpr size_t TRAILER_BLOCK_HEADER_SIZE = 6;
constexpr uint16_t TRAILER_VERSION = 2;

// The id that opens a trailer: eleven letters and a NUL.
constexpr std::array<uint8_t, TRAILER_ID_SIZE> TRAILER_ID = {'K', 'e', 's', 't', 'r', 'e',
                                                             'l', 'v', 'i', 'e', 'w', 0};

// Bits of the Write flags, each naming what is NOT taken from the old trailer.
constexpr uint32_t TRAILER_KEEP_NEW_RECORD = 1;
constexpr uint32_t TRAILER_DROP_OLD_STRINGS = 4;
constexpr uint32_t TRAILER_DROP_OLD_BLOCKS = 8;

constexpr uint16_t THUMBNAIL_BLOCK_TYPE = 1;
constexpr std::array<uint8_t, 2> THUMBNAIL_BLOCK_TAG = {3, 0};
// FindBlock key the renderer uses to look up the thumbnail.
constexpr uint8_t THUMBNAIL_BLOCK_KEY = 3;

// The 28-byte record after the id, unpacked.
struct TrailerRecord {
    uint16_t version = 0;
    uint16_t privateFlag = 0;
    Seconds1904 date = 0;
    RecordId category = CATEGORY_ID_UNFILED;
    RecordId uniqueId{};
    uint16_t stringOffset = 0;  // from the record's first byte
    uint16_t blockOffset = 0;   // from the record's first byte

    static TrailerRecord Unpack(const uint8_t* bytes);
    void Pack(uint8_t* bytes) const;
    bool operator==(const TrailerRecord&) const = default;
};

struct TrailerBlockHeader {
    uint16_t type = 0;
    std::array<uint8_t, 2> tag{};
    uint16_t length = 0;  // payload bytes
};

// A block of a parsed trailer; the payload points into the parser's buffer.
struct TrailerBlock {
    TrailerBlockHeader header;
    std::span<const uint8_t> payload;
};

// A new trailer being built: id, record, strings, blocks, without the
// length field. Made by NewTrailer, grown by AddString and AddBlock.
class TrailerBuffer {
public:
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }
    TrailerRecord Record() const;
    void SetRecord(const TrailerRecord& record);

private:
    friend int NewTrailer(TrailerRecord* record, TrailerBuffer& out);
    friend int AddString(TrailerBuffer& trailer, std::optional<std::string_view> text);
    friend int AddBlock(TrailerBuffer& trailer, const TrailerBlock& block);
    std::vector<uint8_t> m_bytes;
};

// Fills `out` with the id and a copy of `record` (or a zero record) whose
// version is 2 and whose area offsets are both 28; `record`, when given, is
// updated the same way. Returns 0 or ERR_TRAILER_NO_MEMORY.
int NewTrailer(TrailerRecord* record, TrailerBuffer& out);
// Inserts text and its NUL at the end of the string area (no text: an empty
// string). Returns 0, ERR_TRAILER_NO_MEMORY, or ERR_TRAILER_TOO_LARGE when
// the block offset would no longer fit in 16 bits.
int AddString(TrailerBuffer& trailer, std::optional<std::string_view> text);
// Appends the block's header (with the payload's length) and payload.
// Returns 0, ERR_TRAILER_NO_MEMORY, or ERR_TRAILER_TOO_LARGE for a payload
// of more than 65535 bytes.
int AddBlock(TrailerBuffer& trailer, const TrailerBlock& block);

// The parsed trailer of one file, made for one operation. It owns a copy of
// the file's last bytes; strings and blocks it hands out point into them.
class CImageTrailer {
public:
    // Reads the file's last 20480 bytes and parses them. Returns the record
    // or nullptr when the file has no trailer (or its tail cannot be read).
    // The file position is left at 0.
    const TrailerRecord* Read(File& file);
    // Parses bytes held in memory: `tail` holds the last bytes of a file
    // (only its last 20480 are kept), the first of them at `tailOffset`.
    const TrailerRecord* Parse(std::span<const uint8_t> tail, uint64_t tailOffset);

    const TrailerRecord* Record() const { return m_found ? &m_record : nullptr; }
    // The next string of the string area; the first call gives the note.
    std::optional<std::string_view> NextString();
    std::optional<TrailerBlock> NextBlock();
    // The first block whose header byte 3 is at least key, else the last
    // block; callers check the type.
    std::optional<TrailerBlock> FindBlock(uint8_t key) const;
    // The thumbnail block's payload, found the way the renderer looks for it.
    std::optional<std::span<const uint8_t>> FindThumbnail() const;

    // Writes `trailer` into the file in place of the old trailer, merged with
    // the old one as `flags` say. Returns 0, ERR_TRAILER_*, or the system's
    // error number. A refused trailer leaves the file unchanged.
    int Write(File& file, TrailerBuffer& trailer, uint32_t flags);

    uint64_t InsertionPoint() const { return m_insertAt; }
    size_t ForeignLength() const { return m_foreignLength; }
    bool ReadFailed() const { return m_readFailed; }

private:
    void Reset();
    void ParseBuffer();
    bool LocateTrailer();
    const uint8_t* RecordBytes() const { return m_buffer.data() + m_recordPos; }
    std::optional<TrailerBlock> BlockAt(size_t& pos) const;
    int Merge(TrailerBuffer& trailer, uint32_t flags);
    int FillRecordDefaults(File& file, TrailerBuffer& trailer);
    int WriteOut(File& file, const TrailerBuffer& trailer);
    int WriteTail(File& file, const uint8_t* bytes, size_t size);

    std::vector<uint8_t> m_buffer;  // the file's last bytes
    uint64_t m_bufferOffset = 0;    // file offset of m_buffer[0]
    size_t m_dataLength = 0;        // bytes before the foreign trailer
    bool m_readFailed = false;
    bool m_found = false;
    size_t m_recordPos = 0;         // buffer index of the record
    size_t m_afterIdLength = 0;     // L - 12: record, strings and blocks
    TrailerRecord m_record;
    uint64_t m_insertAt = 0;        // file offset where a new trailer goes
    size_t m_nextString = 0;        // from the record's first byte
    size_t m_nextBlock = 0;         // from the record's first byte
    size_t m_foreignLength = 0;     // 0 or 308, at m_dataLength
};
