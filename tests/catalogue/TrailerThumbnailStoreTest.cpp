#include <gtest/gtest.h>

#include "catalogue/ImageTrailer.h"
#include "catalogue/TrailerThumbnailStore.h"
#include "imaging/ImageRenderer.h"
#include "platform/base/File.h"
#include "tests/support/TestSupport.h"

namespace {

// A thumbnail-sized draw decodes once and stores a thumbnail in the file's
// trailer; the next one is served from the trailer without decoding.
TEST(TrailerThumbnailStoreTest, SecondThumbnailDrawReadsOnlyTheTrailer) {
    TempDir dir;
    const std::string path = dir / "photo.jpg";
    const std::vector<uint8_t> jpeg = ReadHostFile(FixturePath("render/quadrants.jpg"));
    WriteHostFile(path, jpeg);

    auto canvas = Bitmap::Create(60, 45, 32);
    DeviceContext dc;
    dc.SelectObject(canvas.get());
    TrailerThumbnailStore store;
    ImageRenderer renderer(&store);
    {
        File file;
        ASSERT_EQ(0u, file.OpenHost(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
        ASSERT_EQ(0, renderer.Draw(dc, file, {0, 0, 60, 45}));
    }
    EXPECT_EQ(RenderSource::Decode, renderer.LastReport().source);
    EXPECT_TRUE(renderer.LastReport().thumbnailStored);
    const std::vector<uint8_t> stored = ReadHostFile(path);
    ASSERT_GT(stored.size(), jpeg.size());
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), stored.begin()));
    // Red comes out red both times (the stored form keeps fewer bits).
    auto isRed = [](uint32_t pixel) {
        return (pixel >> 16) >= 0xC0 && ((pixel >> 8) & 0xFF) < 0x40 && (pixel & 0xFF) < 0x40;
    };
    EXPECT_TRUE(isRed(canvas->Value(5, 5)));

    canvas = Bitmap::Create(60, 45, 32);
    dc.SelectObject(canvas.get());
    File file;
    ASSERT_EQ(0u, file.OpenHost(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    ASSERT_EQ(0, renderer.Draw(dc, file, {0, 0, 60, 45}));
    EXPECT_EQ(RenderSource::TrailerThumbnail, renderer.LastReport().source);
    EXPECT_EQ((Rect{0, 0, 60, 45}), renderer.LastReport().fit);
    EXPECT_TRUE(isRed(canvas->Value(5, 5)));
    std::unique_ptr<Bitmap> thumbnail = store.Load(file);
    ASSERT_NE(nullptr, thumbnail);
    EXPECT_EQ(96, thumbnail->Width());
    EXPECT_EQ(72, thumbnail->Height());
}

}  // namespace
