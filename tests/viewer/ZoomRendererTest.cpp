#include <gtest/gtest.h>

#include "imaging/CancelCheck.h"
#include "imaging/JpegPicture.h"
#include "platform/base/File.h"
#include "tests/support/TestSupport.h"
#include "viewer/ImagePicture.h"
#include "viewer/ZoomRenderer.h"

namespace {

File OpenPattern() {
    File file;
    file.OpenHost(FixturePath("viewer/pattern.jpg"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    return file;
}

JpegPicture Decoded(int shift) {
    File file = OpenPattern();
    JpegPicture picture;
    EXPECT_EQ(DecodeJpegFile(file, shift, false, picture), 0);
    return picture;
}

// A part of the 1024 x 768 pattern at factors 2^-k is the decode at that
// scale, pixel for pixel; at 2 each decoded pixel is doubled.
struct FactorCase {
    double factor;
    int shift;
    Rect region;
};

class ZoomFactorTest : public testing::TestWithParam<FactorCase> {};

TEST_P(ZoomFactorTest, ThePartComesFromTheSmallestSufficientDecode) {
    const FactorCase& c = GetParam();
    File file = OpenPattern();
    std::unique_ptr<Bitmap> picture;
    ZoomReport report;
    ASSERT_EQ(RenderZoomed(file, {{}, c.factor, c.region, nullptr}, picture, &report), 0);
    EXPECT_EQ(report.scaleShift, c.shift);
    ASSERT_EQ(picture->Width(), c.region.Width());
    ASSERT_EQ(picture->Height(), c.region.Height());
    const JpegPicture decoded = Decoded(c.shift);
    const int divide = c.factor > 1 ? 2 : 1;
    int mismatches = 0;
    for (int32_t y = 0; y < picture->Height(); ++y)
        for (int32_t x = 0; x < picture->Width(); ++x) {
            const uint32_t u = uint32_t(c.region.left + x) / divide, v = uint32_t(c.region.top + y) / divide;
            mismatches += picture->Value(x, y) != decoded.pixels[v * decoded.width + u];
        }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Factors, ZoomFactorTest,
                         testing::Values(FactorCase{1.0, 0, {400, 300, 640, 592}},
                                         FactorCase{0.5, 1, {100, 77, 340, 369}},
                                         FactorCase{0.25, 2, {0, 0, 256, 192}},
                                         FactorCase{0.125, 3, {3, 5, 128, 96}},
                                         FactorCase{2.0, 0, {900, 700, 1140, 992}}));

TEST(ZoomRendererTest, OnlyTheBlocksUnderThePartAreDecoded) {
    File file = OpenPattern();
    std::unique_ptr<Bitmap> picture;
    ZoomReport report;
    ASSERT_EQ(RenderZoomed(file, {{}, 1.0, {400, 300, 640, 592}, nullptr}, picture, &report), 0);
    // 16 x 16 MCUs: rows 0 to 36 hold pixel rows up to 591, columns 25 to 39 pixels 400 to 639.
    EXPECT_EQ(report.mcuRowsTotal, 48);
    EXPECT_EQ(report.mcuRowsDecoded, 37);
    EXPECT_EQ(report.mcuColumnsTotal, 64);
    EXPECT_EQ(report.mcuColumnsOutput, 15);
}

class CancelAtOnce : public CancelCheck {
public:
    bool ShouldCancel() override { return true; }
};

// Also while a progressive picture's scans are gathered, before any row.
TEST(ZoomRendererTest, ACancelledDecodeLeavesNoPicture) {
    const struct {
        const char* fixture;
        Rect region;
    } cases[] = {{"viewer/pattern.jpg", {0, 0, 240, 292}}, {"decode/prog_ycc420.jpg", {0, 0, 40, 30}}};
    for (const auto& c : cases) {
        File file;
        ASSERT_EQ(file.OpenHost(FixturePath(c.fixture), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
        std::unique_ptr<Bitmap> picture;
        CancelAtOnce cancel;
        EXPECT_EQ(RenderZoomed(file, {{}, 1.0, c.region, &cancel}, picture), PICTURE_CANCELLED) << c.fixture;
        EXPECT_EQ(picture, nullptr);
    }
}

}  // namespace
