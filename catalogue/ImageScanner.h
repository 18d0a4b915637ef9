#pragma once
#include <string>
#include <string_view>
#include <vector>

class CCategoryDB;
class CFileListCache;
class CFolderList;
class CImageItemList;
struct ShellChange;

// Shown around long scans; the window layer turns it into the wait cursor.
class WaitIndicator {
public:
    virtual ~WaitIndicator() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// What a shell change did, so the view knows what to redraw.
enum class ScanChange { None, ImagesChanged, CategoriesReloaded };

// Fills the image list and the location list with every JPEG image of the
// main folder of internal storage and, on each storage card, of the card's
// own main folder and its camera folder "\DCIM" with all subfolders; keeps
// both lists current as cards and files come and go; writes the file list
// caches of the main folders when the view closes.
class CImageScanner {
public:
    CImageScanner(CImageItemList& images, CFolderList& locations, CCategoryDB& categories,
                  std::u16string categoryDBPath);

    void SetWaitIndicator(WaitIndicator* wait) { m_wait = wait; }

    // Scans every location into the (emptied) image list. Without a full
    // rescan, main folders with a file list cache are taken from it and the
    // cache is deleted.
    void ScanAll(bool fullRescan);
    // True when at least one record was added.
    bool ScanFolder(std::u16string_view folder, bool removable, bool useCache, bool recursive,
                    bool fullRescan);

    // The shell's five change events; each returns whether records changed.
    bool OnCardAdded(std::u16string_view cardPath);
    bool OnCardRemoved(std::u16string_view cardPath);
    bool OnFileCreated(std::u16string_view path);
    bool OnFileDeleted(std::u16string_view path);
    ScanChange OnFileRenamed(std::u16string_view oldPath, std::u16string_view newPath);
    ScanChange OnShellChange(const ShellChange& change);

    void SaveCaches();

    // "jpg" or "jpeg" after the last dot of the file name, ignoring case.
    static bool IsImageFile(std::u16string_view path);
    // The folders scanned on a card: its camera folder "\DCIM" with every
    // subfolder (never cached), then its main photo folder.
    struct CardFolder {
        std::u16string path;
        bool useCache;
        bool recursive;
    };
    static std::vector<CardFolder> CardFolders(std::u16string_view cardPath);
    // The storage cards: directories of the root with the temporary
    // attribute, in the order the file system returns them.
    static std::vector<std::u16string> FindCards();

private:
    bool ScanCard(std::u16string_view cardPath, bool fullRescan);
    bool InsertFromFile(std::u16string_view path, bool removable);
    bool ScanFromCache(const CFileListCache& cache, std::u16string_view folder, bool removable);
    bool Walk(std::u16string_view folder, bool removable, bool recursive);
    void SaveCache(std::u16string_view folder);

    CImageItemList& m_images;
    CFolderList& m_locations;
    CCategoryDB& m_categories;
    std::u16string m_categoryDBPath;
    WaitIndicator* m_wait = nullptr;
};
