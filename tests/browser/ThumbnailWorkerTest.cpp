#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "browser/BrowserPictures.h"
#include "browser/GridCellPainter.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/browser/GridTestSupport.h"

namespace {

using namespace std::chrono_literals;

bool WaitUntilIdle(ThumbnailWorker& worker, std::chrono::seconds deadline = 60s) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (worker.IsBusy()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        worker.WaitForResult(20);
    }
    return true;
}

std::map<std::u16string, ThumbnailResult> ResultsByPath(ThumbnailWorker& worker) {
    std::map<std::u16string, ThumbnailResult> byPath;
    for (ThumbnailResult& r : worker.TakeResults())
        byPath[r.path] = std::move(r);
    return byPath;
}

std::string HostOf(const TempDevice& device, std::u16string_view path) {
    std::string host = device.Root();
    for (char16_t c : path)
        host += c == u'\\' ? '/' : char(c);
    return host;
}

// The thumbnail rectangle of a cell as the screen shows it against what
// the picture fitted into it must look like.
bool CellShowsPicture(const Bitmap& screen, const Rect& cellOnScreen, int layout,
                      const Bitmap& picture, int32_t lineHeight) {
    const Size size{cellOnScreen.Width(), cellOnScreen.Height()};
    auto expected = CreateImageBitmap(nullptr, size.cx, size.cy, 32);
    DeviceContext dc;
    dc.SelectObject(expected.get());
    dc.FillSolidRect({0, 0, size.cx, size.cy}, RGB(255, 255, 255));
    const Rect thumb = GridCellPainter::ThumbnailRect(layout, size, lineHeight);
    DrawFittedPicture(dc, thumb, picture);
    for (int32_t y = thumb.top; y < thumb.bottom; ++y) {
        const int32_t sy = cellOnScreen.top + y;
        if (sy >= 294)
            break;  // below the grid
        for (int32_t x = thumb.left; x < thumb.right; ++x)
            if (screen.Value(cellOnScreen.left + x, sy) != expected->Value(x, y))
                return false;
    }
    return true;
}

class ThumbnailWorkerTest : public ::testing::Test {
protected:
    TempDevice device;

    std::vector<std::u16string> Photos(size_t count) {
        const std::vector<std::string> sources = CorpusPhotos(count);
        if (sources.size() < count)
            return {};
        return CopyPhotos(device, sources);
    }
};

// With 50 photos that hold no stored thumbnail, a tap and Page Down are
// answered while the worker has not made a single one; once it runs, every
// visible cell ends with its own picture and each photo made has its
// thumbnail stored.
TEST_F(ThumbnailWorkerTest, GridAnswersWhileThumbnailsAreMade) {
    const auto paths = Photos(50);
    // The corpus lies beside the project where the tests run.
    ASSERT_FALSE(paths.empty()) << "the JPEG corpus is missing";
    GridFixture f;
    f.grid.Thumbnails().Worker().Hold(true);
    AddFileRecords(f.list, paths);
    ASSERT_TRUE(f.Create(GRID_THUMBNAIL));
    EXPECT_EQ(f.grid.WaitingCells(), 12u);
    EXPECT_FALSE(f.grid.HasSnapshot()) << "no snapshot while cells wait";

    f.screen.backend.Tap(f.CellCentre(0, 1));
    f.screen.backend.Key(VK_NEXT);
    f.Run();
    EXPECT_EQ(f.Selected(), (std::vector<int>{1}));
    EXPECT_EQ(f.grid.GetTopRow(), 3);
    EXPECT_TRUE(f.grid.Thumbnails().IsWorking());
    // The first page left the queue; this page and the next are in it.
    EXPECT_EQ(f.grid.Thumbnails().Worker().QueuedCount(), 12u + 9u);

    f.grid.Thumbnails().Worker().Hold(false);
    ASSERT_TRUE(f.WaitForThumbnails());
    EXPECT_TRUE(f.grid.HasSnapshot());
    const Bitmap& screen = f.screen.manager.Screen();
    // The rows whose pictures are on screen (the fourth shows one line of white).
    for (int r = 0; r < f.grid.Layout().FullRows(); ++r)
        for (int c = 0; c < f.grid.Layout().Columns(); ++c) {
            CImageItem* record = f.grid.RecordAt(f.grid.Layout().IndexAt(3, r, c));
            ThumbnailCache::State state;
            const Bitmap* picture = f.grid.Thumbnails().Lookup(record->GetPath(), state);
            ASSERT_NE(picture, nullptr) << "row " << r << " column " << c;
            const Rect cell = f.grid.Layout().CellRect(r, c).Offset(0, 50);
            EXPECT_TRUE(CellShowsPicture(screen, cell, GRID_THUMBNAIL, *picture, f.grid.LineHeight()))
                << "row " << r << " column " << c;
            EXPECT_FALSE(CellShowsPicture(screen, cell, GRID_THUMBNAIL, PlaceholderPicture(false),
                                          f.grid.LineHeight()));
            EXPECT_TRUE(HasStoredThumbnail(record->GetPath())) << "row " << r << " column " << c;
        }
    EXPECT_FALSE(HasStoredThumbnail(paths[0])) << "scrolled away before it was made";

    // Back to the first page: the photos dropped from the queue are asked
    // for again and end with their pictures.
    f.screen.backend.Key(VK_HOME);
    f.Run();
    ASSERT_EQ(f.grid.GetTopRow(), 0);
    ASSERT_TRUE(f.WaitForThumbnails());
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(HasStoredThumbnail(paths[size_t(i)])) << i;
    EXPECT_TRUE(f.grid.HasSnapshot());
}

// A file deleted or renamed after the grid asked for it is never written:
// whether that happened before the worker opened it or between its decode
// and the store; a file replaced by another under the same name neither.
TEST_F(ThumbnailWorkerTest, NoThumbnailWrittenToAPhotoDeletedOrRenamedMeanwhile) {
    const auto paths = Photos(6);
    // The corpus lies beside the project where the tests run.
    ASSERT_FALSE(paths.empty()) << "the JPEG corpus is missing";
    std::vector<std::vector<uint8_t>> before;
    for (const auto& p : paths)
        before.push_back(ReadHostFile(HostOf(device, p)));
    const std::string renamedHost = HostOf(device, PHOTO_FOLDER + u"\\renamed.jpg");
    const std::string movedHost = HostOf(device, PHOTO_FOLDER + u"\\moved.jpg");

    ThumbnailWorker worker;
    worker.Hold(true);
    worker.SetBeforeStore([&](const std::u16string& path) {
        if (path == paths[3])
            std::filesystem::rename(HostOf(device, path), movedHost);
        if (path == paths[4]) {  // another photo takes its name
            std::filesystem::rename(HostOf(device, path), HostOf(device, path) + ".old");
            std::filesystem::copy_file(HostOf(device, paths[5]), HostOf(device, path));
        }
    });
    worker.SetWanted({paths[0], paths[1], paths[2], paths[3], paths[4]});
    std::filesystem::remove(HostOf(device, paths[0]));
    std::filesystem::rename(HostOf(device, paths[1]), renamedHost);
    worker.Hold(false);
    ASSERT_TRUE(WaitUntilIdle(worker));

    auto results = ResultsByPath(worker);
    EXPECT_FALSE(results[paths[0]].bitmap);
    EXPECT_FALSE(results[paths[1]].bitmap);
    EXPECT_TRUE(results[paths[2]].bitmap);
    EXPECT_FALSE(std::filesystem::exists(HostOf(device, paths[0]))) << "not brought back";
    EXPECT_FALSE(std::filesystem::exists(HostOf(device, paths[1])));
    EXPECT_EQ(ReadHostFile(renamedHost), before[1]);
    EXPECT_TRUE(HasStoredThumbnail(paths[2]));
    EXPECT_EQ(ReadHostFile(movedHost), before[3]) << "renamed between decode and store";
    EXPECT_FALSE(std::filesystem::exists(HostOf(device, paths[3])));
    EXPECT_EQ(ReadHostFile(HostOf(device, paths[4])), before[5]) << "the file now at the name";
    EXPECT_EQ(ReadHostFile(HostOf(device, paths[4]) + ".old"), before[4]);
}

// Only storing fails on a read-only photo: its thumbnail is still made and
// shown, and the file is left as it was.
TEST_F(ThumbnailWorkerTest, ReadOnlyPhotoStillGetsItsThumbnail) {
    const auto paths = Photos(1);
    // The corpus lies beside the project where the tests run.
    ASSERT_FALSE(paths.empty()) << "the JPEG corpus is missing";
    const std::string host = HostOf(device, paths[0]);
    const auto bytes = ReadHostFile(host);
    std::filesystem::permissions(host, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    GridFixture f;
    AddFileRecords(f.list, paths);
    ASSERT_TRUE(f.Create(GRID_GALLERY));
    ASSERT_TRUE(f.WaitForThumbnails());
    ThumbnailCache::State state;
    const Bitmap* picture = f.grid.Thumbnails().Lookup(paths[0], state);
    ASSERT_NE(picture, nullptr);
    const Rect cell = f.grid.Layout().CellRect(0, 0).Offset(0, 50);
    EXPECT_TRUE(CellShowsPicture(f.screen.manager.Screen(), cell, GRID_GALLERY, *picture,
                                 f.grid.LineHeight()));
    EXPECT_EQ(ReadHostFile(host), bytes);
}

// A photo whose camera was turned gets an upright thumbnail only when the
// preference asks for it, as the photo view shows it then.
TEST_F(ThumbnailWorkerTest, ThumbnailsStandAsTheCameraWasHeldWhenAsked) {
    MakeHostDirs(device.Host("My Documents/Kestrelview"));
    for (const bool follow : {false, true}) {
        SCOPED_TRACE(follow);
        const std::string name = follow ? "turned.jpg" : "plain.jpg";
        WriteHostFile(device.Host("My Documents/Kestrelview/" + name),
                      ReadHostFile(FixturePath("viewer/landscape_orientation6.jpg")));
        const std::u16string path = PHOTO_FOLDER + u"\\" + std::u16string(name.begin(), name.end());
        ThumbnailWorker worker(1);
        worker.SetFollowCameraOrientation(follow);
        worker.SetWanted({path});
        ASSERT_TRUE(WaitUntilIdle(worker));
        auto results = ResultsByPath(worker);
        ASSERT_TRUE(results[path].bitmap);
        const Bitmap& thumbnail = *results[path].bitmap;
        // The stored pixels are landscape; the tag stands them upright.
        EXPECT_EQ(follow, thumbnail.Height() > thumbnail.Width());
    }
}

// A photo that cannot be decoded keeps the placeholder, and the page then
// counts as finished: nothing waits for it.
TEST_F(ThumbnailWorkerTest, UndecodablePhotoShowsThePlaceholder) {
    MakeHostDirs(device.Host("My Documents/Kestrelview"));
    WriteHostFile(device.Host("My Documents/Kestrelview/broken.jpg"), {0xFF, 0xD8, 0xFF, 0xD9});
    GridFixture f;
    AddFileRecords(f.list, {PHOTO_FOLDER + u"\\broken.jpg"});
    ASSERT_TRUE(f.Create(GRID_THUMBNAIL));
    ASSERT_TRUE(f.WaitForThumbnails());
    EXPECT_TRUE(f.grid.HasSnapshot());
    const Rect cell = f.grid.Layout().CellRect(0, 0).Offset(0, 50);
    Rect thumb = GridCellPainter::ThumbnailRect(GRID_THUMBNAIL, {66, 77}, f.grid.LineHeight());
    thumb = thumb.Offset(cell.left, cell.top);
    const Bitmap& placeholder = PlaceholderPicture(false);
    const int32_t x = thumb.left + (thumb.Width() - 48) / 2, y = thumb.top + (thumb.Height() - 48) / 2;
    for (int32_t dy = 0; dy < 48; dy += 7)
        for (int32_t dx = 0; dx < 48; dx += 7)
            ASSERT_EQ(f.screen.manager.Screen().Value(x + dx, y + dy), placeholder.Value(dx, dy));
}

}  // namespace
