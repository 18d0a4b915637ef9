#include "desktop/CategoryDatabaseImage.h"

#include <algorithm>
#include <cstring>

#include "catalogue/CatalogueTypes.h"
#include "desktop/DesktopFiles.h"
#include "platform/Rapi.h"
#include "platform/Text.h"
#include "platform/WinError.h"

namespace {

constexpr size_t kIdOffset = 0;
constexpr size_t kTimeOffset = 8;
constexpr size_t kDeletedOffset = 12;
constexpr size_t kNameOffset = 14;
constexpr size_t kNameSize = 32;
constexpr char16_t kHandheldTempSuffix[] = u"__KVTemp";
constexpr uint32_t kMaxHandheldImage = 16u << 20;

std::string NameOf(const uint8_t* record) {
    const uint8_t* p = record + kNameOffset;
    return std::string(reinterpret_cast<const char*>(p),
                       reinterpret_cast<const char*>(std::find(p, p + kNameSize, uint8_t(0))));
}

uint32_t TimeOf(const uint8_t* record) { return ReadBE32(record + kTimeOffset); }

}  // namespace

size_t CCategoryDatabaseImage::RecordCount() const {
    return m_data.size() < kHeaderSize ? 0 : (m_data.size() - kHeaderSize) / kRecordSize;
}

const uint8_t* CCategoryDatabaseImage::Record(size_t index) const {
    return m_data.data() + kHeaderSize + index * kRecordSize;
}

int32_t CCategoryDatabaseImage::LoadImage(const uint8_t* data, size_t size) {
    m_data.clear();
    if (size == 0 || !data) return 0;
    if (size < 2 || (data[0] | data[1] << 8) != kVersion) {
        m_data.assign(data, data + size);
        return kWrongVersion;
    }
    size_t whole = size < kHeaderSize ? 0 : (size - kHeaderSize) / kRecordSize;
    m_data.assign(data, data + std::min(size, kHeaderSize + whole * kRecordSize));
    m_data.resize(kHeaderSize + whole * kRecordSize, 0);
    return 0;
}

int32_t CCategoryDatabaseImage::LoadDesktop(const std::string& hostPath) {
    m_desktopPath = hostPath;
    m_onHandheld = false;
    m_changed = false;
    m_data.clear();
    std::vector<uint8_t> file;
    uint32_t err = ReadDesktopFile(hostPath, file);
    if (err == ERROR_FILE_NOT_FOUND) return 0;
    if (err) return static_cast<int32_t>(err);
    return LoadImage(file.data(), file.size());
}

int32_t CCategoryDatabaseImage::LoadHandheld(const std::u16string& path) {
    BindHandheld(path);
    HANDLE h = CeCreateFile(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    DWORD size = CeGetFileSize(h, nullptr);
    if (size == 0xFFFFFFFFu || size > kMaxHandheldImage) {
        CeCloseHandle(h);
        return size == 0xFFFFFFFFu ? 0 : ERROR_NOT_ENOUGH_MEMORY;
    }
    std::vector<uint8_t> file(size);
    DWORD got = 0;
    BOOL ok = CeReadFile(h, file.data(), size, &got, nullptr);
    CeCloseHandle(h);
    if (!ok) return 0;  // unreadable: as if there were none
    return LoadImage(file.data(), got);
}

void CCategoryDatabaseImage::BindHandheld(const std::u16string& path) {
    m_handheldPath = path;
    m_onHandheld = true;
    m_changed = false;
    m_data.clear();
}

void CCategoryDatabaseImage::InsertSorted(const uint8_t* record) {
    if (m_data.empty()) m_data = {0x00, 0x01, 0x00, 0x00};
    std::string name = NameOf(record);
    size_t lo = 0, hi = RecordCount();
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        int c = StrICmpAnsi(NameOf(Record(mid)), name);
        if (c == 0) {
            lo = mid;
            break;
        }
        if (c < 0) lo = mid + 1;
        else hi = mid;
    }
    size_t at = kHeaderSize + lo * kRecordSize;
    m_data.insert(m_data.begin() + static_cast<std::ptrdiff_t>(at), record, record + kRecordSize);
}

int32_t CCategoryDatabaseImage::MergeRecord(const uint8_t* record) {
    for (size_t i = 0; i < RecordCount(); ++i) {
        const uint8_t* mine = Record(i);
        if (std::memcmp(mine + kIdOffset, record + kIdOffset, 8) != 0) continue;
        if (TimeOf(record) <= TimeOf(mine)) return 0;
        // A rename may move the record: take it out and put it at its place.
        size_t at = kHeaderSize + i * kRecordSize;
        m_data.erase(m_data.begin() + static_cast<std::ptrdiff_t>(at),
                     m_data.begin() + static_cast<std::ptrdiff_t>(at + kRecordSize));
        InsertSorted(record);
        m_changed = true;
        return 0;
    }
    InsertSorted(record);
    m_changed = true;
    return 0;
}

int32_t CCategoryDatabaseImage::MergeAll(const CCategoryDatabaseImage& from) {
    // Copy first: merging an image into itself must not read moving data.
    std::vector<uint8_t> records(from.m_data.begin() + std::min(from.m_data.size(), kHeaderSize),
                                 from.m_data.end());
    for (size_t i = 0; i + kRecordSize <= records.size(); i += kRecordSize) {
        if (int32_t err = MergeRecord(records.data() + i)) return err;
    }
    return 0;
}

int32_t CCategoryDatabaseImage::CopyFrom(const CCategoryDatabaseImage& from) {
    if (&from != this) m_data = from.m_data;
    m_changed = true;
    return 0;
}

void CCategoryDatabaseImage::Purge(uint32_t now) {
    uint32_t limit = now > kPurgeAge ? now - kPurgeAge : 0;
    size_t kept = kHeaderSize;
    bool removed = false;
    for (size_t i = 0; i < RecordCount(); ++i) {
        const uint8_t* r = Record(i);
        if (r[kDeletedOffset] != 0 && TimeOf(r) < limit) {
            removed = true;
            continue;
        }
        std::memmove(m_data.data() + kept, r, kRecordSize);
        kept += kRecordSize;
    }
    if (!removed) return;
    m_data.resize(kept);
    m_data.shrink_to_fit();
    m_changed = true;
}

uint32_t CCategoryDatabaseImage::Save() {
    if (m_data.empty() || !m_changed) return 0;
    uint32_t err = m_onHandheld ? SaveHandheld() : SaveDesktop();
    m_changed = false;
    return err;
}

uint32_t CCategoryDatabaseImage::SaveDesktop() const {
    return WriteDesktopFileAtomic(m_desktopPath, m_data);
}

uint32_t CCategoryDatabaseImage::SaveHandheld() const {
    std::u16string temp = m_handheldPath + kHandheldTempSuffix;
    CeDeleteFile(temp.c_str());
    HANDLE h = CeCreateFile(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return CeGetLastError();
    DWORD put = 0;
    BOOL ok = CeWriteFile(h, m_data.data(), static_cast<DWORD>(m_data.size()), &put, nullptr);
    DWORD err = ok ? (put == m_data.size() ? 0 : ERROR_DISK_FULL) : CeGetLastError();
    CeCloseHandle(h);
    if (!err) {
        CeDeleteFile(m_handheldPath.c_str());
        if (!CeMoveFile(temp.c_str(), m_handheldPath.c_str())) err = CeGetLastError();
    }
    if (err) CeDeleteFile(temp.c_str());
    return err;
}
