// Parses arbitrary bytes as the tail of an image file, walks its strings and
// blocks, decodes any thumbnail, and checks that a trailer rebuilt from what
// was read reads back the same. Then writes a new trailer with a note and a
// thumbnail into a real file ending in those bytes, merged with the old one
// as flags from the input say, and checks what the file then holds: the
// bytes before the old trailer untouched, the record's fields, the strings
// and the blocks (type, tag, payload) in their order, and the other vendor's
// trailer still last; a refused write leaves the file as it was.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "catalogue/ImageTrailer.h"
#include "catalogue/ScreenBitmap.h"
#include "catalogue/ThumbnailBitmap.h"
#include "platform/base/File.h"

namespace {

struct Contents {
    std::vector<std::string> strings;
    std::vector<std::vector<uint8_t>> blocks;
};

Contents ReadAll(CImageTrailer& trailer) {
    Contents out;
    while (auto s = trailer.NextString()) out.strings.emplace_back(*s);
    while (auto block = trailer.NextBlock()) {
        out.blocks.emplace_back(block->payload.begin(), block->payload.end());
        if (block->header.type == THUMBNAIL_BLOCK_TYPE) {
            ScreenBitmap picture;
            DecodeThumbnail(block->payload, picture);
        }
    }
    return out;
}

bool EndsLikeForeignTrailer(const std::vector<uint8_t>& bytes) {
    static const char mark[] = "ARCPHOTOBASE";
    return bytes.size() >= FOREIGN_TRAILER_SIZE &&
           std::memcmp(bytes.data() + bytes.size() - 20, mark, 12) == 0;
}

void CheckRebuild(const TrailerRecord& record, const Contents& read) {
    TrailerRecord copy = record;
    TrailerBuffer buffer;
    if (NewTrailer(&copy, buffer) != 0) return;
    for (const auto& s : read.strings) {
        if (AddString(buffer, s) != 0) return;
    }
    for (const auto& payload : read.blocks) {
        TrailerBlock block;
        block.header.type = THUMBNAIL_BLOCK_TYPE;
        block.payload = payload;
        if (AddBlock(buffer, block) != 0) return;
    }
    if (buffer.Size() > TRAILER_MAX_SIZE) return;
    std::vector<uint8_t> bytes = buffer.Bytes();
    bytes.push_back(static_cast<uint8_t>(buffer.Size() >> 8));
    bytes.push_back(static_cast<uint8_t>(buffer.Size()));
    // A payload may by chance end like the other vendor's trailer.
    if (EndsLikeForeignTrailer(bytes)) return;
    CImageTrailer again;
    if (!again.Parse(bytes, 0)) __builtin_trap();
    const Contents back = ReadAll(again);
    if (back.strings != read.strings || back.blocks != read.blocks) __builtin_trap();
}

struct Block {
    uint16_t type;
    std::array<uint8_t, 2> tag;
    std::vector<uint8_t> payload;
    bool operator==(const Block&) const = default;
};

const std::string& ScratchPath() {
    static const std::string path = [] {
        char dir[] = "/tmp/fuzz_trailer.XXXXXX";
        const char* made = mkdtemp(dir);
        return std::string(made ? made : "/tmp") + "/photo.jpg";
    }();
    return path;
}

// The start of a photo: what lies before the tail is never written.
constexpr uint8_t kHead[] = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x0A, 'K', 'V', 'f', 'u', 'z', 'z', 0, 0};

bool ReadWhole(File& file, std::vector<uint8_t>& bytes) {
    uint64_t size = 0;
    uint32_t done = 0;
    if (file.GetSize(size) || file.Seek(0, FILE_BEGIN)) return false;
    bytes.resize(size_t(size));
    return file.Read(bytes.data(), uint32_t(size), done) == 0 && done == size;
}

std::vector<Block> BlocksOf(CImageTrailer& trailer) {
    std::vector<Block> out;
    while (auto b = trailer.NextBlock())
        out.push_back({b->header.type, b->header.tag, {b->payload.begin(), b->payload.end()}});
    return out;
}

// The new trailer: a record whose fields and a note come from the input,
// and a thumbnail of a size the input chooses.
struct NewContents {
    TrailerRecord record;
    std::string note;
    std::vector<uint8_t> thumbnail;
};

NewContents MakeNew(const uint8_t* data, size_t size) {
    NewContents n;
    uint8_t packed[TRAILER_RECORD_SIZE] = {};
    std::memcpy(packed, data + 2, std::min<size_t>(size - 2, sizeof packed));
    n.record = TrailerRecord::Unpack(packed);
    const size_t noteAt = std::min<size_t>(size, 2 + sizeof packed);
    const size_t noteLength = std::min<size_t>(data[1], size - noteAt);
    n.note.assign(reinterpret_cast<const char*>(data + noteAt), noteLength);
    n.note.resize(std::strlen(n.note.c_str()));  // a NUL would end the string
    ScreenBitmap picture;
    picture.width = 1 + (data[1] & 63);
    picture.height = 1 + (data[0] >> 4);
    picture.pixels.assign(size_t(picture.width) * picture.height, 0);
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint32_t(i * 2654435761u);
    EncodeThumbnail(picture, n.thumbnail);
    return n;
}

void CheckWrite(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const uint32_t flags = data[0] & (TRAILER_KEEP_NEW_RECORD | TRAILER_DROP_OLD_STRINGS | TRAILER_DROP_OLD_BLOCKS);
    std::vector<uint8_t> before(kHead, kHead + sizeof kHead);
    before.insert(before.end(), data, data + size);
    File file;
    uint32_t done = 0;
    if (file.OpenHost(ScratchPath(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS) ||
        file.Write(before.data(), uint32_t(before.size()), done) || done != before.size())
        return;

    CImageTrailer old;
    const TrailerRecord* oldRecord = old.Parse(before, 0);
    std::vector<std::string> oldStrings;
    while (auto s = old.NextString()) oldStrings.emplace_back(*s);
    const std::vector<Block> oldBlocks = BlocksOf(old);

    NewContents n = MakeNew(data, size);
    TrailerRecord record = n.record;
    TrailerBuffer buffer;
    if (NewTrailer(&record, buffer) || AddString(buffer, n.note)) return;
    const Block thumb{THUMBNAIL_BLOCK_TYPE, THUMBNAIL_BLOCK_TAG, n.thumbnail};
    if (AddBlock(buffer, {{thumb.type, thumb.tag, 0}, thumb.payload})) return;

    CImageTrailer writer;
    const int result = writer.Write(file, buffer, flags);
    std::vector<uint8_t> after;
    if (!ReadWhole(file, after)) __builtin_trap();
    if (result != 0) {
        if (after != before) __builtin_trap();
        return;
    }
    const size_t insertAt = size_t(old.InsertionPoint());
    if (after.size() < insertAt || !std::equal(before.begin(), before.begin() + ptrdiff_t(insertAt), after.begin()))
        __builtin_trap();
    const size_t foreign = old.ForeignLength();
    if (!std::equal(before.end() - ptrdiff_t(foreign), before.end(), after.end() - ptrdiff_t(foreign)))
        __builtin_trap();

    // What the file should now hold.
    const bool merged = oldRecord != nullptr;
    std::vector<std::string> strings{n.note};
    if (merged && !(flags & TRAILER_DROP_OLD_STRINGS)) strings.insert(strings.end(), oldStrings.begin(), oldStrings.end());
    std::vector<Block> blocks{thumb};
    if (merged && !(flags & TRAILER_DROP_OLD_BLOCKS)) blocks.insert(blocks.end(), oldBlocks.begin(), oldBlocks.end());
    const TrailerRecord& source = merged && !(flags & TRAILER_KEEP_NEW_RECORD) ? *oldRecord : record;

    CImageTrailer again;
    const TrailerRecord* got = again.Parse(after, 0);
    // A payload may by chance end like the other vendor's trailer.
    if (!got && foreign == 0 && EndsLikeForeignTrailer(after)) return;
    if (!got || again.InsertionPoint() != insertAt || again.ForeignLength() != foreign) __builtin_trap();
    if (got->version != TRAILER_VERSION || got->privateFlag != source.privateFlag ||
        got->category != source.category || got->stringOffset != TRAILER_RECORD_SIZE)
        __builtin_trap();
    if (source.date ? got->date != source.date : got->date == 0) __builtin_trap();
    if (source.uniqueId != RecordId{} ? got->uniqueId != source.uniqueId : got->uniqueId == RecordId{})
        __builtin_trap();
    std::vector<std::string> gotStrings;
    while (auto s = again.NextString()) gotStrings.emplace_back(*s);
    if (gotStrings != strings || BlocksOf(again) != blocks) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    ScreenBitmap picture;
    DecodeThumbnail(input, picture);

    CImageTrailer trailer;
    const TrailerRecord* record = trailer.Parse(input, 0);
    if (trailer.InsertionPoint() > size) __builtin_trap();
    CheckWrite(data, size);
    if (!record) return 0;
    if (auto thumbnail = trailer.FindThumbnail()) DecodeThumbnail(*thumbnail, picture);
    if (size > 0) trailer.FindBlock(data[0]);
    const Contents read = ReadAll(trailer);
    CheckRebuild(*record, read);
    return 0;
}
