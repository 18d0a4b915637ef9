#include "catalogue/FileListCache.h"

#include <algorithm>

#include "platform/base/DeviceFolder.h"
#include "platform/base/FileStat.h"
#include "platform/base/FileSystem.h"

namespace {
constexpr size_t kNameOffset = 12;

bool WriteTimeOf(const std::string& host, FileTime& time) {
    FileStat st;
    if (StatHost(host, st) != 0) return false;
    time = st.lastWriteTime;
    return true;
}

// File times are kept in ticks of the kernel's clock, so a file copied into
// the folder in the tick the cache was written would leave the folder no
// newer than its cache. Dating both a second back makes every later change
// date the folder after its cache.
void DateBack(const std::string& hostFolder, const std::string& hostCache) {
    FileTime folderTime = 0;
    if (!WriteTimeOf(hostFolder, folderTime)) return;
    const FileTime stamp = folderTime - kFileTimeTicksPerSecond;
    if (SetHostWriteTime(hostCache, stamp) == 0) SetHostWriteTime(hostFolder, stamp);
}
}  // namespace

const uint8_t* FileListCacheEntry::ReadEntry(const uint8_t* data, const uint8_t* end, uint8_t) {
    if (end - data < static_cast<ptrdiff_t>(kNameOffset)) return nullptr;
    std::copy(data, data + category.size(), category.begin());
    std::copy(data + category.size(), data + kNameOffset, reserved.begin());
    return ReadUtf16Z(data + kNameOffset, end, name);
}

void FileListCacheEntry::WriteEntry(std::vector<uint8_t>& out) const {
    out.insert(out.end(), category.begin(), category.end());
    out.insert(out.end(), reserved.begin(), reserved.end());
    WriteUtf16Z(out, name);
}

std::u16string CFileListCache::CachePath(std::u16string_view folder) {
    return JoinPath(folder, FILE_LIST_CACHE_NAME);
}

bool CFileListCache::LoadCache(std::u16string_view folder) {
    return LoadCache(DeviceFolder::Current(), folder);
}

bool CFileListCache::LoadCache(const DeviceFolder& device, std::u16string_view folder) {
    return Read(device, CachePath(folder)) == 0;
}

bool CFileListCache::SaveCache(std::u16string_view folder) {
    return SaveCache(DeviceFolder::Current(), folder);
}

bool CFileListCache::SaveCache(const DeviceFolder& device, std::u16string_view folder) {
    SetVersion(FILE_LIST_CACHE_VERSION);
    if (Write(device, CachePath(folder)) != 0) return false;
    std::string hostFolder, hostCache;
    if (device.ToHost(folder, hostFolder) == 0 && device.ToHost(CachePath(folder), hostCache) == 0) {
        DateBack(hostFolder, hostCache);
    }
    return true;
}

bool CFileListCache::IsCurrent(std::u16string_view folder) { return IsCurrent(DeviceFolder::Current(), folder); }

bool CFileListCache::IsCurrent(const DeviceFolder& device, std::u16string_view folder) {
    std::string hostFolder, hostCache;
    FileTime folderTime = 0, cacheTime = 0;
    return device.ToHost(folder, hostFolder) == 0 && device.ToHost(CachePath(folder), hostCache) == 0 &&
           WriteTimeOf(hostFolder, folderTime) && WriteTimeOf(hostCache, cacheTime) && folderTime <= cacheTime;
}

uint32_t CFileListCache::DeleteCache(std::u16string_view folder) {
    return DeleteCache(DeviceFolder::Current(), folder);
}

uint32_t CFileListCache::DeleteCache(const DeviceFolder& device, std::u16string_view folder) {
    return DeleteFile(device, CachePath(folder));
}

uint32_t CFileListCache::DeleteCacheOf(std::u16string_view imagePath) {
    const size_t slash = imagePath.find_last_of(u'\\');
    const std::u16string_view folder = slash == std::u16string_view::npos ? std::u16string_view() : imagePath.substr(0, slash);
    return DeleteCache(folder.empty() ? std::u16string_view(u"\\") : folder);
}

void CFileListCache::AddEntry(std::u16string_view name, const RecordId& category) {
    CListFile::AddEntry(std::make_unique<FileListCacheEntry>(std::u16string(name), category));
}
