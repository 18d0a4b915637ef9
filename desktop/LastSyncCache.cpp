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

bool Before(const CLastSyncCache::Entry& e, const std::string& name, const std::string& folder) {
    int byName = StrICmpAnsi(e.name, name);
    if (byName != 0) return byName < 0;
    return StrICmpAnsi(e.folder, folder) < 0;
}

}  // namespace

bool CLastSyncCache::LoadImage(const uint8_t* data, size_t size) {
    m_entries.clear();
    if (!data || size < kHeaderSize || ReadLE16(data) != kVersion) return false;
    size_t count = (size - kHeaderSize) / kEntrySize;
    m_entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + kHeaderSize + i * kEntrySize;
        m_entries.push_back({Field(p, kFieldSize), ReadLE32(p + 48), Field(p + 52, kFieldSize)});
    }
    // A file written elsewhere may be out of order; lookups need the order.
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return Before(a, b.name, b.folder);
    });
    return true;
}

bool CLastSyncCache::Load(const std::string& hostPath) {
    std::vector<uint8_t> image;
    if (ReadDesktopFile(hostPath, image) != 0) {
        m_entries.clear();
        return false;
    }
    return LoadImage(image.data(), image.size());
}

size_t CLastSyncCache::LowerBound(const std::string& name, const std::string& folder) const {
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), 0,
                               [&](const Entry& e, int) { return Before(e, name, folder); });
    return static_cast<size_t>(it - m_entries.begin());
}

const CLastSyncCache::Entry* CLastSyncCache::Find(const std::string& name,
                                                  const std::string& folder) const {
    size_t at = LowerBound(name, folder);
    if (at == m_entries.size()) return nullptr;
    const Entry& e = m_entries[at];
    return StrICmpAnsi(e.name, name) == 0 && StrICmpAnsi(e.folder, folder) == 0 ? &e : nullptr;
}

bool CLastSyncCache::Put(const std::string& folder, uint32_t time, const std::string& name) {
    if (name.size() > kMaxFieldText || folder.size() > kMaxFieldText) return false;
    size_t at = LowerBound(name, folder);
    if (at < m_entries.size() && StrICmpAnsi(m_entries[at].name, name) == 0 &&
        StrICmpAnsi(m_entries[at].folder, folder) == 0) {
        m_entries[at].time = time;
        m_entries[at].name = name;
        return true;
    }
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(at), Entry{folder, time, name});
    return true;
}

std::vector<uint8_t> CLastSyncCache::Image(const std::string& locationName, uint32_t reserved1,
                                           uint32_t reserved2, uint32_t writtenAt) const {
    std::vector<uint8_t> image(kHeaderSize + kEntrySize * m_entries.size(), 0);
    image[0] = static_cast<uint8_t>(kVersion);
    image[1] = static_cast<uint8_t>(kVersion >> 8);
    PutField(image.data() + 4, kLocationNameSize, locationName);
    WriteLE32(image.data() + 36, reserved1);
    WriteLE32(image.data() + 40, reserved2);
    WriteLE32(image.data() + 44, writtenAt);
    uint8_t* p = image.data() + kHeaderSize;
    for (const Entry& e : m_entries) {
        PutField(p, kFieldSize, e.folder);
        WriteLE32(p + 48, e.time);
        PutField(p + 52, kFieldSize, e.name);
        p += kEntrySize;
    }
    return image;
}
