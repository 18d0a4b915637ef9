#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/ImageRenderer.h"
#include "imaging/JpegErrors.h"
#include "platform/base/File.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

// Thumbnails kept in memory instead of the file's trailer.
class MemoryThumbnailStore : public ThumbnailStore {
public:
    std::unique_ptr<Bitmap> Load(File&) override {
        ++loads;
        if (!stored) return nullptr;
        auto copy = Bitmap::Create(stored->Width(), stored->Height(), 32);
        for (int32_t y = 0; y < stored->Height(); ++y)
            std::copy_n(stored->Row(y), stored->Width(), copy->Row(y));
        return copy;
    }
    int Store(File&, const Bitmap& thumbnail) override {
        stored = Bitmap::Create(thumbnail.Width(), thumbnail.Height(), 32);
        for (int32_t y = 0; y < thumbnail.Height(); ++y)
            std::copy_n(thumbnail.Row(y), thumbnail.Width(), stored->Row(y));
        return 0;
    }
    std::unique_ptr<Bitmap> stored;
    int loads = 0;
};

// Cancels at the n-th question.
class CancelAt : public CancelCheck {
public:
    explicit CancelAt(int n) : m_n(n) {}
    bool ShouldCancel() override { return ++asked >= m_n; }
    int asked = 0;

private:
    int m_n;
};

constexpr uint32_t RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF, WHITE = 0xFFFFFF;

// JPEG colours are near, not exact.
::testing::AssertionResult Near(uint32_t expected, uint32_t actual) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = int((expected >> shift) & 0xFF), b = int((actual >> shift) & 0xFF);
        if (std::abs(a - b) > 48)
            return ::testing::AssertionFailure()
                   << std::hex << "expected ~" << expected << ", got " << actual;
    }
    return ::testing::AssertionSuccess();
}

struct Probe {
    int32_t x, y;
    uint32_t colour;
};

class ImageRendererTest : public ::testing::Test {
protected:
    // A copy of a fixture, open for reading and writing.
    File Open(const std::string& fixture) {
        const std::string path = m_dir / "image.jpg";
        WriteHostFile(path, ReadHostFile(FixturePath(fixture)));
        File file;
        EXPECT_EQ(0u, file.OpenHost(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
        return file;
    }
    TempDir m_dir;
};

TEST_F(ImageRendererTest, RenderToBitmapTurnsFitsAndPlaces) {
    const struct {
        const char* name;
        Rect target;
        uint32_t flags;
        Rect fit;
        uint8_t shift, rotation;
        std::vector<Probe> probes;
    } cases[] = {
        // Landscape into portrait: a quarter turn clockwise, so the bottom-left
        // (blue) comes to the top-left.
        {"turned", {0, 0, 48, 64}, 0, {0, 0, 48, 64}, 0, 1,
         {{4, 4, BLUE}, {43, 4, RED}, {4, 59, WHITE}, {43, 59, GREEN}}},
        {"not turned", {0, 0, 48, 64}, RENDER_NO_ROTATE, {0, 14, 48, 50}, 0, 0,
         {{4, 4, RED}, {43, 4, GREEN}, {4, 31, BLUE}, {43, 31, WHITE}}},
        {"enlarged", {0, 0, 240, 320}, RENDER_NO_ROTATE, {0, 70, 240, 250}, 0, 0,
         {{10, 10, RED}, {229, 10, GREEN}, {10, 169, BLUE}, {229, 169, WHITE}}},
        {"at 1/8", {10, 10, 18, 16}, 0, {10, 10, 18, 16}, 3, 0,
         {{1, 1, RED}, {6, 1, GREEN}, {1, 4, BLUE}, {6, 4, WHITE}}},
        {"at 1/2, turned", {0, 0, 20, 30}, 0, {0, 1, 20, 28}, 1, 1,
         {{2, 2, BLUE}, {17, 2, RED}, {2, 24, WHITE}, {17, 24, GREEN}}},
    };
    for (const auto& c : cases) {
        File file = Open("render/quadrants.jpg");
        ImageRenderer renderer;
        Rect target = c.target;
        std::unique_ptr<Bitmap> bitmap;
        ASSERT_EQ(0, renderer.RenderToBitmap(nullptr, file, target, c.flags, bitmap)) << c.name;
        ASSERT_NE(nullptr, bitmap) << c.name;
        EXPECT_EQ(c.fit, target) << c.name;
        EXPECT_EQ(c.fit.Width(), bitmap->Width()) << c.name;
        EXPECT_EQ(c.fit.Height(), bitmap->Height()) << c.name;
        EXPECT_EQ(RenderSource::Decode, renderer.LastReport().source) << c.name;
        EXPECT_EQ(c.shift, renderer.LastReport().scaleShift) << c.name;
        EXPECT_EQ(c.rotation, renderer.LastReport().rotation) << c.name;
        for (const Probe& p : c.probes)
            EXPECT_TRUE(Near(p.colour, bitmap->Value(p.x, p.y)))
                << c.name << " " << p.x << "," << p.y;
    }
}

TEST_F(ImageRendererTest, ThumbnailDrawStoresAndThenComesFromTheStore) {
    MemoryThumbnailStore store;
    ImageRenderer renderer(&store);
    auto canvas = Bitmap::Create(30, 24, 32);
    DeviceContext dc;
    dc.SelectObject(canvas.get());
    dc.FillSolidRect({0, 0, 30, 24}, RGB(0, 0, 0));
    {
        File file = Open("render/quadrants.jpg");
        ASSERT_EQ(0, renderer.Draw(dc, file, {2, 2, 26, 20}));
    }
    EXPECT_EQ(RenderSource::Decode, renderer.LastReport().source);
    EXPECT_TRUE(renderer.LastReport().thumbnailStored);
    ASSERT_NE(nullptr, store.stored);
    EXPECT_EQ(96, store.stored->Width());  // decoded for 96 x 96, stored unturned
    EXPECT_EQ(72, store.stored->Height());
    EXPECT_EQ((Rect{2, 2, 26, 20}), renderer.LastReport().fit);
    EXPECT_EQ(0u, canvas->Value(1, 1));
    EXPECT_EQ(0u, canvas->Value(26, 20));
    EXPECT_TRUE(Near(RED, canvas->Value(4, 4)));
    EXPECT_TRUE(Near(WHITE, canvas->Value(24, 18)));

    // The second display reads the store only: the file need not be a JPEG.
    dc.FillSolidRect({0, 0, 30, 24}, RGB(0, 0, 0));
    WriteHostFile(m_dir / "other.jpg", {'n', 'o', 't'});
    File other;
    ASSERT_EQ(0u, other.OpenHost(m_dir / "other.jpg", GENERIC_READ, 0, OPEN_EXISTING));
    ASSERT_EQ(0, renderer.Draw(dc, other, {0, 0, 12, 12}));
    EXPECT_EQ(RenderSource::TrailerThumbnail, renderer.LastReport().source);
    EXPECT_EQ((Rect{0, 1, 12, 10}), renderer.LastReport().fit);
    EXPECT_EQ(0u, canvas->Value(5, 0));
    EXPECT_TRUE(Near(RED, canvas->Value(1, 2)));
    EXPECT_TRUE(Near(WHITE, canvas->Value(10, 8)));

    // Bigger than 96: no store asked, none written.
    store.stored.reset();
    const int loads = store.loads;
    File file = Open("render/quadrants.jpg");
    ASSERT_EQ(0, renderer.Draw(dc, file, {0, 0, 100, 30}));
    EXPECT_EQ(loads, store.loads);
    EXPECT_EQ(nullptr, store.stored);
}

TEST_F(ImageRendererTest, SmallTargetsUseTheExifThumbnail) {
    const struct {
        Rect target;
        uint32_t flags;
        RenderSource source;
        Rect fit;
    } cases[] = {
        {{0, 0, 60, 45}, RENDER_NO_ROTATE, RenderSource::ExifThumbnail, {0, 0, 60, 45}},
        {{0, 0, 120, 160}, 0, RenderSource::ExifThumbnail, {0, 0, 120, 160}},
        {{0, 0, 200, 150}, 0, RenderSource::Decode, {0, 0, 200, 150}},
    };
    for (const auto& c : cases) {
        File file = Open("render/quadrants_exif.jpg");
        ImageRenderer renderer;
        Rect target = c.target;
        std::unique_ptr<Bitmap> bitmap;
        ASSERT_EQ(0, renderer.RenderToBitmap(nullptr, file, target, c.flags, bitmap));
        EXPECT_EQ(c.source, renderer.LastReport().source) << c.target.right;
        EXPECT_EQ(c.fit, target);
        const bool turned = renderer.LastReport().rotation == 1;
        EXPECT_TRUE(Near(turned ? BLUE : RED, bitmap->Value(2, 2))) << c.target.right;
        EXPECT_TRUE(Near(turned ? GREEN : WHITE,
                         bitmap->Value(bitmap->Width() - 3, bitmap->Height() - 3)));
    }
}

TEST_F(ImageRendererTest, CancelEndsTheDecodeWithoutABitmap) {
    File file = Open("render/quadrants.jpg");
    CancelAt cancel(2);
    ImageRenderer renderer(nullptr, &cancel);
    Rect target{0, 0, 64, 48};
    std::unique_ptr<Bitmap> bitmap = Bitmap::Create(1, 1, 32);
    EXPECT_EQ(RENDER_CANCELLED, renderer.RenderToBitmap(nullptr, file, target, 0, bitmap));
    EXPECT_EQ(nullptr, bitmap);
    EXPECT_EQ(2, cancel.asked);
    EXPECT_EQ((Rect{0, 0, 64, 48}), target);

    CancelAt never(1000);
    ImageRenderer patient(nullptr, &never);
    ASSERT_EQ(0, patient.RenderToBitmap(nullptr, file, target, 0, bitmap));
    EXPECT_EQ(6, never.asked);  // one question per MCU row of 8 lines
}

// A progressive picture's scans are all decoded before its first row: the
// check is asked there too (once per row of blocks of each scan), so a
// cancel ends the decode before any row is made.
TEST_F(ImageRendererTest, CancelReachesTheScansOfAProgressivePicture) {
    File file = Open("decode/prog_ycc420.jpg");
    Rect target{0, 0, 64, 48};
    std::unique_ptr<Bitmap> bitmap;
    CancelAt never(1000);
    ImageRenderer patient(nullptr, &never);
    ASSERT_EQ(0, patient.RenderToBitmap(nullptr, file, target, 0, bitmap));
    const int rows = 3;  // 45 lines in MCU rows of 16
    EXPECT_GT(never.asked, rows);
    for (int n : {1, never.asked - rows}) {
        CancelAt cancel(n);
        ImageRenderer renderer(nullptr, &cancel);
        EXPECT_EQ(RENDER_CANCELLED, renderer.RenderToBitmap(nullptr, file, target, 0, bitmap)) << n;
        EXPECT_EQ(nullptr, bitmap);
        EXPECT_EQ(n, cancel.asked);
    }
}

TEST_F(ImageRendererTest, FailuresAreReturnedUnchanged) {
    WriteHostFile(m_dir / "empty.jpg", {});
    const struct {
        std::string path;
        Rect target;
        int expected;
    } cases[] = {
        {m_dir / "empty.jpg", {0, 0, 240, 320}, JPEG_ERR_EMPTY_FILE},
        {FixturePath("jpeg/precision12.jpg"), {0, 0, 240, 320}, JPEG_ERR_PRECISION},
        {FixturePath("jpeg/garbage512.jpg"), {0, 0, 240, 320}, JPEG_ERR_NO_SOI},
        {FixturePath("jpeg/baseline.jpg"), {5, 5, 5, 50}, int(ERROR_INVALID_PARAMETER)},
    };
    for (const auto& c : cases) {
        File file;
        ASSERT_EQ(0u, file.OpenHost(c.path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        ImageRenderer renderer;
        Rect target = c.target;
        std::unique_ptr<Bitmap> bitmap;
        EXPECT_EQ(c.expected, renderer.RenderToBitmap(nullptr, file, target, 0, bitmap)) << c.path;
        EXPECT_EQ(nullptr, bitmap);
    }
}

}  // namespace
