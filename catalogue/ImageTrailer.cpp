#include "catalogue/ImageTrailer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

// The trailer appended to a JPEG file after its end-of-image marker. All
// numbers are big-endian. A file with a trailer ends like this:
//
//   offset from start  size  content
//   0                  12    id "Kestrelview" and a NUL
//   12                 28    record (below)
//   40                 var   string area: NUL-terminated ANSI strings; the first is the note
//   after strings      var   block area: block after block (below)
//   L                  2     L: bytes from the trailer's start to this field
//   L + 2              0/308 another vendor's trailer, kept unchanged; its last
//                            20 bytes begin with "ARCPHOTOBASE"
//
// Record (offsets from the record's first byte):
//   0   2  version: 2 written; 1 read (its first string is skipped); other: no trailer
//   2   2  private: non-zero = private; written 0 or 1
//   4   4  date, Seconds1904; 0 = none
//   8   8  category RecordId
//   16  8  unique id of the image RecordId; all zero = none yet
//   24  2  string area offset (28 when written by us)
//   26  2  block area offset (28 + string area length when written by us)
//
// Block: 2 type (1 = thumbnail), 2 tag (03 00 on the thumbnail), 2 payload
// length, then the payload. The next block follows the payload.
//
// Any length or offset here may lie: strings and blocks are only handed out
// while they lie wholly inside the data held, and a block whose length runs
// past the data ends the iteration.

namespace {

constexpr uint8_t FOREIGN_MARK[] = {'A', 'R', 'C', 'P', 'H', 'O', 'T', 'O', 'B', 'A', 'S', 'E'};
constexpr size_t FOREIGN_MARK_FROM_END = 20;
constexpr size_t RECORD_HEAD_SIZE = 24;  // the record bytes a merge takes from the old trailer

bool IsZero(const RecordId& id) {
    return std::all_of(id.begin(), id.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

TrailerRecord TrailerRecord::Unpack(const uint8_t* p) {
    TrailerRecord r;
    r.version = ReadBE16(p);
    r.privateFlag = ReadBE16(p + 2);
    r.date = ReadBE32(p + 4);
    std::memcpy(r.category.data(), p + 8, 8);
    std::memcpy(r.uniqueId.data(), p + 16, 8);
    r.stringOffset = ReadBE16(p + 24);
    r.blockOffset = ReadBE16(p + 26);
    return r;
}

void TrailerRecord::Pack(uint8_t* p) const {
    WriteBE16(p, version);
    WriteBE16(p + 2, privateFlag);
    WriteBE32(p + 4, date);
    std::memcpy(p + 8, category.data(), 8);
    std::memcpy(p + 16, uniqueId.data(), 8);
    WriteBE16(p + 24, stringOffset);
    WriteBE16(p + 26, blockOffset);
}

// --- building a new trailer -------------------------------------------------

TrailerRecord TrailerBuffer::Record() const {
    if (m_bytes.size() < TRAILER_MIN_SIZE) return {};
    return TrailerRecord::Unpack(m_bytes.data() + TRAILER_ID_SIZE);
}

void TrailerBuffer::SetRecord(const TrailerRecord& record) {
    if (m_bytes.size() < TRAILER_MIN_SIZE) return;
    record.Pack(m_bytes.data() + TRAILER_ID_SIZE);
}

int NewTrailer(TrailerRecord* record, TrailerBuffer& out) {
    TrailerRecord r = record ? *record : TrailerRecord{};
    r.version = TRAILER_VERSION;
    r.stringOffset = TRAILER_RECORD_SIZE;
    r.blockOffset = TRAILER_RECORD_SIZE;
    try {
        out.m_bytes.assign(TRAILER_MIN_SIZE, 0);
    } catch (const std::bad_alloc&) {
        return ERR_TRAILER_NO_MEMORY;
    }
    std::copy(TRAILER_ID.begin(), TRAILER_ID.end(), out.m_bytes.begin());
    out.SetRecord(r);
    if (record) *record = r;
    return 0;
}

int AddString(TrailerBuffer& trailer, std::optional<std::string_view> text) {
    if (trailer.Size() < TRAILER_MIN_SIZE) return ERR_TRAILER_NO_DATA;
    const std::string_view s = text.value_or(std::string_view{});
    TrailerRecord r = trailer.Record();
    const size_t grow = s.size() + 1;
    const size_t insertAt = TRAILER_ID_SIZE + r.blockOffset;
    if (r.blockOffset + grow > 0xFFFF || insertAt > trailer.Size()) return ERR_TRAILER_TOO_LARGE;
    try {
        auto& bytes = trailer.m_bytes;
        bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(insertAt), grow, 0);
        std::copy(s.begin(), s.end(), bytes.begin() + static_cast<ptrdiff_t>(insertAt));
    } catch (const std::bad_alloc&) {
        return ERR_TRAILER_NO_MEMORY;
    }
    r.blockOffset = static_cast<uint16_t>(r.blockOffset + grow);
    trailer.SetRecord(r);
    return 0;
}

int AddBlock(TrailerBuffer& trailer, const TrailerBlock& block) {
    if (trailer.Size() < TRAILER_MIN_SIZE) return ERR_TRAILER_NO_DATA;
    if (block.payload.size() > 0xFFFF) return ERR_TRAILER_TOO_LARGE;
    uint8_t header[TRAILER_BLOCK_HEADER_SIZE];
    WriteBE16(header, block.header.type);
    header[2] = block.header.tag[0];
    header[3] = block.header.tag[1];
    WriteBE16(header + 4, static_cast<uint16_t>(block.payload.size()));
    try {
        auto& bytes = trailer.m_bytes;
        bytes.insert(bytes.end(), header, header + sizeof header);
        bytes.insert(bytes.end(), block.payload.begin(), block.payload.end());
    } catch (const std::bad_alloc&) {
        return ERR_TRAILER_NO_MEMORY;
    }
    return 0;
}

// --- parsing ----------------------------------------------------------------

void CImageTrailer::Reset() {
    m_buffer.clear();
    m_bufferOffset = 0;
    m_dataLength = 0;
    m_readFailed = false;
    m_found = false;
    m_recordPos = 0;
    m_afterIdLength = 0;
    m_record = {};
    m_insertAt = 0;
    m_nextString = 0;
    m_nextBlock = 0;
    m_foreignLength = 0;
}

const TrailerRecord* CImageTrailer::Read(File& file) {
    Reset();
    uint64_t size = 0;
    if (file.GetSize(size) != ERROR_SUCCESS) {
        m_readFailed = true;
        file.Seek(0, FILE_BEGIN);
        return nullptr;
    }
    m_bufferOffset = size > TRAILER_TAIL_SIZE ? size - TRAILER_TAIL_SIZE : 0;
    m_buffer.resize(static_cast<size_t>(size - m_bufferOffset));
    uint32_t done = 0;
    if (file.Seek(static_cast<int64_t>(m_bufferOffset), FILE_BEGIN) != ERROR_SUCCESS ||
        file.Read(m_buffer.data(), static_cast<uint32_t>(m_buffer.size()), done) != ERROR_SUCCESS ||
        done != m_buffer.size()) {
        // A tail that cannot be read whole must not be mistaken for the end of
        // the file: a write would cut the file at the wrong place.
        m_readFailed = true;
        m_buffer.clear();
    }
    file.Seek(0, FILE_BEGIN);
    if (m_readFailed) return nullptr;
    ParseBuffer();
    return Record();
}

const TrailerRecord* CImageTrailer::Parse(std::span<const uint8_t> tail, uint64_t tailOffset) {
    Reset();
    if (tail.size() > TRAILER_TAIL_SIZE) {
        tailOffset += tail.size() - TRAILER_TAIL_SIZE;
        tail = tail.last(TRAILER_TAIL_SIZE);
    }
    m_buffer.assign(tail.begin(), tail.end());
    m_bufferOffset = tailOffset;
    ParseBuffer();
    return Record();
}

void CImageTrailer::ParseBuffer() {
    const size_t n = m_buffer.size();
    m_dataLength = n;
    if (n >= FOREIGN_TRAILER_SIZE &&
        std::memcmp(m_buffer.data() + n - FOREIGN_MARK_FROM_END, FOREIGN_MARK, sizeof FOREIGN_MARK) == 0) {
        m_foreignLength = FOREIGN_TRAILER_SIZE;
        m_dataLength = n - FOREIGN_TRAILER_SIZE;
    }
    m_insertAt = m_bufferOffset + m_dataLength;
    if (!LocateTrailer()) return;

    m_record = TrailerRecord::Unpack(RecordBytes());
    if (m_record.version != 1 && m_record.version != TRAILER_VERSION) return;
    m_found = true;
    m_insertAt = m_bufferOffset + m_recordPos - TRAILER_ID_SIZE;
    m_nextString = m_record.stringOffset;
    m_nextBlock = m_record.blockOffset;
    if (m_record.version == 1) {
        // The first string of a version 1 trailer is not the note.
        NextString();
        m_record.version = TRAILER_VERSION;
    }
}

bool CImageTrailer::LocateTrailer() {
    if (m_dataLength < 2) return false;
    const size_t length = ReadBE16(m_buffer.data() + m_dataLength - 2);
    if (length < TRAILER_MIN_SIZE || length > m_dataLength - 2) return false;
    const size_t start = m_dataLength - 2 - length;
    if (std::memcmp(m_buffer.data() + start, TRAILER_ID.data(), TRAILER_ID_SIZE) != 0) return false;
    m_recordPos = start + TRAILER_ID_SIZE;
    m_afterIdLength = length - TRAILER_ID_SIZE;
    return true;
}

std::optional<std::string_view> CImageTrailer::NextString() {
    if (!m_found) return std::nullopt;
    const size_t areaEnd = std::min<size_t>(m_record.blockOffset, m_afterIdLength);
    if (m_nextString >= areaEnd) return std::nullopt;
    const char* start = reinterpret_cast<const char*>(RecordBytes()) + m_nextString;
    const size_t room = areaEnd - m_nextString;
    const void* nul = std::memchr(start, 0, room);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : room;
    m_nextString += length + 1;
    return std::string_view(start, length);
}

std::optional<TrailerBlock> CImageTrailer::BlockAt(size_t& pos) const {
    if (!m_found || pos >= m_afterIdLength) return std::nullopt;
    const size_t room = m_afterIdLength - pos;
    const uint8_t* p = RecordBytes() + pos;
    if (room < TRAILER_BLOCK_HEADER_SIZE) {
        pos = m_afterIdLength;
        return std::nullopt;
    }
    TrailerBlock block;
    block.header.type = ReadBE16(p);
    block.header.tag = {p[2], p[3]};
    block.header.length = ReadBE16(p + 4);
    if (block.header.length > room - TRAILER_BLOCK_HEADER_SIZE) {
        pos = m_afterIdLength;  // a length that lies ends the iteration
        return std::nullopt;
    }
    block.payload = {p + TRAILER_BLOCK_HEADER_SIZE, block.header.length};
    pos += TRAILER_BLOCK_HEADER_SIZE + block.header.length;
    return block;
}

std::optional<TrailerBlock> CImageTrailer::NextBlock() { return BlockAt(m_nextBlock); }

std::optional<TrailerBlock> CImageTrailer::FindBlock(uint8_t key) const {
    std::optional<TrailerBlock> last;
    size_t pos = m_record.blockOffset;
    while (auto block = BlockAt(pos)) {
        if (block->header.tag[1] >= key) return block;
        last = block;
    }
    return last;
}

std::optional<std::span<const uint8_t>> CImageTrailer::FindThumbnail() const {
    auto block = FindBlock(THUMBNAIL_BLOCK_KEY);
    if (!block || block->header.type != THUMBNAIL_BLOCK_TYPE) return std::nullopt;
    return block->payload;
}

// --- writing ----------------------------------------------------------------

int CImageTrailer::Write(File& file, TrailerBuffer& trailer, uint32_t flags) {
    if (trailer.Size() < TRAILER_MIN_SIZE) return ERR_TRAILER_NO_DATA;
    Read(file);
    if (m_readFailed || m_insertAt == 0) return ERR_TRAILER_NO_DATA;
    if (m_found) {
        if (int err = Merge(trailer, flags)) return err;
    }
    if (int err = FillRecordDefaults(file, trailer)) return err;
    if (trailer.Size() > TRAILER_MAX_SIZE - m_foreignLength) return ERR_TRAILER_TOO_LARGE;
    return WriteOut(file, trailer);
}

int CImageTrailer::Merge(TrailerBuffer& trailer, uint32_t flags) {
    if (!(flags & TRAILER_KEEP_NEW_RECORD)) {
        uint8_t merged[TRAILER_RECORD_SIZE];
        trailer.Record().Pack(merged);
        uint8_t old[TRAILER_RECORD_SIZE];
        m_record.Pack(old);
        std::memcpy(merged, old, RECORD_HEAD_SIZE);
        trailer.SetRecord(TrailerRecord::Unpack(merged));
    }
    if (!(flags & TRAILER_DROP_OLD_STRINGS)) {
        while (auto s = NextString()) {
            if (int err = AddString(trailer, *s)) return err;
        }
    }
    if (!(flags & TRAILER_DROP_OLD_BLOCKS)) {
        while (auto block = NextBlock()) {
            if (int err = AddBlock(trailer, *block)) return err;
        }
    }
    return 0;
}

int CImageTrailer::FillRecordDefaults(File& file, TrailerBuffer& trailer) {
    TrailerRecord r = trailer.Record();
    if (IsZero(r.uniqueId)) r.uniqueId = NewRecordId();
    if (r.date == 0) {
        // The photo's own date, when its header has one, so that an edit does
        // not move the photo to the day the file was copied.
        ImageHeaderInfo header{};
        if (ReadImageHeaderInfo(file, header) == 0) r.date = HeaderDate(header);
        file.Seek(0, FILE_BEGIN);
    }
    if (r.date == 0) {
        FileTime created = 0;
        if (uint32_t err = file.GetTimes(&created, nullptr, nullptr)) return static_cast<int>(err);
        r.date = Seconds1904FromFileTime(created);
    }
    trailer.SetRecord(r);
    return 0;
}

int CImageTrailer::WriteOut(File& file, const TrailerBuffer& trailer) {
    std::vector<uint8_t> out;
    try {
        out.reserve(trailer.Size() + 2 + m_foreignLength);
    } catch (const std::bad_alloc&) {
        return ERR_TRAILER_NO_MEMORY;
    }
    out = trailer.Bytes();
    uint8_t length[2];
    WriteBE16(length, static_cast<uint16_t>(trailer.Size()));
    out.insert(out.end(), length, length + 2);
    const auto foreign = m_buffer.begin() + static_cast<ptrdiff_t>(m_dataLength);
    out.insert(out.end(), foreign, foreign + static_cast<ptrdiff_t>(m_foreignLength));

    const int err = WriteTail(file, out.data(), out.size());
    // A write that failed part way (a full disk, a file size limit) is undone:
    // the old trailer goes back in place, so the file is as it was. The image
    // data before the trailer is never written either way.
    if (err != 0) {
        const size_t oldAt = static_cast<size_t>(m_insertAt - m_bufferOffset);
        WriteTail(file, m_buffer.data() + oldAt, m_buffer.size() - oldAt);
    }
    return err;
}

// Writes the bytes from the insertion point on and cuts the file after
// them; leftovers of a longer old trailer after the foreign trailer would
// hide both trailers from the next read.
int CImageTrailer::WriteTail(File& file, const uint8_t* bytes, size_t size) {
    if (uint32_t err = file.Seek(static_cast<int64_t>(m_insertAt), FILE_BEGIN)) return static_cast<int>(err);
    uint32_t done = 0;
    if (uint32_t err = file.Write(bytes, static_cast<uint32_t>(size), done)) return static_cast<int>(err);
    if (done != size) return ERR_TRAILER_SHORT_WRITE;
    if (uint32_t err = file.SetEndOfFile()) return static_cast<int>(err);
    return 0;
}
