#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "platform/base/DeviceFolder.h"

// The category database file, read and written whole. Numbers big-endian.
//
//   offset  size    content
//   0       2       format version, 00 01
//   2       2       zero
//   4       46 * n  n category records, sorted by name (_stricmp order)
//
// A category record:
//
//   offset  size  content
//   0       8     id (RecordId)
//   8       4     modified (Seconds1904)
//   12      1     deleted: 0 live, other values deleted
//   13      1     reserved, written 0 and carried along
//   14      32    name in Windows-1252, NUL-terminated, at most 31 bytes;
//                 byte 45 is always 0
//
// Deleting a category only sets its flag, so that a merge with another copy
// of the file carries the deletion over; old deleted records are purged.
//
// Files that do not keep to this are read defensively: a name without a NUL
// ends at byte 44, and a trailing partial record (length not 4 + 46n) is
// ignored and dropped at the next save.

constexpr int32_t ERR_CATEGORY_DB_VERSION = -10102;

constexpr size_t CATEGORY_DB_HEADER_SIZE = 4;
constexpr size_t CATEGORY_RECORD_SIZE = 46;
constexpr size_t CATEGORY_NAME_AREA = 32;
constexpr size_t CATEGORY_NAME_MAX = CATEGORY_NAME_AREA - 1;
// Deleted records older than this many seconds are purged.
constexpr uint32_t CATEGORY_PURGE_AGE = 2592000;

struct CategoryRecord {
    RecordId id{};
    Seconds1904 modified = 0;
    uint8_t deleted = 0;
    uint8_t reserved = 0;
    // The stored bytes as they are; AnsiName() stops at the first NUL.
    std::array<uint8_t, CATEGORY_NAME_AREA> name{};

    static CategoryRecord FromBytes(const uint8_t* record);
    void ToBytes(uint8_t* record) const;

    bool IsLive() const { return deleted == 0; }
    std::string AnsiName() const;
    std::u16string Name() const;
    // Converts to Windows-1252 through the 32-byte area: 31 bytes at most.
    void SetName(std::u16string_view name);
};

// The handheld's category database: the file's bytes in one buffer. Names
// compare case-insensitively as _stricmp does; ids compare bytewise.
class CCategoryDB {
public:
    CCategoryDB() = default;
    // Saves pending changes.
    ~CCategoryDB();
    CCategoryDB(const CCategoryDB&) = delete;
    CCategoryDB& operator=(const CCategoryDB&) = delete;

    // Loads a handheld path of the current (or given) device folder. A missing
    // or zero-length file is an empty database and gives 0. Otherwise 0,
    // ERR_CATEGORY_DB_VERSION (the bytes stay loaded, but are never saved
    // over), ERROR_NOT_ENOUGH_MEMORY, or the error from opening or reading.
    int32_t Load(std::u16string_view path);
    int32_t Load(const DeviceFolder& device, std::u16string_view path);
    // Loads a host file (kvtool's --db).
    int32_t LoadHost(const std::string& hostPath);
    // A database image held in memory (desktop copies, fuzzing); not bound to
    // any file, so Save writes nothing.
    int32_t LoadFromMemory(const uint8_t* data, size_t size);

    // Writes the buffer when it changed: to a temporary file beside the
    // database, which then takes the database's place. On failure the old
    // file stays and the changes stay pending. Returns 0 or the error;
    // a read-only or unbound database writes nothing and gives 0.
    int32_t Save();
    // As Save, but the bytes go to write (which returns 0 or the error), for
    // copies kept elsewhere; it may be used whether or not a file is bound.
    int32_t SaveTo(const std::function<uint32_t(const std::vector<uint8_t>&)>& write);

    // The bytes of the database as they would be saved; empty when there is
    // no database yet.
    const std::vector<uint8_t>& Image() const { return m_buffer; }
    bool IsDirty() const { return m_dirty; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool IsReadOnly() const { return m_readOnly; }
    // The clock behind modified times and purging (tests make it stand still).
    void SetClock(std::function<Seconds1904()> clock) { m_clock = std::move(clock); }

    size_t Count() const;
    size_t LiveCount() const;
    CategoryRecord RecordAt(size_t index) const;

    // 0, or -1 when memory runs out.
    int32_t Add(std::u16string_view name, RecordId& id);
    int32_t AddWithId(std::u16string_view name, const RecordId& id);
    // False when no record has the id.
    bool Rename(const RecordId& id, std::u16string_view name);
    bool Delete(const RecordId& id);

    // These see live and deleted records.
    bool Exists(const RecordId& id) const;
    bool Get(const RecordId& id, CategoryRecord& record) const;
    bool NameOf(const RecordId& id, std::u16string& name) const;
    // Live records only; index counts the live records before it.
    bool NameAndIndexOf(const RecordId& id, std::u16string& name, size_t& index) const;
    // Compares two names as the database does: their stored forms,
    // case-insensitively (_stricmp). Zero when they would collide.
    static int CompareNames(std::u16string_view a, std::u16string_view b);
    // A live record with this name, or CATEGORY_ID_UNFILED.
    RecordId FindByName(std::u16string_view name) const;
    // The n-th live record in name order (from 0), or CATEGORY_ID_UNFILED.
    RecordId NthLive(size_t n) const;

    // Live records in name order: start with cursor 0, call until false.
    bool NextLive(size_t& cursor, CategoryRecord& record, std::u16string& name) const;

    // Takes a record from another copy of the database: it replaces the
    // record with its id only when it is newer, else it is inserted.
    // 0, or -1 when memory runs out.
    int32_t Merge(const CategoryRecord& record);
    // Merges every record of another copy, in its order. 0, or -1.
    int32_t MergeAll(const CCategoryDB& other);
    // Replaces all records by another copy's and marks the database changed;
    // the file it is bound to stays. A copy without records leaves it empty,
    // and an empty database is never written. 0, or -1.
    int32_t CopyFrom(const CCategoryDB& other);
    // Removes deleted records modified more than 30 days before now.
    void Purge();

private:
    const uint8_t* RecordPtr(size_t index) const;
    uint8_t* RecordPtr(size_t index);
    std::optional<size_t> IndexOf(const RecordId& id) const;
    std::string_view NameAt(size_t index) const;
    bool IsLiveAt(size_t index) const;
    size_t InsertionPlace(std::string_view name) const;
    std::optional<size_t> FindLiveByName(std::string_view name) const;
    int32_t Insert(const CategoryRecord& record);
    void MoveToSortedPlace(size_t index);
    Seconds1904 Now() const;
    Seconds1904 NextModified(Seconds1904 previous) const;
    int32_t TakeBytes(std::vector<uint8_t>& bytes);

    std::vector<uint8_t> m_buffer;
    std::optional<DeviceFolder> m_device;
    std::u16string m_path;
    bool m_dirty = false;
    bool m_readOnly = false;
    bool m_versionOk = true;
    std::function<Seconds1904()> m_clock;
};
