#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The record of what was in step after the last run of one location: the
// file "_LastSyncCache" in the desktop location folder. Little-endian:
//   0  version (16-bit, 1), 2 zero, 4 location name (32 bytes, NUL-ended),
//   36, 40 two reserved words, 44 the Seconds1904 it was written at,
//   48 entries of 100 bytes: handheld folder (48 bytes, NUL-ended),
//      file time (Seconds1904), file name (48 bytes, NUL-ended).
// Entries are sorted by name, then folder, both with _stricmp. Names and
// folders are held in the handheld's ANSI code page.
class CLastSyncCache {
public:
    static constexpr char kFileName[] = "_LastSyncCache";
    static constexpr size_t kHeaderSize = 48;
    static constexpr size_t kEntrySize = 100;
    static constexpr size_t kFieldSize = 48;     // folder and name fields
    static constexpr size_t kMaxFieldText = 47;  // characters before the NUL
    static constexpr size_t kLocationNameSize = 32;
    static constexpr uint16_t kVersion = 1;

    struct Entry {
        std::string folder;
        uint32_t time = 0;
        std::string name;
    };

    // Takes a file image; false (and an empty cache) when it is no cache of
    // this version. Entries beyond the last whole one are ignored.
    bool LoadImage(const uint8_t* data, size_t size);
    // Reads the file; false when it is missing, unreadable or not version 1.
    bool Load(const std::string& hostPath);

    // The entry for (name, folder), or null.
    const Entry* Find(const std::string& name, const std::string& folder) const;
    // Adds or, when present, replaces the entry of (name, folder). Texts
    // longer than their fields are refused (false).
    bool Put(const std::string& folder, uint32_t time, const std::string& name);

    std::vector<uint8_t> Image(const std::string& locationName, uint32_t reserved1,
                               uint32_t reserved2, uint32_t writtenAt) const;

    // In order.
    const std::vector<Entry>& Entries() const;

private:
    // (name, folder), ordered as _stricmp orders them; a file written
    // elsewhere may hold one pair twice, and both are kept.
    using Key = std::pair<std::string, std::string>;
    struct Less {
        bool operator()(const Key& a, const Key& b) const;
    };

    // A tree, so that a record of tens of thousands of photos is filled
    // without moving its entries for every insertion.
    std::multimap<Key, Entry, Less> m_entries;
    mutable std::vector<Entry> m_list;
    mutable bool m_listStale = false;
};
