#pragma once
// Byte builders shared by the trailer and image record tests.
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "catalogue/ImageTrailer.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"

namespace trailer_fixtures {

inline const std::u16string kImagePath = u"\\My Documents\\Kestrelview\\a.jpg";
inline const std::string kImageHost = "My Documents/Kestrelview/a.jpg";

// Stands in for JPEG data: the trailer code never looks inside it.
inline std::vector<uint8_t> JpegBody(size_t size = 1000) {
    std::vector<uint8_t> body(size);
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<uint8_t>(i * 7 + 3);
    body[0] = 0xFF;
    body[1] = 0xD8;
    body[size - 2] = 0xFF;
    body[size - 1] = 0xD9;
    return body;
}

// Another vendor's 308-byte trailer: its last 20 bytes begin with the mark.
inline std::vector<uint8_t> ForeignTrailer() {
    std::vector<uint8_t> foreign(FOREIGN_TRAILER_SIZE);
    for (size_t i = 0; i < foreign.size(); ++i) foreign[i] = static_cast<uint8_t>(0xA0 ^ i);
    const std::string mark = "ARCPHOTOBASE";
    std::copy(mark.begin(), mark.end(), foreign.end() - 20);
    return foreign;
}

struct RawBlock {
    uint16_t type;
    uint8_t tag0, tag1;
    std::vector<uint8_t> payload;
};

// A trailer written byte by byte, with its length field, so that tests do
// not depend on the writer under test.
inline std::vector<uint8_t> RawTrailer(uint16_t version, const std::vector<std::string>& strings,
                                       const std::vector<RawBlock>& blocks = {},
                                       uint16_t privateFlag = 0, Seconds1904 date = 0x01020304,
                                       RecordId category = {1, 2, 3, 4, 5, 6, 7, 8},
                                       RecordId uniqueId = {9, 9, 9, 9, 9, 9, 9, 9}) {
    std::vector<uint8_t> out(TRAILER_ID.begin(), TRAILER_ID.end());
    std::vector<uint8_t> area;
    for (const auto& s : strings) {
        area.insert(area.end(), s.begin(), s.end());
        area.push_back(0);
    }
    uint8_t record[TRAILER_RECORD_SIZE] = {};
    WriteBE16(record, version);
    WriteBE16(record + 2, privateFlag);
    WriteBE32(record + 4, date);
    std::copy(category.begin(), category.end(), record + 8);
    std::copy(uniqueId.begin(), uniqueId.end(), record + 16);
    WriteBE16(record + 24, 28);
    WriteBE16(record + 26, static_cast<uint16_t>(28 + area.size()));
    out.insert(out.end(), record, record + sizeof record);
    out.insert(out.end(), area.begin(), area.end());
    for (const auto& b : blocks) {
        const uint8_t header[6] = {uint8_t(b.type >> 8), uint8_t(b.type), b.tag0, b.tag1,
                                   uint8_t(b.payload.size() >> 8), uint8_t(b.payload.size())};
        out.insert(out.end(), header, header + 6);
        out.insert(out.end(), b.payload.begin(), b.payload.end());
    }
    const size_t length = out.size();
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(length));
    return out;
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The file's creation time as a trailer stores it.
inline Seconds1904 CreationDate(const std::u16string& path) {
    File file;
    if (file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) return 0;
    FileTime created = 0;
    if (file.GetTimes(&created, nullptr, nullptr) != 0) return 0;
    return Seconds1904FromFileTime(created);
}

}  // namespace trailer_fixtures
