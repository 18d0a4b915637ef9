#pragma once
// Small image files on a temporary device, for the image list and file
// operation tests.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "catalogue/ImageItem.h"
#include "platform/base/Text.h"
#include "tests/catalogue/TrailerFixtures.h"
#include "tests/support/TestSupport.h"

namespace image_files {

// A 40 x 30 baseline JPEG.
inline std::vector<uint8_t> PlainJpeg() { return ReadHostFile(FixturePath("catalogue/plain.jpg")); }

// The plain JPEG with another width in its frame header.
inline std::vector<uint8_t> JpegOfWidth(uint16_t width) {
    std::vector<uint8_t> bytes = PlainJpeg();
    for (size_t i = 2; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 7] = static_cast<uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    }
    return bytes;
}

struct TrailerValues {
    std::string note;
    uint16_t privateFlag = 0;
    Seconds1904 date = 0x01020304;
    RecordId category = CATEGORY_ID_UNFILED;
};

inline TrailerValues Noted(std::string note) {
    TrailerValues values;
    values.note = std::move(note);
    return values;
}
inline TrailerValues Private() {
    TrailerValues values;
    values.privateFlag = 1;
    return values;
}
inline TrailerValues Dated(Seconds1904 date) {
    TrailerValues values;
    values.date = date;
    return values;
}
inline TrailerValues Filed(const RecordId& category) {
    TrailerValues values;
    values.category = category;
    return values;
}

inline std::vector<uint8_t> WithTrailer(std::vector<uint8_t> jpeg, const TrailerValues& values) {
    return trailer_fixtures::Concat(
        std::move(jpeg), trailer_fixtures::RawTrailer(TRAILER_VERSION, {values.note}, {},
                                                      values.privateFlag, values.date, values.category));
}

inline std::string HostRelative(std::u16string_view path) {
    std::string host = Utf16ToUtf8(path.substr(path.starts_with(u"\\") ? 1 : 0));
    for (char& c : host) c = c == '\\' ? '/' : c;
    return host;
}

inline void PutFile(const TempDevice& device, std::u16string_view path, const std::vector<uint8_t>& bytes) {
    WriteHostFile(device.Host(HostRelative(path)), bytes);
}

inline bool HostExists(const TempDevice& device, std::u16string_view path) {
    return std::filesystem::exists(device.Host(HostRelative(path)));
}

// A record read from its file, as the scanner makes them.
inline std::unique_ptr<CImageItem> RecordOf(std::u16string_view path, bool removable = false) {
    auto record = std::make_unique<CImageItem>();
    record->InitFromFile(path, removable);
    return record;
}

// A record that knows only its path and category, as from a file-list cache.
inline std::unique_ptr<CImageItem> CachedRecord(std::u16string_view path,
                                                const RecordId& category = CATEGORY_ID_UNFILED) {
    const size_t slash = path.rfind(u'\\');
    auto record = std::make_unique<CImageItem>();
    record->InitFromCacheEntry(path.substr(0, slash), path.substr(slash + 1), category, false);
    return record;
}

}  // namespace image_files
