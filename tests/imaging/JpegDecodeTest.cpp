#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/JpegColour.h"
#include "imaging/JpegImageDecoder.h"
#include "imaging/JpegPicture.h"
#include "tests/imaging/LibJpegReference.h"
#include "tests/support/TestSupport.h"

// Whole decodes of small fixtures (tests/fixtures/decode/make.sh) against
// libjpeg-turbo and against the decoder's own reference path.
namespace {

using Path = JpegImageDecoder::Path;

std::vector<uint8_t> Fixture(const std::string& name) { return ReadHostFile(FixturePath("decode/" + name)); }

JpegPicture Decode(const std::vector<uint8_t>& data, int scale, Path path = Path::Fast,
                   int* result = nullptr) {
    JpegPicture picture;
    int r = DecodeJpegMemory(data.data(), data.size(), scale, false, picture, path);
    if (result)
        *result = r;
    else
        EXPECT_EQ(r, 0);
    return picture;
}

// Largest channel difference and lowest PSNR (dB) against libjpeg-turbo's
// fast integer IDCT without fancy upsampling, by scale 1/1, 1/2, 1/4, 1/8.
// The bounds sit a little outside what was measured (see the printout).
struct LibJpegCase {
    const char* file;
    int maxDiff[4];
    double minPsnr[4];
};

// Full size matches exactly. At reduced sizes libjpeg-turbo's scaled
// transforms use other coefficients, and for 4:2:0 it decodes chroma with a
// transform twice as large instead of repeating samples, hence the wider
// bounds there (the 1/8 test below checks those samples exactly).
const LibJpegCase kLibJpegCases[] = {
    {"grey.jpg", {0, 3, 5, 2}, {99, 48, 43, 48}},
    {"ycc444.jpg", {0, 6, 12, 4}, {99, 43, 39, 43}},
    {"ycc440.jpg", {0, 8, 12, 4}, {99, 42, 37, 44}},
    {"ycc422.jpg", {0, 8, 11, 4}, {99, 42, 37, 43}},
    {"ycc420.jpg", {0, 36, 52, 75}, {99, 31, 25, 21}},
    {"ycc420_rst7.jpg", {0, 36, 52, 75}, {99, 31, 25, 21}},
    {"quant16.jpg", {0, 20, 36, 68}, {99, 37, 31, 24}},
    {"flat_blocks.jpg", {0, 0, 0, 0}, {99, 99, 99, 99}},
};

TEST(JpegDecode, MatchesLibJpegTurboAtEveryScale) {
    for (const LibJpegCase& c : kLibJpegCases) {
        std::vector<uint8_t> data = Fixture(c.file);
        for (int scale = 0; scale < 4; ++scale) {
            SCOPED_TRACE(std::string(c.file) + " at 1/" + std::to_string(1 << scale));
            LibJpegImage theirs;
            ASSERT_TRUE(DecodeWithLibJpeg(data, scale, theirs));
            JpegPicture ours = Decode(data, scale);
            ASSERT_EQ(int(ours.width), theirs.width);
            ASSERT_EQ(int(ours.height), theirs.height);
            PixelDifference d = ComparePixels(ours.pixels, theirs.pixels);
            std::printf("  %-20s 1/%d  max %d  PSNR %.1f dB\n", c.file, 1 << scale, d.maxDifference, d.psnr);
            EXPECT_LE(d.maxDifference, c.maxDiff[scale]);
            EXPECT_GE(d.psnr, c.minPsnr[scale]);
        }
    }
}

TEST(JpegDecode, ReferenceAndFastPathsAreIdentical) {
    const char* files[] = {"grey.jpg",
                           "ycc444.jpg",
                           "ycc440.jpg",
                           "ycc422.jpg",
                           "ycc420.jpg",
                           "ycc420_rst1.jpg",
                           "ycc420_rst7.jpg",
                           "ycc422_rstrow.jpg",
                           "quant16.jpg",
                           "flat_blocks.jpg",
                           "dc_table_in_ac_slot.jpg"};
    for (const char* file : files) {
        std::vector<uint8_t> data = Fixture(file);
        for (int scale = 0; scale < 4; ++scale) {
            SCOPED_TRACE(std::string(file) + " at 1/" + std::to_string(1 << scale));
            EXPECT_EQ(Decode(data, scale, Path::Fast).pixels, Decode(data, scale, Path::Reference).pixels);
        }
    }
}

TEST(JpegDecode, RestartMarkersDecodeLikeNone) {
    std::vector<uint8_t> plain = Fixture("ycc420.jpg");
    for (const char* file : {"ycc420_rst1.jpg", "ycc420_rst7.jpg"}) {
        std::vector<uint8_t> restarts = Fixture(file);
        for (int scale = 0; scale < 4; ++scale) {
            SCOPED_TRACE(std::string(file) + " at 1/" + std::to_string(1 << scale));
            EXPECT_EQ(Decode(restarts, scale).pixels, Decode(plain, scale).pixels);
            EXPECT_EQ(Decode(restarts, scale, Path::Reference).pixels, Decode(plain, scale).pixels);
        }
    }
}

// DHT identifier 5 of the DC class lands in AC slot 5, which the scan uses
// as its second AC table (libjpeg-turbo refuses the file).
TEST(JpegDecode, DcTableInAcSlotServesAsThatAcTable) {
    std::vector<uint8_t> moved = Fixture("dc_table_in_ac_slot.jpg");
    std::vector<uint8_t> plain = Fixture("ycc422.jpg");
    LibJpegImage unused;
    EXPECT_FALSE(DecodeWithLibJpeg(moved, 0, unused));
    for (int scale = 0; scale < 4; ++scale)
        EXPECT_EQ(Decode(moved, scale).pixels, Decode(plain, scale).pixels);
}

TEST(JpegDecode, RefusesLayoutsItCannotConvert) {
    struct Case {
        const char* file;
        int error;
    } cases[] = {{"chroma_above_luma.jpg", JPEG_ERR_SAMPLING_LAYOUT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<uint8_t> data = Fixture(c.file);
        JpegImageDecoder decoder;
        EXPECT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
        EXPECT_EQ(decoder.StartDecoding(false), c.error);
        EXPECT_EQ(decoder.BeginOutput(0, 4096), c.error);
        int rows = -1;
        uint32_t pixel = 0;
        EXPECT_EQ(decoder.DecodeMcuRow(&pixel, rows), c.error);
        EXPECT_EQ(rows, 0);
        int result = 0;
        JpegPicture picture = Decode(data, 0, Path::Fast, &result);
        EXPECT_EQ(result, c.error);
        EXPECT_TRUE(picture.pixels.empty());
    }
}

// At 1/8 each block gives one sample, (DC x q0) >> 3 plus 128 clamped; the
// DC values and q0 come from libjpeg-turbo's coefficient reader.
TEST(JpegDecode, EighthScaleSamplesAreScaledDcValues) {
    for (const char* file : {"grey.jpg", "ycc420.jpg", "ycc444.jpg"}) {
        SCOPED_TRACE(file);
        std::vector<uint8_t> data = Fixture(file);
        std::vector<LibJpegDcPlane> planes;
        ASSERT_TRUE(ReadDcWithLibJpeg(data, planes));
        auto sample = [&](const LibJpegDcPlane& p, int bx, int by) {
            int v = (int(p.dc[size_t(by) * p.blocksWide + bx]) * p.q0) >> 3;
            return std::min(255, std::max(0, v + 128));
        };
        JpegColourTables tables;
        tables.Build();
        JpegPicture picture = Decode(data, 3);
        const int hMax = planes.size() == 3 && planes[0].blocksWide > planes[1].blocksWide ? 2 : 1;
        const int vMax = planes.size() == 3 && planes[0].blocksHigh > planes[1].blocksHigh ? 2 : 1;
        for (uint32_t y = 0; y < picture.height; ++y) {
            for (uint32_t x = 0; x < picture.width; ++x) {
                int luma = sample(planes[0], x, y);
                uint32_t expected = planes.size() == 1
                                        ? uint32_t(luma) * 0x010101u
                                        : tables.Pixel(luma, sample(planes[1], x / hMax, y / vMax),
                                                       sample(planes[2], x / hMax, y / vMax));
                ASSERT_EQ(picture.pixels[y * picture.width + x], expected) << x << "," << y;
            }
        }
    }
}

TEST(JpegDecode, BlocksWithoutAcEnergyAreFlat) {
    std::vector<uint8_t> data = Fixture("flat_blocks.jpg");
    for (Path path : {Path::Fast, Path::Reference}) {
        JpegPicture picture = Decode(data, 0, path);
        ASSERT_EQ(picture.width, 40u);
        for (uint32_t y = 0; y < picture.height; ++y) {
            for (uint32_t x = 0; x < picture.width; ++x) {
                EXPECT_EQ(picture.pixels[y * 40 + x], picture.pixels[(y & ~7u) * 40 + (x & ~7u)])
                    << x << "," << y;
            }
        }
        // Neighbouring blocks differ, so the flatness is not a blank picture.
        EXPECT_NE(picture.pixels[0], picture.pixels[8]);
    }
}

TEST(JpegDecode, GreyscaleGivesEqualChannels) {
    std::vector<uint8_t> data = Fixture("grey.jpg");
    for (int scale = 0; scale < 4; ++scale) {
        for (uint32_t p : Decode(data, scale).pixels) ASSERT_EQ(p, (p & 0xFF) * 0x010101u);
    }
}

TEST(JpegDecode, OutputSizesAreWholeMcusDividedByTheScale) {
    // 61 x 45 in 16 x 16 MCUs: 4 x 3 MCUs, 64 x 48 pixels at full size.
    std::vector<uint8_t> data = Fixture("ycc420.jpg");
    for (int scale = 0; scale < 4; ++scale) {
        JpegImageDecoder decoder;
        ASSERT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
        ASSERT_EQ(decoder.StartDecoding(false), 0);
        const uint32_t width = 64u >> scale, height = 48u >> scale;
        // A canary column right of the picture must survive.
        std::vector<uint32_t> bitmap((width + 1) * height, 0xDEADBEEF);
        ASSERT_EQ(decoder.BeginOutput(scale, (width + 1) * 4), 0);
        EXPECT_EQ(decoder.OutputWidth(), width);
        EXPECT_EQ(decoder.OutputHeight(), height);
        int result = 0, rows = 0, total = 0;
        uint32_t* dest = bitmap.data();
        for (int n = 0; n < 3; ++n) {
            result = decoder.DecodeMcuRow(dest, rows);
            EXPECT_EQ(result, n == 2 ? 1 : 0);
            EXPECT_EQ(rows, 16 >> scale);
            dest += rows * (width + 1);
            total += rows;
        }
        EXPECT_EQ(uint32_t(total), height);
        EXPECT_EQ(decoder.DecodeMcuRow(dest, rows), 1);
        EXPECT_EQ(rows, 0);
        for (uint32_t y = 0; y < height; ++y) EXPECT_EQ(bitmap[y * (width + 1) + width], 0xDEADBEEFu);
    }
}

TEST(JpegDecode, BeginOutputRefusesMisuse) {
    std::vector<uint8_t> data = Fixture("ycc420.jpg");
    JpegImageDecoder decoder;
    ASSERT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
    EXPECT_EQ(decoder.BeginOutput(0, 4096), 87);  // before the scan is found
    ASSERT_EQ(decoder.StartDecoding(false), 0);
    EXPECT_EQ(decoder.BeginOutput(4, 4096), 87);
    EXPECT_EQ(decoder.BeginOutput(0, 63 * 4), 87);  // a row is 64 pixels
    EXPECT_EQ(decoder.BeginOutput(0, 64 * 4), 0);
    EXPECT_EQ(decoder.BeginOutput(0, 64 * 4), 87);
}

}  // namespace

namespace {

// The embedded EXIF thumbnail decodes as if its bytes were a file of their
// own.
TEST(JpegDecode, DecodesTheEmbeddedThumbnail) {
    std::vector<uint8_t> data = ReadHostFile(FixturePath("jpeg/exif_thumb.jpg"));
    JpegImageDecoder decoder;
    ASSERT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
    ASSERT_TRUE(decoder.HasEmbeddedThumbnail());
    std::vector<uint8_t> thumbnail(decoder.m_info.thumbnail,
                                   decoder.m_info.thumbnail + decoder.m_info.thumbnailLength);
    JpegPicture embedded, alone;
    ASSERT_EQ(DecodeJpegMemory(data.data(), data.size(), 0, true, embedded), 0);
    ASSERT_EQ(DecodeJpegMemory(thumbnail.data(), thumbnail.size(), 0, false, alone), 0);
    EXPECT_EQ(embedded.width, alone.width);
    EXPECT_EQ(embedded.pixels, alone.pixels);
    LibJpegImage theirs;
    ASSERT_TRUE(DecodeWithLibJpeg(thumbnail, 0, theirs));
    EXPECT_EQ(ComparePixels(alone.pixels, theirs.pixels).maxDifference, 0);
    JpegPicture main;
    ASSERT_EQ(DecodeJpegMemory(data.data(), data.size(), 0, false, main), 0);
    EXPECT_NE(main.width, embedded.width);
}

}  // namespace
