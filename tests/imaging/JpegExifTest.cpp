#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "imaging/JpegDecoder.h"
#include "imaging/JpegExifReader.h"
#include "imaging/JpegHeader.h"
#include "tests/imaging/JpegTestStreams.h"

namespace {

constexpr uint16_t SHORT = 3, LONG = 4, ASCII = 2;
constexpr char kDate[] = "2003:07:14 09:05:30";

// IFD0 at 8 holding the Exif IFD pointer; the Exif IFD at 40 holding
// DateTimeOriginal, whose text is at 80. IFD1 at 120 is linked when asked.
TiffBlock DatedTiff(size_t size, uint32_t ifd1 = 0) {
    TiffBlock tiff(size);
    tiff.FirstIfd(8).Ifd(8, {{34665, LONG, 1, 40}}, ifd1);
    tiff.Ifd(40, {{36867, ASCII, 20, 80}}).Text(80, kDate);
    return tiff;
}

// IFD1 at 120: Compression, JPEGInterchangeFormat, JPEGInterchangeFormatLength.
TiffBlock ThumbTiff(uint32_t compression, uint32_t offset, uint32_t length, size_t size = 400) {
    TiffBlock tiff = DatedTiff(size, 120);
    tiff.Ifd(120, {{259, SHORT, 1, compression}, {513, LONG, 1, offset}, {514, LONG, 1, length}});
    return tiff;
}

JpegExifFacts Walk(const TiffBlock& tiff) {
    return JpegExifReader(tiff.Bytes().data(), tiff.Bytes().size()).Read();
}

std::string DateOf(const JpegExifFacts& facts) {
    if (!facts.dateTimeOriginal) return "";
    return std::string(reinterpret_cast<const char*>(facts.dateTimeOriginal), facts.dateTimeOriginalLength);
}

std::vector<uint8_t> WithApp1(const std::vector<uint8_t>& app1Body) {
    return JpegStream().Soi().Segment(0xE1, app1Body).Tables().Colour420(64, 48).Bytes();
}

}  // namespace

TEST(JpegExif, DateComesFromTheExifIfd) {
    TiffBlock tiff = DatedTiff(200);
    JpegExifFacts facts = Walk(tiff);
    EXPECT_EQ(DateOf(facts), kDate);
    EXPECT_EQ(facts.thumbnail, nullptr);
}

TEST(JpegExif, BigEndianTiffIsRead) {
    TiffBlock tiff(200, true);
    tiff.FirstIfd(8).Ifd(8, {{34665, LONG, 1, 40}}).Ifd(40, {{36867, ASCII, 20, 80}}).Text(80, kDate);
    EXPECT_EQ(DateOf(Walk(tiff)), kDate);
}

TEST(JpegExif, ThumbnailNeedsCompressionSixBeforeItsOffsetAndANonZeroLength) {
    struct Case {
        const char* what;
        TiffBlock tiff;
        bool found;
    } cases[] = {
        {"complete", ThumbTiff(6, 300, 50), true},
        {"length 0", ThumbTiff(6, 300, 0), false},
        {"compression 1", ThumbTiff(1, 300, 50), false},
        {"runs past the segment", ThumbTiff(6, 300, 101), false},
        {"offset outside the segment", ThumbTiff(6, 5000, 10), false},
        {"offset before compression",
         [] {
             TiffBlock t = DatedTiff(400, 120);
             t.Ifd(120, {{513, LONG, 1, 300}, {259, SHORT, 1, 6}, {514, LONG, 1, 50}});
             return t;
         }(),
         false},
    };
    for (const Case& c : cases) {
        JpegExifFacts facts = Walk(c.tiff);
        EXPECT_EQ(facts.thumbnail != nullptr, c.found) << c.what;
        EXPECT_EQ(DateOf(facts), kDate) << c.what;
        if (c.found) {
            EXPECT_EQ(facts.thumbnail, c.tiff.Bytes().data() + 300);
            EXPECT_EQ(facts.thumbnailLength, 50u);
        }
    }
}

TEST(JpegExif, LyingOffsetsAndLoopsEndTheWalk) {
    struct Case {
        const char* what;
        TiffBlock tiff;
        std::string date;
    } cases[] = {
        {"first IFD outside", TiffBlock(200).FirstIfd(4000), ""},
        {"first IFD at the very end", TiffBlock(200).FirstIfd(199), ""},
        {"entry count beyond the segment",
         [] {
             TiffBlock t(60);
             t.FirstIfd(8).Put16(8, 0xFFFF);
             return t;
         }(),
         ""},
        {"Exif IFD outside", [] {
             TiffBlock t(200);
             t.FirstIfd(8).Ifd(8, {{34665, LONG, 1, 0xFFFFFFF0u}});
             return t;
         }(), ""},
        {"date text outside", [] {
             TiffBlock t = DatedTiff(200);
             t.Ifd(40, {{36867, ASCII, 20, 190}});
             return t;
         }(), ""},
        {"IFD1 links back to IFD0", DatedTiff(200, 8), kDate},
        {"IFD1 links to itself", [] {
             TiffBlock t = DatedTiff(400, 120);
             t.Ifd(120, {{259, SHORT, 1, 6}}, 120);
             return t;
         }(), kDate},
        {"Exif IFD points at itself", [] {
             TiffBlock t(200);
             t.FirstIfd(8).Ifd(8, {{34665, LONG, 1, 40}});
             t.Ifd(40, {{34665, LONG, 1, 40}, {36867, ASCII, 20, 80}}).Text(80, kDate);
             return t;
         }(), kDate},
        {"truncated TIFF header", TiffBlock(6), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateOf(Walk(c.tiff)), c.date) << c.what;
    }
}

TEST(JpegExif, ShortDateIsHeldOnlyAsFarAsItGoes) {
    TiffBlock tiff = DatedTiff(200);
    tiff.Ifd(40, {{36867, ASCII, 11, 80}});
    EXPECT_EQ(DateOf(Walk(tiff)), "2003:07:14 ");
    // Four bytes or fewer sit in the entry itself and are not taken.
    tiff.Ifd(40, {{36867, ASCII, 4, 80}});
    EXPECT_EQ(DateOf(Walk(tiff)), "");
}

TEST(JpegExif, HeaderInfoCarriesDateAndThumbnailFlag) {
    std::vector<uint8_t> bytes = WithApp1(ThumbTiff(6, 300, 50).App1Body());
    ImageHeaderInfo info;
    ASSERT_EQ(ReadImageHeaderInfo(bytes.data(), bytes.size(), info), 0);
    EXPECT_STREQ(info.dateText, kDate);
    EXPECT_EQ(info.hasEmbeddedThumbnail, 1);
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 48);
}

TEST(JpegExif, OtherApp1SegmentsAreSkipped) {
    std::vector<uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's'};
    std::vector<uint8_t> bytes = JpegStream()
                                     .Soi()
                                     .Segment(0xE1, xmp)
                                     .Segment(0xE1, {'E', 'x', 'i'})
                                     .Segment(0xE1, DatedTiff(200).App1Body())
                                     .Tables()
                                     .Colour420(8, 8)
                                     .Bytes();
    ImageHeaderInfo info;
    ASSERT_EQ(ReadImageHeaderInfo(bytes.data(), bytes.size(), info), 0);
    EXPECT_STREQ(info.dateText, kDate);
}

// EXIF values point into the first chunk; a header that needs a second
// chunk loses them, but not the dimensions.
TEST(JpegExif, App1BeyondTheFirstChunkGivesNoDateButTheDimensions) {
    struct Case {
        const char* what;
        size_t app1Size;
        size_t commentSize;
    } cases[] = {
        {"APP1 larger than a chunk", 40000, 0},
        {"APP1 ends in the first chunk, frame in the second", 30000, 8000},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = JpegStream()
                                         .Soi()
                                         .Segment(0xE1, ThumbTiff(6, 300, 50, c.app1Size).App1Body())
                                         .Segment(0xFE, std::vector<uint8_t>(c.commentSize, 'c'))
                                         .Tables()
                                         .Colour420(640, 480)
                                         .Bytes();
        ImageHeaderInfo info;
        ASSERT_EQ(ReadImageHeaderInfo(bytes.data(), bytes.size(), info), 0) << c.what;
        EXPECT_STREQ(info.dateText, "") << c.what;
        EXPECT_EQ(info.hasEmbeddedThumbnail, 0) << c.what;
        EXPECT_EQ(info.width, 640) << c.what;
        EXPECT_EQ(info.height, 480) << c.what;
    }
}

// 257 chunks: an 8-bit chunk count would read 1 and keep stale pointers.
TEST(JpegExif, HeaderOf257ChunksLosesTheExifValuesToo) {
    JpegStream stream;
    stream.Soi().Segment(0xE1, ThumbTiff(6, 300, 50).App1Body());
    const size_t target = 256 * size_t(JpegSource::kChunkSize) + 100;
    while (stream.Bytes().size() < target) {
        size_t left = target - stream.Bytes().size() - 4;
        stream.Segment(0xFE, std::vector<uint8_t>(std::min<size_t>(left, 65000), 'c'));
    }
    std::vector<uint8_t> bytes = stream.Tables().Colour420(320, 240).Bytes();
    ASSERT_LT(bytes.size(), 257 * size_t(JpegSource::kChunkSize));
    ImageHeaderInfo info;
    ASSERT_EQ(ReadImageHeaderInfo(bytes.data(), bytes.size(), info), 0);
    EXPECT_STREQ(info.dateText, "");
    EXPECT_EQ(info.hasEmbeddedThumbnail, 0);
    EXPECT_EQ(info.width, 320);
}

TEST(JpegExif, HeaderEndingExactlyAtTheChunkKeepsItsValues) {
    std::vector<uint8_t> head = JpegStream().Soi().Segment(0xE1, DatedTiff(200).App1Body()).Tables().Bytes();
    std::vector<uint8_t> tail = JpegStream().Colour420(8, 8).Bytes();
    size_t pad = JpegSource::kChunkSize - head.size() - tail.size() - 4;
    std::vector<uint8_t> bytes =
        JpegStream().Raw(head).Segment(0xFE, std::vector<uint8_t>(pad, 'c')).Raw(tail).Eoi().Bytes();
    ImageHeaderInfo info;
    ASSERT_EQ(ReadImageHeaderInfo(bytes.data(), bytes.size(), info), 0);
    EXPECT_STREQ(info.dateText, kDate);
}
