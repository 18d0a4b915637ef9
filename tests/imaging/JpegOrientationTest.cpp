#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "imaging/JpegDecoder.h"
#include "imaging/OrientedRender.h"
#include "platform/base/File.h"
#include "tests/support/TestSupport.h"

namespace {

uint8_t OrientationOf(const std::string& hostPath) {
    File file;
    EXPECT_EQ(file.OpenHost(hostPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u) << hostPath;
    auto decoder = std::make_unique<JpegDecoder>();
    JpegImageInfo info{};
    EXPECT_EQ(decoder->Open(file), 0);
    EXPECT_EQ(decoder->GetImageInfo(info), 0);
    return info.orientation;
}

TEST(JpegOrientationTest, TheTagOfTheMainImageIsRead) {
    EXPECT_EQ(OrientationOf(FixturePath("viewer/landscape_orientation6.jpg")), 6);
    EXPECT_EQ(OrientationOf(FixturePath("viewer/landscape.jpg")), 0) << "no EXIF at all";
}

// Camera files tagged with each of the eight values.
TEST(JpegOrientationTest, EveryTagOfTheCorpus) {
    const std::string corpus = CorpusDir();
    ASSERT_FALSE(corpus.empty()) << "the shared corpus is not there";
    int seen = 0;
    for (const char* shape : {"landscape", "portrait"})
        for (int tag = 1; tag <= 8; ++tag) {
            const std::string path = corpus + "/camera/ian_orientation_" + shape + "_" + std::to_string(tag) + ".jpg";
            if (!std::filesystem::exists(path)) continue;
            EXPECT_EQ(OrientationOf(path), tag) << path;
            ++seen;
        }
    EXPECT_GT(seen, 8);
}

}  // namespace

namespace {

std::unique_ptr<Bitmap> Render(const char* fixture, Rect& target, uint32_t flags, bool oriented,
                               PictureOrientation* orientation = nullptr) {
    File file;
    EXPECT_EQ(file.OpenHost(FixturePath(fixture), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    ImageRenderer renderer;
    std::unique_ptr<Bitmap> bitmap;
    const int result = oriented ? RenderOrientedToBitmap(renderer, file, target, flags, bitmap, orientation)
                                : renderer.RenderToBitmap(nullptr, file, target, flags, bitmap);
    EXPECT_EQ(result, 0);
    return bitmap;
}

bool Near(uint32_t pixel, uint32_t expected) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((pixel >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 48) return false;
    return true;
}

// A thumbnail of a photo the camera stored lying on its side stands up:
// quadrants red | green over blue | white, turned clockwise.
TEST(OrientedRenderTest, AThumbnailStandsUpAsTheCameraSays) {
    Rect target{0, 0, 96, 96};
    PictureOrientation used;
    auto thumbnail = Render("viewer/landscape_orientation6.jpg", target, RENDER_NO_ROTATE, true, &used);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(used, PictureOrientation::FromExif(6));
    EXPECT_EQ(thumbnail->Width(), 72);
    EXPECT_EQ(thumbnail->Height(), 96);
    EXPECT_EQ(target, (Rect{12, 0, 84, 96}));
    EXPECT_TRUE(Near(thumbnail->Value(10, 10), 0x0000FF));
    EXPECT_TRUE(Near(thumbnail->Value(60, 10), 0xFF0000));
    EXPECT_TRUE(Near(thumbnail->Value(10, 80), 0xFFFFFF));
    EXPECT_TRUE(Near(thumbnail->Value(60, 80), 0x00FF00));
}

// Without a tag the renderer's own picture comes back, pixel for pixel.
TEST(OrientedRenderTest, AnUntaggedPhotoIsRenderedAsBefore) {
    for (uint32_t flags : {0u, RENDER_NO_ROTATE}) {
        Rect plainTarget{0, 0, 240, 320}, orientedTarget{0, 0, 240, 320};
        auto plain = Render("viewer/landscape.jpg", plainTarget, flags, false);
        PictureOrientation used;
        auto oriented = Render("viewer/landscape.jpg", orientedTarget, flags, true, &used);
        ASSERT_TRUE(plain && oriented);
        EXPECT_EQ(orientedTarget, plainTarget);
        EXPECT_EQ(used.swap, flags == 0) << "turned only by the quarter turn";
        ASSERT_EQ(oriented->Width(), plain->Width());
        ASSERT_EQ(oriented->Height(), plain->Height());
        EXPECT_TRUE(std::equal(plain->Data(), plain->Data() + plain->Stride() * size_t(plain->Height()),
                               oriented->Data()));
    }
}

}  // namespace
