#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FileListCache.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "catalogue/ImageScanner.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/ShellChangeWatcher.h"
#include "tests/support/DispatchUntil.h"
#include "tests/support/TestSupport.h"

namespace {
constexpr std::u16string_view kDB = u"\\Program Files\\Farrowdale\\Kestrelview\\_CategoryDB";

class ImageScannerTest : public ::testing::Test {
public:
    TempDevice device;
    CCategoryDB categories;
    CImageItemList images{&categories};
    CFolderList locations;
    CImageScanner scanner{images, locations, categories, std::u16string(kDB)};
    std::vector<uint8_t> jpeg = ReadHostFile(std::string(KV_SOURCE_DIR) + "/samples/night.jpg");

    void Photo(const std::string& relative) { WriteHostFile(device.Host(relative), jpeg); }

    std::vector<std::u16string> Paths() {
        std::vector<std::u16string> paths;
        for (size_t i = 0; i < images.Size(); ++i) paths.push_back(images.At(i)->GetPath());
        return paths;
    }
    std::vector<std::u16string> LocationNames() {
        std::vector<std::u16string> names;
        for (const auto& item : locations.GetItems()) names.push_back(item->GetName());
        return names;
    }
    // A card: a folder elsewhere linked into the device root.
    void Card(const TempDir& card, const std::string& name) {
        ASSERT_EQ(0, symlink(card.Path().c_str(), device.Host(name).c_str()));
    }
};
}  // namespace

TEST(ImageScannerNames, ImageFilesAreKnownByTheirExtension) {
    const struct {
        std::u16string_view path;
        bool image;
    } cases[] = {{u"\\a\\photo.JPEG", true}, {u"\\a\\photo.jpg", true},  {u"\\a\\photo.jpg.bak", false},
                 {u"\\a\\photo", false},      {u"\\a.jpg\\photo", false}, {u"\\a\\.Jpg", true}};
    for (const auto& c : cases) EXPECT_EQ(c.image, CImageScanner::IsImageFile(c.path));
}

TEST_F(ImageScannerTest, InternalStorageAloneIsOneLocation) {
    Photo("My Documents/Kestrelview/b.jpg");
    Photo("My Documents/Kestrelview/a.JPEG");
    Photo("My Documents/Kestrelview/notes.txt");
    Photo("My Documents/Kestrelview/Sub/c.jpg");  // the main folder is not walked into
    scanner.ScanAll(false);
    EXPECT_EQ((std::vector<std::u16string>{u"\\My Documents\\Kestrelview\\a.JPEG",
                                           u"\\My Documents\\Kestrelview\\b.jpg"}),
              Paths());
    EXPECT_EQ(std::vector<std::u16string>{u"Internal"}, LocationNames());
    EXPECT_FALSE(images.At(0)->IsRemovable());
}

TEST_F(ImageScannerTest, CardsBringTheirCameraTreeAndMainFolder) {
    TempDir card;
    WriteHostFile(card / "DCIM/100CAMRA/p1.jpg", jpeg);
    WriteHostFile(card / "DCIM/101CAMRA/p2.jpg", jpeg);
    WriteHostFile(card / "My Documents/Kestrelview/p3.jpg", jpeg);
    Card(card, "CF Card");
    Photo("My Documents/Kestrelview/p0.jpg");
    scanner.ScanAll(false);
    EXPECT_EQ((std::vector<std::u16string>{u"Internal", u"CF Card"}), LocationNames());
    ASSERT_EQ(4u, images.Size());
    int removable = 0;
    for (size_t i = 0; i < images.Size(); ++i) removable += images.At(i)->IsRemovable();
    EXPECT_EQ(3, removable);

    EXPECT_TRUE(scanner.OnCardRemoved(u"\\CF Card"));
    EXPECT_EQ(std::vector<std::u16string>{u"\\My Documents\\Kestrelview\\p0.jpg"}, Paths());
    EXPECT_EQ((std::vector<std::u16string>{u"Internal", u"CF Card"}), LocationNames());
}

TEST_F(ImageScannerTest, FileEventsKeepTheListCurrent) {
    scanner.ScanAll(false);
    Photo("Windows/x.jpg");
    EXPECT_FALSE(scanner.OnFileCreated(u"\\Windows\\x.jpg"));
    Photo("My Documents/Kestrelview/n.jpg");
    EXPECT_TRUE(scanner.OnFileCreated(u"\\My Documents\\Kestrelview\\n.jpg"));
    EXPECT_TRUE(scanner.OnFileCreated(u"\\my documents\\kestrelview\\N.JPG"));  // no second record
    EXPECT_EQ(1u, images.Size());

    std::filesystem::rename(device.Host("My Documents/Kestrelview/n.jpg"), device.Host("My Documents/Kestrelview/m.jpg"));
    EXPECT_EQ(ScanChange::ImagesChanged,
              scanner.OnFileRenamed(u"\\My Documents\\Kestrelview\\n.jpg", u"\\My Documents\\Kestrelview\\m.jpg"));
    EXPECT_EQ(std::vector<std::u16string>{u"\\My Documents\\Kestrelview\\m.jpg"}, Paths());
    EXPECT_TRUE(scanner.OnFileDeleted(u"\\My Documents\\Kestrelview\\M.jpg"));
    EXPECT_EQ(0u, images.Size());
}

TEST_F(ImageScannerTest, ARenameOntoTheDatabaseReloadsTheCategories) {
    CCategoryDB other;
    RecordId id{};
    ASSERT_EQ(0, other.Add(u"Beach", id));
    MakeHostDirs(device.Host("Program Files/Farrowdale/Kestrelview"));
    WriteHostFile(device.Host("Program Files/Farrowdale/Kestrelview/_CategoryDB"), other.Image());
    EXPECT_EQ(ScanChange::CategoriesReloaded,
              scanner.OnFileRenamed(u"\\Program Files\\Farrowdale\\Kestrelview\\_tmp", std::u16string(kDB)));
    EXPECT_TRUE(categories.Exists(id));
}

TEST_F(ImageScannerTest, CachesStandForTheirFolderOnce) {
    Photo("My Documents/Kestrelview/a.jpg");
    Photo("My Documents/Kestrelview/b.jpg");
    scanner.ScanAll(false);
    scanner.SaveCaches();
    const std::string cachePath = device.Host("My Documents/Kestrelview/KVFileListCache.fdf");
    ASSERT_TRUE(std::filesystem::exists(cachePath));

    images.Clear();
    const uint64_t opensBefore = File::OpenCount();
    scanner.ScanAll(false);
    // Only the cache itself was opened, no image file.
    EXPECT_EQ(opensBefore + 1, File::OpenCount());
    EXPECT_EQ(2u, images.Size());
    EXPECT_FALSE(std::filesystem::exists(cachePath));
}

TEST_F(ImageScannerTest, AZeroEntryCacheHidesTheFolderUntilAFullRescan) {
    // The photo is there before the cache is written, so the cache is not
    // older than the folder and is honoured.
    Photo("My Documents/Kestrelview/a.jpg");
    CFileListCache empty;
    ASSERT_TRUE(empty.SaveCache(MAIN_PHOTO_FOLDER));
    scanner.ScanAll(false);
    EXPECT_EQ(0u, images.Size());
    EXPECT_FALSE(std::filesystem::exists(device.Host("My Documents/Kestrelview/KVFileListCache.fdf")));
    scanner.ScanAll(true);
    EXPECT_EQ(1u, images.Size());
}

// Other programs (a file manager, a camera import) add and delete photos
// without deleting the cache: a folder changed after its cache was written
// is walked, and a cached name whose file is gone is never listed.
TEST_F(ImageScannerTest, CachesOlderThanTheirFolderAreNotTrusted) {
    const struct {
        const char* change;
        std::function<void(ImageScannerTest&)> act;
        std::vector<std::u16string> expected;
    } cases[] = {
        {"a photo copied in",
         [](ImageScannerTest& t) { t.Photo("My Documents/Kestrelview/c.jpg"); },
         {u"\\My Documents\\Kestrelview\\a.jpg", u"\\My Documents\\Kestrelview\\b.jpg",
          u"\\My Documents\\Kestrelview\\c.jpg"}},
        {"a photo deleted",
         [](ImageScannerTest& t) { std::filesystem::remove(t.device.Host("My Documents/Kestrelview/a.jpg")); },
         {u"\\My Documents\\Kestrelview\\b.jpg"}},
        {"a photo renamed",
         [](ImageScannerTest& t) {
             std::filesystem::rename(t.device.Host("My Documents/Kestrelview/a.jpg"),
                                     t.device.Host("My Documents/Kestrelview/z.jpg"));
         },
         {u"\\My Documents\\Kestrelview\\b.jpg", u"\\My Documents\\Kestrelview\\z.jpg"}},
        {"nothing", [](ImageScannerTest&) {},
         {u"\\My Documents\\Kestrelview\\a.jpg", u"\\My Documents\\Kestrelview\\b.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        std::filesystem::remove_all(device.Host("My Documents"));
        Photo("My Documents/Kestrelview/a.jpg");
        Photo("My Documents/Kestrelview/b.jpg");
        images.Clear();
        scanner.ScanAll(true);
        scanner.SaveCaches();
        c.act(*this);
        images.Clear();
        scanner.ScanAll(false);
        EXPECT_EQ(c.expected, Paths());
        EXPECT_FALSE(std::filesystem::exists(device.Host("My Documents/Kestrelview/KVFileListCache.fdf")));
    }
}

TEST_F(ImageScannerTest, ACachedNameWhoseFileIsGoneIsNotListed) {
    Photo("My Documents/Kestrelview/a.jpg");
    Photo("My Documents/Kestrelview/Upper.JPG");
    CFileListCache cache;
    cache.AddEntry(u"a.jpg", CATEGORY_ID_UNFILED);
    cache.AddEntry(u"gone.jpg", CATEGORY_ID_UNFILED);
    cache.AddEntry(u"upper.jpg", CATEGORY_ID_UNFILED);  // names match without regard to case
    ASSERT_TRUE(cache.SaveCache(MAIN_PHOTO_FOLDER));
    const uint64_t opensBefore = File::OpenCount();
    scanner.ScanAll(false);
    EXPECT_EQ(opensBefore + 1, File::OpenCount());  // the cache, no image
    EXPECT_EQ((std::vector<std::u16string>{u"\\My Documents\\Kestrelview\\a.jpg",
                                           u"\\My Documents\\Kestrelview\\upper.jpg"}),
              Paths());
}

TEST_F(ImageScannerTest, CardsComeAndGoThroughRealNotifications) {
    Photo("My Documents/Kestrelview/a.jpg");
    scanner.ScanAll(false);
    ShellChangeWatcher watcher;
    ASSERT_EQ(0u, watcher.Start(DeviceFolder::Current()));
    struct Forward : ShellChangeSink {
        CImageScanner& scanner;
        explicit Forward(CImageScanner& s) : scanner(s) {}
        void OnShellChange(const ShellChange& change) override { scanner.OnShellChange(change); }
    } forward(scanner);
    const auto waitFor = [&](size_t count) {
        return DispatchUntil(watcher, forward, [&] { return images.Size() == count; });
    };

    TempDir card;
    WriteHostFile(card / "DCIM/100ABC/p.jpg", jpeg);
    Card(card, "Storage Card");
    EXPECT_TRUE(waitFor(2));
    EXPECT_EQ(2u, images.Size());
    EXPECT_EQ((std::vector<std::u16string>{u"Internal", u"Storage Card"}), LocationNames());

    WriteHostFile(card / "DCIM/100ABC/q.jpg", jpeg);
    EXPECT_TRUE(waitFor(3));
    EXPECT_EQ(3u, images.Size());

    ASSERT_EQ(0, unlink(device.Host("Storage Card").c_str()));
    EXPECT_TRUE(waitFor(1));
    EXPECT_EQ(std::vector<std::u16string>{u"\\My Documents\\Kestrelview\\a.jpg"}, Paths());
}
