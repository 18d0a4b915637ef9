#include "catalogue/CategoryDB.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "catalogue/WholeFile.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

namespace {

constexpr size_t kIdOffset = 0;
constexpr size_t kModifiedOffset = 8;
constexpr size_t kDeletedOffset = 12;
constexpr size_t kReservedOffset = 13;
constexpr size_t kNameOffset = 14;
constexpr uint8_t kVersion[2] = {0x00, 0x01};
// The largest database we hold in memory; real ones are a few kilobytes.
constexpr uint64_t kMaxDatabaseSize = 16u << 20;

std::string ToAnsiName(std::u16string_view name) {
    std::string ansi = Utf16ToAnsi(name);
    if (ansi.size() > CATEGORY_NAME_MAX) ansi.resize(CATEGORY_NAME_MAX);
    // A NUL inside the name would end it early in the record anyway.
    const size_t nul = ansi.find('\0');
    if (nul != std::string::npos) ansi.resize(nul);
    return ansi;
}

// The stored name stops at its NUL, or at byte 44 of the record when a
// damaged record has none: byte 45 is never part of a name.
std::string_view StoredName(const uint8_t* nameArea) {
    const auto* chars = reinterpret_cast<const char*>(nameArea);
    const void* nul = std::memchr(chars, 0, CATEGORY_NAME_MAX);
    const size_t length = nul ? static_cast<const char*>(nul) - chars : CATEGORY_NAME_MAX;
    return std::string_view(chars, length);
}

}  // namespace

CategoryRecord CategoryRecord::FromBytes(const uint8_t* record) {
    CategoryRecord r;
    std::memcpy(r.id.data(), record + kIdOffset, r.id.size());
    r.modified = ReadBE32(record + kModifiedOffset);
    r.deleted = record[kDeletedOffset];
    r.reserved = record[kReservedOffset];
    std::memcpy(r.name.data(), record + kNameOffset, r.name.size());
    return r;
}

void CategoryRecord::ToBytes(uint8_t* record) const {
    std::memcpy(record + kIdOffset, id.data(), id.size());
    WriteBE32(record + kModifiedOffset, modified);
    record[kDeletedOffset] = deleted;
    record[kReservedOffset] = reserved;
    std::memcpy(record + kNameOffset, name.data(), name.size());
}

std::string CategoryRecord::AnsiName() const { return std::string(StoredName(name.data())); }

std::u16string CategoryRecord::Name() const { return AnsiToUtf16(StoredName(name.data())); }

void CategoryRecord::SetName(std::u16string_view text) {
    const std::string ansi = ToAnsiName(text);
    name.fill(0);
    std::memcpy(name.data(), ansi.data(), ansi.size());
}

CCategoryDB::~CCategoryDB() { Save(); }

int32_t CCategoryDB::Load(std::u16string_view path) { return Load(DeviceFolder::Current(), path); }

int32_t CCategoryDB::Load(const DeviceFolder& device, std::u16string_view path) {
    m_device.emplace(device);
    m_path = path;
    m_buffer.clear();
    m_dirty = false;
    m_versionOk = true;
    RecoverTemporaryFile(device, path);
    std::vector<uint8_t> bytes;
    const uint32_t error = ReadWholeFile(device, path, bytes, kMaxDatabaseSize);
    // No file yet, or not even its folder: an empty database.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return 0;
    if (error != 0) return static_cast<int32_t>(error);
    return TakeBytes(bytes);
}

int32_t CCategoryDB::LoadHost(const std::string& hostPath) {
    const size_t slash = hostPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : hostPath.substr(0, slash);
    const std::string name = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
    return Load(DeviceFolder(folder.empty() ? "/" : folder), u"\\" + Utf8ToUtf16(name));
}

int32_t CCategoryDB::LoadFromMemory(const uint8_t* data, size_t size) {
    m_device.reset();
    m_path.clear();
    m_buffer.clear();
    m_dirty = false;
    m_versionOk = true;
    std::vector<uint8_t> bytes;
    try {
        bytes.assign(data, data + size);
    } catch (const std::bad_alloc&) {
        return static_cast<int32_t>(ERROR_NOT_ENOUGH_MEMORY);
    }
    return TakeBytes(bytes);
}

int32_t CCategoryDB::TakeBytes(std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return 0;
    m_versionOk = bytes.size() >= 2 && bytes[0] == kVersion[0] && bytes[1] == kVersion[1];
    // A header cut short reads as if padded with zeros; a partial record at
    // the end is dropped.
    if (bytes.size() < CATEGORY_DB_HEADER_SIZE) {
        bytes.resize(CATEGORY_DB_HEADER_SIZE, 0);
    } else {
        const size_t records = (bytes.size() - CATEGORY_DB_HEADER_SIZE) / CATEGORY_RECORD_SIZE;
        bytes.resize(CATEGORY_DB_HEADER_SIZE + records * CATEGORY_RECORD_SIZE);
    }
    m_buffer = std::move(bytes);
    return m_versionOk ? 0 : ERR_CATEGORY_DB_VERSION;
}

int32_t CCategoryDB::Save() {
    if (!m_device) return 0;
    return SaveTo([this](const std::vector<uint8_t>& bytes) {
        return WriteWholeFileReplacing(*m_device, m_path, bytes);
    });
}

int32_t CCategoryDB::SaveTo(const std::function<uint32_t(const std::vector<uint8_t>&)>& write) {
    if (m_buffer.empty() || !m_dirty || m_readOnly) return 0;
    // A file of another version is not ours to overwrite.
    if (!m_versionOk) return ERR_CATEGORY_DB_VERSION;
    const uint32_t error = write(m_buffer);
    if (error != 0) return static_cast<int32_t>(error);
    m_dirty = false;
    return 0;
}

size_t CCategoryDB::Count() const {
    return m_buffer.empty() ? 0 : (m_buffer.size() - CATEGORY_DB_HEADER_SIZE) / CATEGORY_RECORD_SIZE;
}

size_t CCategoryDB::LiveCount() const {
    size_t live = 0;
    for (size_t i = 0; i < Count(); ++i) live += IsLiveAt(i) ? 1 : 0;
    return live;
}

CategoryRecord CCategoryDB::RecordAt(size_t index) const {
    return CategoryRecord::FromBytes(RecordPtr(index));
}

const uint8_t* CCategoryDB::RecordPtr(size_t index) const {
    return m_buffer.data() + CATEGORY_DB_HEADER_SIZE + index * CATEGORY_RECORD_SIZE;
}

uint8_t* CCategoryDB::RecordPtr(size_t index) {
    return m_buffer.data() + CATEGORY_DB_HEADER_SIZE + index * CATEGORY_RECORD_SIZE;
}

std::string_view CCategoryDB::NameAt(size_t index) const { return StoredName(RecordPtr(index) + kNameOffset); }

bool CCategoryDB::IsLiveAt(size_t index) const { return RecordPtr(index)[kDeletedOffset] == 0; }

std::optional<size_t> CCategoryDB::IndexOf(const RecordId& id) const {
    for (size_t i = 0; i < Count(); ++i) {
        if (std::memcmp(RecordPtr(i) + kIdOffset, id.data(), id.size()) == 0) return i;
    }
    return std::nullopt;
}

// Binary search for the place of a new name: an equal name ends the search
// and the new record goes in front of it; otherwise the place is low.
size_t CCategoryDB::InsertionPlace(std::string_view name) const {
    ptrdiff_t low = 0;
    ptrdiff_t high = static_cast<ptrdiff_t>(Count()) - 1;
    while (low <= high) {
        const ptrdiff_t mid = (low + high) / 2;
        const int c = StrICmpAnsi(name, NameAt(static_cast<size_t>(mid)));
        if (c == 0) return static_cast<size_t>(mid);
        if (c < 0) {
            high = mid - 1;
        } else {
            low = mid + 1;
        }
    }
    return static_cast<size_t>(low);
}

// The same binary search, where a deleted record of an equal name counts as
// greater. Equal names can sit on both sides of a deleted one the search
// lands on, so when it misses, the run of equal names where it ended is
// searched for a live record as well.
std::optional<size_t> CCategoryDB::FindLiveByName(std::string_view name) const {
    const size_t n = Count();
    ptrdiff_t low = 0;
    ptrdiff_t high = static_cast<ptrdiff_t>(n) - 1;
    while (low <= high) {
        const ptrdiff_t mid = (low + high) / 2;
        const size_t at = static_cast<size_t>(mid);
        int c = StrICmpAnsi(name, NameAt(at));
        if (c == 0 && IsLiveAt(at)) return at;
        if (c == 0) c = -1;
        if (c < 0) {
            high = mid - 1;
        } else {
            low = mid + 1;
        }
    }
    auto equal = [&](size_t i) { return StrICmpAnsi(name, NameAt(i)) == 0; };
    size_t first = static_cast<size_t>(low);
    while (first > 0 && equal(first - 1)) --first;
    for (size_t i = first; i < n && equal(i); ++i) {
        if (IsLiveAt(i)) return i;
    }
    return std::nullopt;
}

int32_t CCategoryDB::Insert(const CategoryRecord& record) {
    try {
        if (m_buffer.empty()) m_buffer.assign({kVersion[0], kVersion[1], 0, 0});
        const size_t place = InsertionPlace(record.AnsiName());
        const auto at = m_buffer.begin() + static_cast<ptrdiff_t>(CATEGORY_DB_HEADER_SIZE +
                                                                  place * CATEGORY_RECORD_SIZE);
        uint8_t bytes[CATEGORY_RECORD_SIZE];
        record.ToBytes(bytes);
        m_buffer.insert(at, bytes, bytes + CATEGORY_RECORD_SIZE);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    m_dirty = true;
    return 0;
}

// Takes the record out and puts it back where its name now belongs.
void CCategoryDB::MoveToSortedPlace(size_t index) {
    uint8_t bytes[CATEGORY_RECORD_SIZE];
    std::memcpy(bytes, RecordPtr(index), CATEGORY_RECORD_SIZE);
    const auto begin = m_buffer.begin() + static_cast<ptrdiff_t>(CATEGORY_DB_HEADER_SIZE);
    const auto size = static_cast<ptrdiff_t>(CATEGORY_RECORD_SIZE);
    const auto taken = begin + static_cast<ptrdiff_t>(index) * size;
    std::copy(taken + size, m_buffer.end(), taken);
    m_buffer.resize(m_buffer.size() - CATEGORY_RECORD_SIZE);
    // Inserting back into a buffer that held it a moment ago needs no memory.
    const size_t place = InsertionPlace(StoredName(bytes + kNameOffset));
    m_buffer.insert(m_buffer.begin() + static_cast<ptrdiff_t>(CATEGORY_DB_HEADER_SIZE) +
                        static_cast<ptrdiff_t>(place) * size,
                    bytes, bytes + CATEGORY_RECORD_SIZE);
}

Seconds1904 CCategoryDB::Now() const { return m_clock ? m_clock() : Seconds1904Now(); }

// Every change moves a record's time forward, even within one second.
Seconds1904 CCategoryDB::NextModified(Seconds1904 previous) const {
    const Seconds1904 now = Now();
    return now > previous ? now : previous + 1;
}

int32_t CCategoryDB::Add(std::u16string_view name, RecordId& id) {
    id = NewRecordId();
    return AddWithId(name, id);
}

int32_t CCategoryDB::AddWithId(std::u16string_view name, const RecordId& id) {
    CategoryRecord record;
    record.id = id;
    record.modified = Now();
    record.SetName(name);
    return Insert(record);
}

bool CCategoryDB::Rename(const RecordId& id, std::u16string_view name) {
    const auto index = IndexOf(id);
    if (!index) return false;
    CategoryRecord record = RecordAt(*index);
    record.SetName(name);
    record.modified = NextModified(record.modified);
    record.ToBytes(RecordPtr(*index));
    MoveToSortedPlace(*index);
    m_dirty = true;
    return true;
}

bool CCategoryDB::Delete(const RecordId& id) {
    const auto index = IndexOf(id);
    if (!index) return false;
    uint8_t* record = RecordPtr(*index);
    record[kDeletedOffset] = 1;
    WriteBE32(record + kModifiedOffset, NextModified(ReadBE32(record + kModifiedOffset)));
    m_dirty = true;
    return true;
}

bool CCategoryDB::Exists(const RecordId& id) const { return IndexOf(id).has_value(); }

bool CCategoryDB::Get(const RecordId& id, CategoryRecord& record) const {
    const auto index = IndexOf(id);
    if (!index) return false;
    record = RecordAt(*index);
    return true;
}

bool CCategoryDB::NameOf(const RecordId& id, std::u16string& name) const {
    const auto index = IndexOf(id);
    if (!index) return false;
    name = AnsiToUtf16(NameAt(*index));
    return true;
}

bool CCategoryDB::NameAndIndexOf(const RecordId& id, std::u16string& name, size_t& index) const {
    size_t live = 0;
    for (size_t i = 0; i < Count(); ++i) {
        if (!IsLiveAt(i)) continue;
        if (std::memcmp(RecordPtr(i) + kIdOffset, id.data(), id.size()) == 0) {
            name = AnsiToUtf16(NameAt(i));
            index = live;
            return true;
        }
        ++live;
    }
    return false;
}

int CCategoryDB::CompareNames(std::u16string_view a, std::u16string_view b) {
    return StrICmpAnsi(ToAnsiName(a), ToAnsiName(b));
}

RecordId CCategoryDB::FindByName(std::u16string_view name) const {
    const auto index = FindLiveByName(ToAnsiName(name));
    return index ? RecordAt(*index).id : CATEGORY_ID_UNFILED;
}

RecordId CCategoryDB::NthLive(size_t n) const {
    for (size_t i = 0; i < Count(); ++i) {
        if (!IsLiveAt(i)) continue;
        if (n == 0) return RecordAt(i).id;
        --n;
    }
    return CATEGORY_ID_UNFILED;
}

bool CCategoryDB::NextLive(size_t& cursor, CategoryRecord& record, std::u16string& name) const {
    while (cursor < Count()) {
        const size_t i = cursor++;
        if (!IsLiveAt(i)) continue;
        record = RecordAt(i);
        name = AnsiToUtf16(NameAt(i));
        return true;
    }
    return false;
}

// A newer record takes the old one's place in the array by its name, so a
// rename on the other side keeps the array sorted.
int32_t CCategoryDB::Merge(const CategoryRecord& record) {
    const auto index = IndexOf(record.id);
    if (!index) return Insert(record);
    if (record.modified <= ReadBE32(RecordPtr(*index) + kModifiedOffset)) return 0;
    record.ToBytes(RecordPtr(*index));
    MoveToSortedPlace(*index);
    m_dirty = true;
    return 0;
}

void CCategoryDB::Purge() {
    const Seconds1904 now = Now();
    if (now <= CATEGORY_PURGE_AGE || Count() == 0) return;
    const Seconds1904 limit = now - CATEGORY_PURGE_AGE;
    size_t kept = 0;
    const size_t n = Count();
    for (size_t i = 0; i < n; ++i) {
        const bool purge = !IsLiveAt(i) && ReadBE32(RecordPtr(i) + kModifiedOffset) < limit;
        if (purge) continue;
        if (kept != i) std::memmove(RecordPtr(kept), RecordPtr(i), CATEGORY_RECORD_SIZE);
        ++kept;
    }
    if (kept == n) return;
    m_buffer.resize(CATEGORY_DB_HEADER_SIZE + kept * CATEGORY_RECORD_SIZE);
    m_buffer.shrink_to_fit();
    m_dirty = true;
}

int32_t CCategoryDB::MergeAll(const CCategoryDB& other) {
    // RecordAt copies each record before it is merged, so even a copy merged
    // into itself never reads a record while it moves.
    for (size_t i = 0; i < other.Count(); ++i) {
        if (const int32_t error = Merge(other.RecordAt(i))) return error;
    }
    return 0;
}

int32_t CCategoryDB::CopyFrom(const CCategoryDB& other) {
    if (&other != this) {
        try {
            m_buffer = other.m_buffer;
        } catch (const std::bad_alloc&) {
            return -1;
        }
        m_versionOk = other.m_versionOk;
    }
    m_dirty = true;
    return 0;
}
