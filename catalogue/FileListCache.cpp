#include "catalogue/FileListCache.h"

#include <algorithm>

#include "platform/base/DeviceFolder.h"
#include "platform/base/FileSystem.h"

namespace {
constexpr size_t kNameOffset = 12;
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
    return Write(device, CachePath(folder)) == 0;
}

uint32_t CFileListCache::DeleteCache(std::u16string_view folder) {
    return DeleteCache(DeviceFolder::Current(), folder);
}

uint32_t CFileListCache::DeleteCache(const DeviceFolder& device, std::u16string_view folder) {
    return DeleteFile(device, CachePath(folder));
}

void CFileListCache::AddEntry(std::u16string_view name, const RecordId& category) {
    CListFile::AddEntry(std::make_unique<FileListCacheEntry>(std::u16string(name), category));
}
