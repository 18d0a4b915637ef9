#include "catalogue/ImageScanner.h"

#include <memory>
#include <unordered_set>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CatalogueTypes.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FileListCache.h"
#include "catalogue/FolderFinder.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "platform/base/FileFinder.h"
#include "platform/base/FileSystem.h"
#include "platform/base/ShellChangeWatcher.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "catalogue/PhotoNames.h"

namespace {
constexpr std::u16string_view kCameraFolder = u"\\DCIM";

// Shows the wait indicator for as long as it lives.
class WaitScope {
public:
    explicit WaitScope(WaitIndicator* wait) : m_wait(wait) {
        if (m_wait) m_wait->Begin();
    }
    ~WaitScope() {
        if (m_wait) m_wait->End();
    }

private:
    WaitIndicator* m_wait;
};

// A cache entry names a file of its folder: no separators, not empty.
bool IsPlainName(std::u16string_view name) {
    return !name.empty() && name.find(u'\\') == std::u16string_view::npos && name != u"." && name != u"..";
}

std::u16string Concat(std::u16string_view a, std::u16string_view b) {
    std::u16string out(a);
    out += b;
    return out;
}
}  // namespace

CImageScanner::CImageScanner(CImageItemList& images, CFolderList& locations, CCategoryDB& categories,
                             std::u16string categoryDBPath)
    : m_images(images), m_locations(locations), m_categories(categories),
      m_categoryDBPath(std::move(categoryDBPath)) {}

bool CImageScanner::IsImageFile(std::u16string_view path) { return IsPhotoName(path); }

std::vector<std::u16string> CImageScanner::FindCards() {
    std::vector<std::u16string> cards;
    FileFinder finder;
    FindData data;
    for (uint32_t err = finder.First(u"\\*.*", data); err == ERROR_SUCCESS; err = finder.Next(data)) {
        const uint32_t card = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY;
        if ((data.attributes & card) == card) cards.push_back(u"\\" + data.name);
    }
    return cards;
}

void CImageScanner::ScanAll(bool fullRescan) {
    const WaitScope wait(m_wait);
    ScanFolder(MAIN_PHOTO_FOLDER, false, true, false, fullRescan);
    m_locations.Add(MAIN_PHOTO_FOLDER, STRING_INTERNAL, false);
    for (const std::u16string& card : FindCards()) {
        ScanCard(card, fullRescan);
        m_locations.Add(card, std::u16string_view(card).substr(1), true);
    }
}

std::vector<CImageScanner::CardFolder> CImageScanner::CardFolders(std::u16string_view cardPath) {
    return {{Concat(cardPath, kCameraFolder), false, true}, {Concat(cardPath, MAIN_PHOTO_FOLDER), true, false}};
}

bool CImageScanner::ScanCard(std::u16string_view cardPath, bool fullRescan) {
    bool added = false;
    for (const CardFolder& folder : CardFolders(cardPath)) {
        added |= ScanFolder(folder.path, true, folder.useCache, folder.recursive, fullRescan);
    }
    return added;
}

bool CImageScanner::ScanFolder(std::u16string_view folder, bool removable, bool useCache, bool recursive,
                               bool fullRescan) {
    if (useCache && !fullRescan) {
        CFileListCache cache;
        if (cache.LoadCache(folder)) {
            // The cache stands for the folder once; the next start walks it
            // unless the cache is written again when the view closes. A
            // folder changed since its cache was written is walked now.
            const bool current = CFileListCache::IsCurrent(folder);
            const bool added = current && ScanFromCache(cache, folder, removable);
            CFileListCache::DeleteCache(folder);
            if (current) return added;
        }
    }
    return Walk(folder, removable, recursive);
}

bool CImageScanner::ScanFromCache(const CFileListCache& cache, std::u16string_view folder, bool removable) {
    // A file deleted behind the cache's back is not listed. One listing of
    // the folder answers for every entry and opens no image.
    std::vector<std::u16string> listed;
    ListFileNamesFolded(folder, listed);
    const std::unordered_set<std::u16string> present(listed.begin(), listed.end());
    std::vector<std::unique_ptr<CImageItem>> records;
    for (size_t i = 0; i < cache.Count(); ++i) {
        const FileListCacheEntry& entry = cache.At(i);
        if (!IsPlainName(entry.name)) continue;
        std::u16string folded = entry.name;
        for (char16_t& c : folded) c = FoldCase(c);
        if (!present.count(folded)) continue;
        auto record = std::make_unique<CImageItem>();
        record->InitFromCacheEntry(folder, entry.name, entry.category, removable);
        records.push_back(std::move(record));
    }
    return m_images.InsertMany(std::move(records)) > 0;
}

bool CImageScanner::Walk(std::u16string_view folder, bool removable, bool recursive) {
    CFolderFinder finder;
    if (!finder.First(folder, recursive)) return false;
    std::vector<std::unique_ptr<CImageItem>> records;
    std::u16string path;
    uint32_t attributes = 0;
    while (finder.Next(path, attributes)) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && IsImageFile(path)) {
            records.push_back(std::make_unique<CImageItem>());
            // A file that cannot be opened still gets its record.
            records.back()->InitFromFile(path, removable);
        }
    }
    // One batch gives the order of inserting each record in turn.
    return m_images.InsertMany(std::move(records)) > 0;
}

bool CImageScanner::InsertFromFile(std::u16string_view path, bool removable) {
    auto record = std::make_unique<CImageItem>();
    // A file that cannot be opened still gets its record.
    record->InitFromFile(path, removable);
    return m_images.Insert(std::move(record)) != nullptr;
}

bool CImageScanner::OnCardAdded(std::u16string_view cardPath) {
    const WaitScope wait(m_wait);
    m_locations.Add(cardPath, cardPath.substr(cardPath.empty() ? 0 : 1), true);
    return ScanCard(cardPath, false);
}

bool CImageScanner::OnCardRemoved(std::u16string_view cardPath) {
    const std::u16string card(cardPath);
    return m_images.RemoveWhere([&](const CImageItem& record) { return record.IsOnCard(card); }) > 0;
}

bool CImageScanner::OnFileCreated(std::u16string_view path) {
    if (!IsImageFile(path) || !m_locations.Contains(path)) return false;
    // A path the list already holds is read afresh rather than listed twice.
    if (CImageItem* existing = m_images.Find(path)) m_images.Remove(existing);
    return InsertFromFile(path, CImageItem::IsRemovablePath(path));
}

bool CImageScanner::OnFileDeleted(std::u16string_view path) {
    if (!IsImageFile(path) || !m_locations.Contains(path)) return false;
    CImageItem* record = m_images.Find(path);
    return record && m_images.Remove(record) != nullptr;
}

ScanChange CImageScanner::OnFileRenamed(std::u16string_view oldPath, std::u16string_view newPath) {
    if (EqualsNoCase(newPath, m_categoryDBPath)) {
        m_categories.Load(m_categoryDBPath);
        m_images.InvalidateDisplay();
        return ScanChange::CategoriesReloaded;
    }
    const bool deleted = OnFileDeleted(oldPath);
    const bool created = OnFileCreated(newPath);
    return deleted || created ? ScanChange::ImagesChanged : ScanChange::None;
}

ScanChange CImageScanner::OnShellChange(const ShellChange& change) {
    const auto changed = [](bool any) { return any ? ScanChange::ImagesChanged : ScanChange::None; };
    switch (change.event) {
    case ShellEvent::DriveAdd: return changed(OnCardAdded(change.path1));
    case ShellEvent::DriveRemoved: return changed(OnCardRemoved(change.path1));
    case ShellEvent::Create: return changed(OnFileCreated(change.path1));
    case ShellEvent::Delete: return changed(OnFileDeleted(change.path1));
    case ShellEvent::RenameItem: return OnFileRenamed(change.path1, change.path2);
    }
    return ScanChange::None;
}

void CImageScanner::SaveCaches() {
    for (const std::u16string& card : FindCards()) SaveCache(Concat(card, MAIN_PHOTO_FOLDER));
    SaveCache(MAIN_PHOTO_FOLDER);
}

void CImageScanner::SaveCache(std::u16string_view folder) {
    uint32_t attributes = 0;
    if (GetFileAttributes(folder, attributes) != ERROR_SUCCESS || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
    }
    CFileListCache cache;
    for (size_t i = 0; i < m_images.Size(); ++i) {
        const CImageItem& record = *m_images.At(i);
        // Records of subfolders would come back as if they lay in the folder
        // itself; a cached folder stands for its own files only.
        if (EqualsNoCase(record.Folder(), folder)) cache.AddEntry(record.FileName(), record.GetCategory());
    }
    cache.SaveCache(folder);
}
