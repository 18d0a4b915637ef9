#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueTypes.h"

class DeviceFolder;

// A list file: a header and entries one after another. Numbers little-endian.
//
//   offset  size  content
//   0       20    header: byte 0 is the format version, the rest zero
//   20      rest  entries to the end of the file; no count, no gaps
//
// The kind of list decides which versions it accepts and what an entry holds.

constexpr size_t LIST_FILE_HEADER_SIZE = 20;

// One entry of a list file.
class CListEntry {
public:
    virtual ~CListEntry() = default;
    // Decodes the entry at data, knowing the file's version byte. Returns the
    // position just after it, or nullptr when the entry runs past end.
    virtual const uint8_t* ReadEntry(const uint8_t* data, const uint8_t* end, uint8_t version) = 0;
    // Appends the entry's stored bytes.
    virtual void WriteEntry(std::vector<uint8_t>& out) const = 0;
};

// Owns its entries. Reading and writing return 0 or a Windows error number.
class CListFile {
public:
    CListFile() = default;
    virtual ~CListFile() = default;
    CListFile(const CListFile&) = delete;
    CListFile& operator=(const CListFile&) = delete;

    virtual std::unique_ptr<CListEntry> CreateEntry() const = 0;
    virtual void AddEntry(std::unique_ptr<CListEntry> entry);
    virtual bool AcceptVersion(uint8_t version) const = 0;

    // Reads the whole file: ERROR_INVALID_DATA when it is shorter than the
    // header or its version is not accepted. Entries are decoded to the end
    // of the data; one that runs past the end ends the reading.
    uint32_t Read(const DeviceFolder& device, std::u16string_view path);
    uint32_t ReadFromMemory(const uint8_t* data, size_t size);
    // Writes the file anew (through a temporary file, so a failed write
    // leaves any old file as it was).
    uint32_t Write(const DeviceFolder& device, std::u16string_view path) const;
    std::vector<uint8_t> Serialize() const;

    uint8_t Version() const { return m_header[0]; }
    // A new header of this version with the other bytes zero.
    void SetVersion(uint8_t version);
    const std::array<uint8_t, LIST_FILE_HEADER_SIZE>& Header() const { return m_header; }
    size_t Count() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

protected:
    const CListEntry& EntryAt(size_t index) const { return *m_entries[index]; }

private:
    std::array<uint8_t, LIST_FILE_HEADER_SIZE> m_header{};
    std::vector<std::unique_ptr<CListEntry>> m_entries;
};

// A list file whose entries are all of one kind.
template <class Entry>
class TListFile : public CListFile {
public:
    std::unique_ptr<CListEntry> CreateEntry() const override { return std::make_unique<Entry>(); }
    const Entry& At(size_t index) const { return static_cast<const Entry&>(EntryAt(index)); }
};

// UTF-16LE text ending in a 0 character, as list entries store names.
// ReadUtf16Z returns nullptr when no 0 character comes before end.
const uint8_t* ReadUtf16Z(const uint8_t* data, const uint8_t* end, std::u16string& text);
void WriteUtf16Z(std::vector<uint8_t>& out, std::u16string_view text);
