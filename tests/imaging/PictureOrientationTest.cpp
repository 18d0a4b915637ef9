#include <gtest/gtest.h>

#include <vector>

#include "imaging/PictureOrientation.h"

namespace {

// Stored 3 x 2:  0 1 2
//                3 4 5
std::unique_ptr<Bitmap> Stored() {
    auto bitmap = Bitmap::Create(3, 2, 32);
    for (int32_t i = 0; i < 6; ++i) bitmap->SetValue(i % 3, i / 3, uint32_t(i));
    return bitmap;
}

std::vector<uint32_t> Rows(const Bitmap& bitmap) {
    std::vector<uint32_t> values;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x) values.push_back(bitmap.Value(x, y));
    return values;
}

struct ExifCase {
    uint8_t tag;
    int32_t width;
    std::vector<uint32_t> shown;  // row by row
};

class ExifOrientationTest : public testing::TestWithParam<ExifCase> {};

// Each tag as the EXIF standard draws it: the stored picture turned and
// mirrored so that it stands up.
TEST_P(ExifOrientationTest, TheStoredPictureStandsUp) {
    const ExifCase& c = GetParam();
    auto shown = OrientBitmap(*Stored(), PictureOrientation::FromExif(c.tag));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Width(), c.width);
    EXPECT_EQ(Rows(*shown), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Tags, ExifOrientationTest,
                         testing::Values(ExifCase{1, 3, {0, 1, 2, 3, 4, 5}}, ExifCase{2, 3, {2, 1, 0, 5, 4, 3}},
                                         ExifCase{3, 3, {5, 4, 3, 2, 1, 0}}, ExifCase{4, 3, {3, 4, 5, 0, 1, 2}},
                                         ExifCase{5, 2, {0, 3, 1, 4, 2, 5}}, ExifCase{6, 2, {3, 0, 4, 1, 5, 2}},
                                         ExifCase{7, 2, {5, 2, 4, 1, 3, 0}}, ExifCase{8, 2, {2, 5, 1, 4, 0, 3}},
                                         ExifCase{0, 3, {0, 1, 2, 3, 4, 5}}, ExifCase{9, 3, {0, 1, 2, 3, 4, 5}}));

// Turning afterwards a quarter clockwise is the same as one orientation
// that does both, for each of the eight.
TEST(PictureOrientationTest, ATurnAfterAnyOrientationIsOneOrientation) {
    const auto stored = Stored();
    const PictureOrientation clockwise = PictureOrientation::FromExif(6);
    for (uint8_t tag = 1; tag <= 8; ++tag) {
        const PictureOrientation first = PictureOrientation::FromExif(tag);
        const auto twice = OrientBitmap(*OrientBitmap(*stored, first), clockwise);
        const auto once = OrientBitmap(*stored, first.TurnedClockwise());
        EXPECT_EQ(Rows(*twice), Rows(*once)) << int(tag);
        EXPECT_EQ(PictureOrientation::Unpack(first.Pack()), first);
    }
}

}  // namespace
