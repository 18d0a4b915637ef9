#include "desktop/LastSyncCache.h"

#include <algorithm>
#include <cstring>

#include "desktop/DesktopFiles.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/ByteOrder.h"

namespace {

// A NUL-ended field that may lack its NUL: text up to the NUL or the end.
std::string Field(const uint8_t* p, size_t size) {
    const uint8_t* end = std::find(p, p + size, uint8_t(0));
    return std::string(p, end);
}

void PutField(uint8_t* p, size_t size, const std::string& text) {
    std::memcpy(p, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

bool CLastSyncCache::Less::operator()(const Key& a, const Key& b) const {
    int byName = StrICmpAnsi(a.first, b.first);
    if (byName != 0) return byName < 0;
    return StrICmpAnsi(a.second, b.second) < 0;
}

bool CLastSyncCache::LoadImage(const uint8_t* data, size_t size) {
    m_entries.clear();
    m_listStale = true;
    if (!data || size < kHeaderSize || ReadLE16(data) != kVersion) return false;
    size_t count = (size - kHeaderSize) / kEntrySize;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + kHeaderSize + i * kEntrySize;
        Entry e{Field(p, kFieldSize), ReadLE32(p + 48), Field(p + 52, kFieldSize)};
        // A file written elsewhere may be out of order; lookups need the order.
        m_entries.emplace(Key{e.name, e.folder}, std::move(e));
    }
    return true;
}

bool CLastSyncCache::Load(const std::string& hostPath) {
    std::vector<uint8_t> image;
    if (ReadDesktopFile(hostPath, image) != 0) {
        m_entries.clear();
        m_listStale = true;
        return false;
    }
    return LoadImage(image.data(), image.size());
}

const CLastSyncCache::Entry* CLastSyncCache::Find(const std::string& name, const std::string& folder) const {
    // The first of equal entries, as a binary search over the file finds it.
    auto it = m_entries.lower_bound(Key{name, folder});
    return it == m_entries.end() || Less()(Key{name, folder}, it->first) ? nullptr : &it->second;
}

bool CLastSyncCache::Put(const std::string& folder, uint32_t time, const std::string& name) {
    if (name.size() > kMaxFieldText || folder.size() > kMaxFieldText) return false;
    m_listStale = true;
    auto it = m_entries.lower_bound(Key{name, folder});
    if (it != m_entries.end() && !Less()(Key{name, folder}, it->first)) {
        it->second.time = time;
        it->second.name = name;
        return true;
    }
    m_entries.emplace(Key{name, folder}, Entry{folder, time, name});
    return true;
}

const std::vector<CLastSyncCache::Entry>& CLastSyncCache::Entries() const {
    if (m_listStale) {
        m_list.clear();
        m_list.reserve(m_entries.size());
        for (const auto& [key, entry] : m_entries) m_list.push_back(entry);
        m_listStale = false;
    }
    return m_list;
}

std::vector<uint8_t> CLastSyncCache::Image(const std::string& locationName, uint32_t reserved1,
                                           uint32_t reserved2, uint32_t writtenAt) const {
    const std::vector<Entry>& entries = Entries();
    std::vector<uint8_t> image(kHeaderSize + kEntrySize * entries.size(), 0);
    image[0] = static_cast<uint8_t>(kVersion);
    image[1] = static_cast<uint8_t>(kVersion >> 8);
    PutField(image.data() + 4, kLocationNameSize, locationName);
    WriteLE32(image.data() + 36, reserved1);
    WriteLE32(image.data() + 40, reserved2);
    WriteLE32(image.data() + 44, writtenAt);
    uint8_t* p = image.data() + kHeaderSize;
    for (const Entry& e : entries) {
        PutField(p, kFieldSize, e.folder);
        WriteLE32(p + 48, e.time);
        PutField(p + 52, kFieldSize, e.name);
        p += kEntrySize;
    }
    return image;
}
