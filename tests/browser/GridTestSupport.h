#pragma once
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "browser/ThumbnailGrid.h"
#include "catalogue/ImageItemList.h"
#include "catalogue/TrailerThumbnailStore.h"
#include "handheld/RegisteredMessages.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

// The main photo folder of the device, where the grid tests put photos.
inline const std::u16string PHOTO_FOLDER = u"\\My Documents\\Kestrelview";

// Baseline camera photos of the shared corpus, smallest first (the tests
// decode many of them); empty when the corpus is absent.
inline std::vector<std::string> CorpusPhotos(size_t count) {
    std::vector<std::pair<uintmax_t, std::string>> found;
    const std::string dir = CorpusDir();
    if (dir.empty() || !std::filesystem::is_directory(dir + "/camera"))
        return {};
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/camera")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".jpg" || name.find("progressive") != std::string::npos)
            continue;
        found.emplace_back(entry.file_size(), entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (size_t i = 0; i < found.size() && paths.size() < count; ++i)
        paths.push_back(found[i].second);
    return paths;
}

// Copies the photos into the device's main folder as photo000.jpg ...;
// returns their handheld paths.
inline std::vector<std::u16string> CopyPhotos(const TempDevice& device,
                                              const std::vector<std::string>& sources) {
    MakeHostDirs(device.Host("My Documents/Kestrelview"));
    std::vector<std::u16string> paths;
    for (size_t i = 0; i < sources.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%03zu.jpg", i);
        const std::string host = device.Host(std::string("My Documents/Kestrelview/") + name);
        std::filesystem::copy_file(sources[i], host);
        // The corpus is read-only; the copies are the user's own photos.
        std::filesystem::permissions(host, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        paths.push_back(PHOTO_FOLDER + u"\\" + Utf8ToUtf16(name));
    }
    return paths;
}

// Records of files that need not exist (the grid then shows placeholders).
inline void AddCachedRecords(CImageItemList& list, int count) {
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "img%03d.jpg", i);
        auto record = std::make_unique<CImageItem>();
        record->InitFromCacheEntry(PHOTO_FOLDER, Utf8ToUtf16(name), CATEGORY_ID_UNFILED, false);
        list.Insert(std::move(record));
    }
}

inline void AddFileRecords(CImageItemList& list, const std::vector<std::u16string>& paths) {
    for (const std::u16string& path : paths) {
        auto record = std::make_unique<CImageItem>();
        record->InitFromFile(path, false);
        list.Insert(std::move(record));
    }
}

inline bool HasStoredThumbnail(std::u16string_view path) {
    File file;
    if (file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0)
        return false;
    TrailerThumbnailStore store;
    return store.Load(file) != nullptr;
}

// A grid in the browser's place (0, 24)-(240, 268) of a parent that logs
// the photos it is asked to open.
struct GridFixture {
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    CImageItemList list;
    CThumbnailGrid grid;
    int contextMenus = 0;

    bool Create(int layout) {
        if (!parent.Create(nullptr, {0, 26, 240, 294}, 0, u"", WS_VISIBLE))
            return false;
        if (!grid.Create(&parent, {0, 24, 240, 268}, 1002))
            return false;
        grid.onContextMenu = [this](CImageItem*, Point) { ++contextMenus; };
        grid.SetLayout(layout);
        grid.SetImageList(&list);
        grid.Show(true);
        SetFocus(&grid);
        screen.manager.PumpMessages();
        return true;
    }
    // Screen point of a client point of the grid.
    Point At(Point client) const { return grid.ClientToScreen(client); }
    Point CellCentre(int r, int c) const {
        const Rect cell = grid.Layout().CellRect(r, c);
        return At({(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    }
    void Pump() { screen.manager.PumpMessages(); }
    // Runs the input queued on the backend.
    void Run() { screen.Run(); }
    std::vector<LPARAM> Opened() const {
        std::vector<LPARAM> opened;
        for (const Seen& s : log)
            if (s.message == ImageSelectedMessage())
                opened.push_back(s.lParam);
        return opened;
    }
    std::vector<int> Selected() {
        std::vector<int> selected;
        for (int i = 0; i < grid.Count(); ++i)
            if (grid.RecordAt(i)->IsSelected())
                selected.push_back(i);
        return selected;
    }
    // Lets the thumbnail timer run until no visible cell waits, or the
    // deadline passes; true when none waits.
    bool WaitForThumbnails(std::chrono::seconds deadline = std::chrono::seconds(60)) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            screen.backend.Clock().Advance(CThumbnailGrid::THUMBNAIL_POLL_MS);
            Pump();
            if (grid.WaitingCells() == 0 && !grid.Thumbnails().IsWorking())
                return true;
        }
        return false;
    }
};
