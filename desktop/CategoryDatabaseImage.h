#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One copy of the category database as the library holds it: the whole
// file image. Header 00 01 00 00, then 46-byte records sorted by name with
// _stricmp: id (8 bytes), modified (Seconds1904, big-endian), deleted flag,
// a reserved byte, name (32 bytes, NUL-ended).
class CCategoryDatabaseImage {
public:
    static constexpr size_t kHeaderSize = 4;
    static constexpr size_t kRecordSize = 46;
    static constexpr uint16_t kVersion = 256;  // bytes 00 01 read little-endian
    static constexpr uint32_t kPurgeAge = 2592000;  // 30 days
    static constexpr int32_t kWrongVersion = -10102;

    // Takes a file image. 0, or kWrongVersion (the image is kept). Bytes
    // after the last whole record are dropped.
    int32_t LoadImage(const uint8_t* data, size_t size);
    // Desktop copy: a missing file is an empty database.
    int32_t LoadDesktop(const std::string& hostPath);
    // Handheld copy: a file that cannot be opened is an empty database.
    int32_t LoadHandheld(const std::u16string& path);
    // Binds to the handheld file without reading it.
    void BindHandheld(const std::u16string& path);

    bool Empty() const { return m_data.empty(); }
    bool Changed() const { return m_changed; }
    size_t RecordCount() const;
    const uint8_t* Record(size_t index) const;
    const std::vector<uint8_t>& Data() const { return m_data; }

    // A newer record with the same id replaces the older one (and moves to
    // its name's place); an unknown id is inserted at its name's place.
    int32_t MergeRecord(const uint8_t* record);
    int32_t MergeAll(const CCategoryDatabaseImage& from);
    int32_t CopyFrom(const CCategoryDatabaseImage& from);
    // Removes records deleted more than 30 days before now.
    void Purge(uint32_t now);

    // Writes the image when it holds data and has changed. The desktop file
    // and the handheld file are both replaced through a temporary file and
    // a rename. 0 or the error.
    uint32_t Save();

private:
    void InsertSorted(const uint8_t* record);
    uint32_t SaveDesktop() const;
    uint32_t SaveHandheld() const;

    std::vector<uint8_t> m_data;
    bool m_changed = false;
    bool m_onHandheld = false;
    std::string m_desktopPath;
    std::u16string m_handheldPath;
};
