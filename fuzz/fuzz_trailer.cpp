// Parses arbitrary bytes as the tail of an image file, walks its strings and
// blocks, decodes any thumbnail, and checks that a trailer rebuilt from what
// was read reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "catalogue/ImageTrailer.h"
#include "catalogue/ScreenBitmap.h"
#include "catalogue/ThumbnailBitmap.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    ScreenBitmap picture;
    DecodeThumbnail(input, picture);

    CImageTrailer trailer;
    const TrailerRecord* record = trailer.Parse(input, 0);
    if (trailer.InsertionPoint() > size) __builtin_trap();
    if (!record) return 0;
    if (auto thumbnail = trailer.FindThumbnail()) DecodeThumbnail(*thumbnail, picture);
    if (size > 0) trailer.FindBlock(data[0]);
    const Contents read = ReadAll(trailer);
    CheckRebuild(*record, read);
    return 0;
}
