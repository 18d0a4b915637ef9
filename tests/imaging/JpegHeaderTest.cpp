#include <gtest/gtest.h>

#include <string>

#include "imaging/JpegDecoder.h"
#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "tests/imaging/JpegTestStreams.h"
#include "tests/support/TestSupport.h"

namespace {

int HeaderOf(const std::vector<uint8_t>& bytes, ImageHeaderInfo& info) {
    return ReadImageHeaderInfo(bytes.data(), bytes.size(), info);
}

int HeaderOf(const std::vector<uint8_t>& bytes) {
    ImageHeaderInfo info;
    return HeaderOf(bytes, info);
}

int FixtureHeader(const std::string& name, ImageHeaderInfo& info) {
    File file;
    EXPECT_EQ(file.OpenHost(FixturePath("jpeg/" + name), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u)
        << name;
    return ReadImageHeaderInfo(file, info);
}

std::vector<uint8_t> Baseline(uint16_t width = 16, uint16_t height = 8) {
    return JpegStream().Soi().Tables().Colour420(width, height).Sos({1, 2, 3}).Eoi().Bytes();
}

std::vector<uint8_t> WithGarbage(size_t count, std::vector<uint8_t> jpeg) {
    jpeg.insert(jpeg.begin(), count, 0x55);
    return jpeg;
}

}  // namespace

TEST(JpegHeader, FixturesGiveTheirFrameFacts) {
    struct Case {
        const char* name;
        int result;
        uint16_t width, height;
    } cases[] = {
        {"baseline.jpg", 0, 16, 16},       {"extended.jpg", 0, 16, 16},
        {"grey.jpg", 0, 16, 16},           {"cmyk.jpg", 0, 16, 16},
        {"sampling444.jpg", 0, 16, 16},    {"restart422.jpg", 0, 16, 16},
        {"garbage511.jpg", 0, 16, 16},     {"exif_date.jpg", 0, 16, 16},
        {"progressive.jpg", 0, 16, 16},   {"arithmetic.jpg", 0, 16, 16},
        {"precision12.jpg", -205, 0, 0},   {"garbage512.jpg", -217, 0, 0},
    };
    for (const Case& c : cases) {
        ImageHeaderInfo info;
        EXPECT_EQ(FixtureHeader(c.name, info), c.result) << c.name;
        EXPECT_EQ(info.width, c.width) << c.name;
        EXPECT_EQ(info.height, c.height) << c.name;
        EXPECT_EQ(info.hasEmbeddedThumbnail, 0) << c.name;
    }
}

// The coding of the frame is told also when the file is refused later.
TEST(JpegHeader, TellsTheCodingOfTheFrame) {
    struct Case {
        const char* name;
        uint8_t coding;
        const char* text;
    } cases[] = {
        {"baseline.jpg", JPEG_CODING_BASELINE, "baseline"},
        {"extended.jpg", JPEG_CODING_EXTENDED, "extended"},
        {"progressive.jpg", JPEG_CODING_PROGRESSIVE, "progressive"},
        {"arithmetic.jpg", JPEG_CODING_ARITHMETIC, "arithmetic"},
        {"precision12.jpg", JPEG_CODING_BASELINE, "baseline"},
        {"garbage512.jpg", JPEG_CODING_NONE, nullptr},
    };
    for (const Case& c : cases) {
        ImageHeaderInfo info;
        FixtureHeader(c.name, info);
        EXPECT_EQ(info.coding, c.coding) << c.name;
        const char* text = JpegCodingName(info.coding);
        EXPECT_STREQ(text, c.text) << c.name;
    }
    ImageHeaderInfo info;
    HeaderOf(JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}}, 0xCA).Bytes(), info);
    EXPECT_STREQ(JpegCodingName(info.coding), "arithmetic-progressive");
    HeaderOf(JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}}, 0xC3).Bytes(), info);
    EXPECT_EQ(info.coding, JPEG_CODING_NONE);
}

TEST(JpegHeader, ExifFixturesGiveDateAndThumbnail) {
    ImageHeaderInfo info;
    ASSERT_EQ(FixtureHeader("exif_thumb.jpg", info), 0);
    EXPECT_EQ(info.hasEmbeddedThumbnail, 1);
    EXPECT_STREQ(info.dateText, "2003:07:14 09:05:30");
    ASSERT_EQ(FixtureHeader("exif_date.jpg", info), 0);
    EXPECT_EQ(info.hasEmbeddedThumbnail, 0);
    EXPECT_STREQ(info.dateText, "2003:07:14 09:05:30");
    ASSERT_EQ(FixtureHeader("baseline.jpg", info), 0);
    EXPECT_STREQ(info.dateText, "");
}

TEST(JpegHeader, EmptyFileGivesMinusOne) {
    TempDir dir;
    WriteHostFile(dir / "empty.jpg", {});
    File file;
    ASSERT_EQ(file.OpenHost(dir / "empty.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    ImageHeaderInfo info;
    EXPECT_EQ(ReadImageHeaderInfo(file, info), -1);
    EXPECT_EQ(HeaderOf({}), -1);
}

TEST(JpegHeader, ReadsFromTheFileStartWhateverItsPosition) {
    TempDir dir;
    WriteHostFile(dir / "a.jpg", Baseline(40, 24));
    File file;
    ASSERT_EQ(file.OpenHost(dir / "a.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    ASSERT_EQ(file.Seek(10, FILE_BEGIN), 0u);
    ImageHeaderInfo info;
    ASSERT_EQ(ReadImageHeaderInfo(file, info), 0);
    EXPECT_EQ(info.width, 40);
    EXPECT_EQ(info.height, 24);
}

TEST(JpegHeader, StartOfImageMustLieInTheFirst513Bytes) {
    struct Case {
        size_t garbage;
        int result;
    } cases[] = {{0, 0}, {1, 0}, {510, 0}, {511, 0}, {512, -217}, {2000, -217}};
    for (const Case& c : cases) {
        EXPECT_EQ(HeaderOf(WithGarbage(c.garbage, Baseline())), c.result) << c.garbage;
    }
    // Found by searching, the start of image must be followed by a marker;
    // at the very start it need not be (a second start of image then ends
    // the walk before any frame).
    EXPECT_EQ(HeaderOf(WithGarbage(3, JpegStream().Soi().Raw({0x00}).Raw(Baseline()).Bytes())), -217);
    EXPECT_EQ(HeaderOf(JpegStream().Soi().Raw({0x00}).Raw(Baseline()).Bytes()), -218);
    EXPECT_EQ(HeaderOf({0xFF}), -217);
    EXPECT_EQ(HeaderOf({0x00, 0xFF, 0xD8}), -217);
}

TEST(JpegHeader, RefusalsGiveTheirNumbers) {
    auto frame = [](JpegStream s) { return s.Colour420(16, 16).Sos({1, 2, 3}).Eoi().Bytes(); };
    std::vector<uint8_t> dhtHead = {0x00};
    dhtHead.resize(17, 0);
    std::vector<uint8_t> manyCodes = {0x00, 0, 0, 0, 0, 0, 0, 0, 255, 1, 0, 0, 0, 0, 0, 0, 0};
    manyCodes.resize(17 + 256, 0);
    std::vector<uint8_t> dqt4 = {0x04};
    dqt4.resize(65, 1);
    std::vector<uint8_t> shortDqt = {0x10};
    shortDqt.resize(65, 1);  // 16-bit table needs 129 bytes
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int result;
    } cases[] = {
        {"too many codes", frame(JpegStream().Soi().Segment(0xC4, manyCodes)), -200},
        {"huffman slot 8", frame(JpegStream().Soi().Dht(0x14)), -201},
        {"huffman id 15", frame(JpegStream().Soi().Dht(0x0F)), -201},
        {"huffman length 1", frame(JpegStream().Soi().SegmentWithLength(0xC4, 1, {})), -202},
        {"huffman symbols missing",
         frame(JpegStream().Soi().SegmentWithLength(0xC4, 2 + 17, {0x00, 1}).Raw(std::vector<uint8_t>(15, 0))),
         -202},
        {"quant length 1", frame(JpegStream().Soi().SegmentWithLength(0xDB, 1, {})), -203},
        {"quant table 4", frame(JpegStream().Soi().Segment(0xDB, dqt4)), -204},
        {"quant short", frame(JpegStream().Soi().Segment(0xDB, shortDqt)), -219},
        {"precision 12", JpegStream().Soi().Frame(16, 16, {{1, 0x11, 0}}, 0xC1, 12).Bytes(), -205},
        {"five components",
         JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}, {4, 0x11, 0}, {5, 0x11, 0}})
             .Bytes(),
         -208},
        {"frame length", JpegStream().Soi().SegmentWithLength(0xC0, 12, {8, 0, 8, 0, 8, 1, 1, 0x11, 0, 0}).Bytes(),
         -209},
        {"skipped length 1", frame(JpegStream().Soi().SegmentWithLength(0xFE, 1, {})), -210},
        {"app1 length 0", frame(JpegStream().Soi().SegmentWithLength(0xE1, 0, {})), -210},
        {"restart length 5", frame(JpegStream().Soi().Segment(0xDD, {0, 1, 0})), -211},
        {"quant selector 4", JpegStream().Soi().Frame(8, 8, {{1, 0x11, 4}}).Bytes(), -214},
        {"conditioning read", frame(JpegStream().Soi().Segment(0xCC, {0x00, 0x11, 0x13, 0x05})), 0},
        {"conditioning of an odd length", frame(JpegStream().Soi().Segment(0xCC, {0x00, 0x11, 0x13})), -215},
        {"conditioning table 4", frame(JpegStream().Soi().Segment(0xCC, {0x04, 0x11})), -215},
        {"conditioning L above U", frame(JpegStream().Soi().Segment(0xCC, {0x00, 0x12})), -215},
        {"conditioning Kx 0", frame(JpegStream().Soi().Segment(0xCC, {0x10, 0x00})), -215},
        {"conditioning Kx 64", frame(JpegStream().Soi().Segment(0xCC, {0x10, 64})), -215},
        {"arithmetic frame", JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}}, 0xC9).Bytes(), 0},
        {"restart marker in header", frame(JpegStream().Soi().Raw({0xFF, 0xD3})), -216},
        {"JPG marker", frame(JpegStream().Soi().Raw({0xFF, 0xC8})), -216},
        {"TEM marker", frame(JpegStream().Soi().Raw({0xFF, 0x01})), -216},
        {"lossless", JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}}, 0xC3).Bytes(), -218},
        {"arithmetic progressive", JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}}, 0xCA).Bytes(), 0},
        {"hierarchical", JpegStream().Soi().Frame(8, 8, {{1, 0x11, 0}}, 0xC5).Bytes(), -218},
        {"end of image first", JpegStream().Soi().Tables().Eoi().Bytes(), -218},
        {"scan first", JpegStream().Soi().Tables().Sos({1}).Bytes(), -218},
        {"no frame at all", JpegStream().Soi().Tables().Bytes(), -218},
        {"progressive", JpegStream().Soi().Tables().Frame(8, 8, {{1, 0x11, 0}}, 0xC2).Bytes(), 0},
        // The frame is read before the damage behind it.
        {"progressive, bad table selector",
         JpegStream().Soi().Frame(8, 8, {{1, 0x11, 9}}, 0xC2).SegmentWithLength(0xC4, 0, {}).Bytes(), -214},
        {"width 0", JpegStream().Soi().Frame(0, 8, {{1, 0x11, 0}}).Bytes(), -206},
        {"height 0", JpegStream().Soi().Frame(8, 0, {{1, 0x11, 0}}).Bytes(), -206},
        {"both 0", JpegStream().Soi().Frame(0, 0, {{1, 0x11, 0}}).Bytes(), 2},
    };
    for (const Case& c : cases) {
        ImageHeaderInfo info;
        EXPECT_EQ(HeaderOf(c.bytes, info), c.result) << c.what;
    }
}

// The data can end anywhere; the header reader stops with an error and
// never reads past what it holds (the sanitizers watch the reads).
TEST(JpegHeader, DataEndingAnywhereInTheHeaderStopsWithAnError) {
    std::vector<uint8_t> whole = JpegStream()
                                     .Soi()
                                     .Segment(0xE0, {'J', 'F', 'I', 'F', 0})
                                     .Segment(0xE1, TiffBlock(8).FirstIfd(8).App1Body())
                                     .Segment(0xDD, {0, 4})
                                     .Tables()
                                     .Colour420(32, 16)
                                     .Bytes();
    ASSERT_EQ(HeaderOf(whole), 0);
    for (size_t size = 1; size < whole.size(); ++size) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
        int result = HeaderOf(cut);
        EXPECT_TRUE(result == -207 || result == -217 || result == -218) << size << ": " << result;
    }
}

TEST(JpegHeader, HuffmanAndQuantisationTablesLandInTheirSlots) {
    std::vector<uint8_t> dqt16 = {0x12};
    for (int k = 0; k < 64; ++k) dqt16.insert(dqt16.end(), {uint8_t(k), uint8_t(k * 3)});
    std::vector<uint8_t> bytes = JpegStream()
                                     .Soi()
                                     .Dht(0x05, 0xA5)  // DC class, identifier 5
                                     .Dht(0x13, 0x13)
                                     .Dqt(1)
                                     .Segment(0xDB, dqt16)
                                     .Frame(8, 8, {{1, 0x11, 0}})
                                     .Bytes();
    JpegDecoder decoder;
    ASSERT_EQ(decoder.OpenMemory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(decoder.m_huff[5].bits[1], 1);
    EXPECT_EQ(decoder.m_huff[5].huffval[0], 0xA5);
    EXPECT_EQ(decoder.m_huff[1].bits[1], 0);
    EXPECT_EQ(decoder.m_huff[7].huffval[0], 0x13);
    // Entries arrive in zig-zag order and are kept in natural order.
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(decoder.m_quant[1][kJpegZigZag[k]], k + 1) << k;
        EXPECT_EQ(decoder.m_quant[2][kJpegZigZag[k]], k << 8 | uint8_t(k * 3)) << k;
    }
    EXPECT_EQ(kJpegZigZag[2], 8);
    EXPECT_EQ(kJpegZigZag[63], 63);
}

TEST(JpegHeader, LaterTableInTheSameSlotReplacesTheEarlier) {
    std::vector<uint8_t> bytes =
        JpegStream().Soi().Dht(0x11, 0x01).Dht(0x11, 0x02).Segment(0xDD, {0x01, 0x02}).Frame(8, 8, {{1, 0x11, 0}}).Bytes();
    JpegDecoder decoder;
    ASSERT_EQ(decoder.OpenMemory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(decoder.m_huff[5].huffval[0], 0x02);
    EXPECT_EQ(decoder.m_restartInterval, 0x0102);
}

TEST(JpegHeader, FillBytesAndStuffedZerosBetweenSegmentsAreSkipped) {
    std::vector<uint8_t> bytes = JpegStream()
                                     .Soi()
                                     .Raw({0xFF, 0xFF, 0xFF, 0x00, 0x12, 0x34})
                                     .Tables()
                                     .Raw({0xFF, 0xFF})
                                     .Colour420(24, 8)
                                     .Bytes();
    ImageHeaderInfo info;
    ASSERT_EQ(HeaderOf(bytes, info), 0);
    EXPECT_EQ(info.width, 24);
}
