#include "catalogue/TrailerEdits.h"

#include <chrono>
#include <thread>
#include <vector>

#include "catalogue/ImageTrailer.h"
#include "catalogue/ThumbnailBitmap.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {

// A thumbnail being made reads the photo for a moment; an edit waits for
// that read to end rather than failing, within a bound.
constexpr auto SHARED_READ_WAIT = std::chrono::seconds(3);

uint32_t OpenForEdit(File& file, std::u16string_view path) {
    const auto deadline = std::chrono::steady_clock::now() + SHARED_READ_WAIT;
    for (;;) {
        const uint32_t err = file.Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
        if (err != ERROR_SHARING_VIOLATION || std::chrono::steady_clock::now() >= deadline) return err;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Opens the file, builds a new trailer from its current record and writes it.
template <typename Build>
int EditTrailer(std::u16string_view path, uint32_t flags, Build build) {
    File file;
    if (uint32_t err = OpenForEdit(file, path)) {
        return static_cast<int>(err);
    }
    CImageTrailer trailer;
    const TrailerRecord* old = trailer.Read(file);
    TrailerBuffer buffer;
    if (int err = build(old, buffer)) return err;
    return trailer.Write(file, buffer, flags);
}

// The old record (or a zero record) with one field changed by `change`.
template <typename Change>
int EditRecord(std::u16string_view path, Change change) {
    return EditTrailer(path, TRAILER_KEEP_NEW_RECORD,
                       [&](const TrailerRecord* old, TrailerBuffer& buffer) {
                           TrailerRecord record = old ? *old : TrailerRecord{};
                           change(record);
                           return NewTrailer(&record, buffer);
                       });
}

}  // namespace

int SetTrailerCategory(std::u16string_view path, const RecordId& category) {
    return EditRecord(path, [&](TrailerRecord& r) { r.category = category; });
}

int SetTrailerPrivate(std::u16string_view path, bool isPrivate) {
    return EditRecord(path, [&](TrailerRecord& r) { r.privateFlag = isPrivate ? 1 : 0; });
}

int SetTrailerNote(std::u16string_view path, std::u16string_view note) {
    const std::string stored = NoteToStored(note);
    return EditTrailer(path, TRAILER_DROP_OLD_STRINGS,
                       [&](const TrailerRecord*, TrailerBuffer& buffer) {
                           if (int err = NewTrailer(nullptr, buffer)) return err;
                           return AddString(buffer, stored);
                       });
}

int StoreTrailerThumbnail(File& file, const ScreenBitmap& thumbnail) {
    std::vector<uint8_t> payload;
    if (int err = EncodeThumbnail(thumbnail, payload)) return err;
    CImageTrailer trailer;
    TrailerBuffer buffer;
    if (int err = NewTrailer(nullptr, buffer)) return err;
    TrailerBlock block;
    block.header.type = THUMBNAIL_BLOCK_TYPE;
    block.header.tag = THUMBNAIL_BLOCK_TAG;
    block.payload = payload;
    if (int err = AddBlock(buffer, block)) return err;
    return trailer.Write(file, buffer, TRAILER_DROP_OLD_BLOCKS);
}

std::string NoteToStored(std::u16string_view note) {
    std::u16string lines;
    lines.reserve(note.size());
    for (char16_t c : note) {
        if (c == u'\0') break;  // a NUL would end the stored string early anyway
        if (c != u'\r') lines += c;
    }
    std::string ansi = Utf16ToAnsi(lines);
    if (ansi.size() > NOTE_MAX_STORED) ansi.resize(NOTE_MAX_STORED);
    return ansi;
}

std::u16string NoteFromStored(std::string_view stored) {
    const std::u16string text = AnsiToUtf16(stored);
    std::u16string shown;
    shown.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) shown += u'\r';
        shown += text[i];
    }
    return shown;
}
