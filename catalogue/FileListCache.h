#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/ListFile.h"

class DeviceFolder;

// The cache file in each main photo folder.
inline constexpr std::u16string_view FILE_LIST_CACHE_NAME = u"KVFileListCache.fdf";
constexpr uint8_t FILE_LIST_CACHE_VERSION = 1;

// An entry of a folder's file list cache.
//
//   offset  size  content
//   0       8     category id of the image
//   8       4     reserved, zero; kept as read
//   12      var.  file name without folder, UTF-16LE ending in a 0 character
class FileListCacheEntry : public CListEntry {
public:
    FileListCacheEntry() = default;
    FileListCacheEntry(std::u16string fileName, const RecordId& imageCategory)
        : category(imageCategory), name(std::move(fileName)) {}
    const uint8_t* ReadEntry(const uint8_t* data, const uint8_t* end, uint8_t version) override;
    void WriteEntry(std::vector<uint8_t>& out) const override;

    RecordId category{};
    std::array<uint8_t, 4> reserved{};
    std::u16string name;
};

// Which images a folder held, and the category of each, when the program
// last ended. Only membership and category are kept: no dates, no sizes.
class CFileListCache : public TListFile<FileListCacheEntry> {
public:
    CFileListCache() { SetVersion(FILE_LIST_CACHE_VERSION); }

    bool AcceptVersion(uint8_t version) const override { return version == FILE_LIST_CACHE_VERSION; }

    // True when the folder's cache exists and was read whole.
    bool LoadCache(std::u16string_view folder);
    bool LoadCache(const DeviceFolder& device, std::u16string_view folder);
    // Writes the entries held, in order, as the folder's cache (anew), and
    // dates the cache and its folder so that any later change of the
    // folder's files makes the folder newer than its cache.
    bool SaveCache(std::u16string_view folder);
    bool SaveCache(const DeviceFolder& device, std::u16string_view folder);
    // False when files were added to, removed from or renamed in the folder
    // after its cache was written (other programs do not delete caches):
    // the folder is then newer than its cache and is to be walked.
    static bool IsCurrent(std::u16string_view folder);
    static bool IsCurrent(const DeviceFolder& device, std::u16string_view folder);
    // 0 or the error from deleting the folder's cache file.
    static uint32_t DeleteCache(std::u16string_view folder);
    static uint32_t DeleteCache(const DeviceFolder& device, std::u16string_view folder);
    // Whoever changes, adds or removes an image while the program is not
    // running deletes the cache of the image's folder this way.
    static uint32_t DeleteCacheOf(std::u16string_view imagePath);
    static std::u16string CachePath(std::u16string_view folder);

    void AddEntry(std::u16string_view name, const RecordId& category);
    using CListFile::AddEntry;
};
