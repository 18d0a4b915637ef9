#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/JpegDecoder.h"
#include "tests/imaging/JpegTestStreams.h"
#include "tests/support/TestSupport.h"

namespace {

using Components = std::vector<JpegStream::Component>;

const Components kColour420 = {{1, 0x22, 0}, {2, 0x11, 1}, {3, 0x11, 1}};

std::vector<uint8_t> Stream(uint16_t width, uint16_t height, const Components& components,
                            std::vector<uint8_t> scanIds, uint8_t tables = 0x00) {
    return JpegStream().Soi().Tables().Frame(width, height, components).Sos(scanIds, tables).Eoi().Bytes();
}

int Start(const std::vector<uint8_t>& bytes, JpegDecoder& decoder, bool thumbnail = false) {
    decoder.OpenMemory(bytes.data(), bytes.size());
    return decoder.StartDecoding(thumbnail);
}

int Start(const std::vector<uint8_t>& bytes) {
    JpegDecoder decoder;
    return Start(bytes, decoder);
}

// Records the order in which the decoding steps are called.
class RecordingDecoder : public JpegDecoder {
public:
    std::string calls;

protected:
    void BuildColourTables() override { calls += "colour(" + std::to_string(m_layout.colourMode) + ") "; }
    void BuildHuffmanTables() override {
        calls += "huffman(" + std::to_string(m_layout.blocksPerMcu) + ")";
    }
};

}  // namespace

TEST(JpegStartDecoding, ChoosesColourModeAndLaysOutTheMcu) {
    struct Case {
        const char* what;
        uint16_t width, height;
        Components components;
        std::vector<uint8_t> scan;
        uint8_t mode, mcuWidth, mcuHeight;
        uint16_t mcusPerRow, mcuRows;
        std::vector<uint8_t> blocks;
    } cases[] = {
        {"grey", 17, 9, {{1, 0x11, 0}}, {1}, 0, 8, 8, 3, 2, {0}},
        {"grey 2x2 sampling", 17, 9, {{1, 0x22, 0}}, {1}, 0, 8, 8, 3, 2, {0}},
        {"4:4:4", 16, 16, {{1, 0x11, 0}, {2, 0x11, 1}, {3, 0x11, 1}}, {1, 2, 3}, 1, 8, 8, 2, 2, {0, 1, 2}},
        {"4:4:0", 16, 17, {{1, 0x12, 0}, {2, 0x11, 1}, {3, 0x11, 1}}, {1, 2, 3}, 2, 8, 16, 2, 2, {0, 0, 1, 2}},
        {"4:2:2", 17, 8, {{1, 0x21, 0}, {2, 0x11, 1}, {3, 0x11, 1}}, {1, 2, 3}, 3, 16, 8, 2, 1, {0, 0, 1, 2}},
        {"4:2:0", 33, 16, kColour420, {1, 2, 3}, 4, 16, 16, 3, 1, {0, 0, 0, 0, 1, 2}},
        {"4:2:0, 1 x 1", 1, 1, kColour420, {1, 2, 3}, 4, 16, 16, 1, 1, {0, 0, 0, 0, 1, 2}},
        {"widest", 65535, 65535, kColour420, {1, 2, 3}, 4, 16, 16, 4096, 4096, {0, 0, 0, 0, 1, 2}},
    };
    for (const Case& c : cases) {
        JpegDecoder decoder;
        ASSERT_EQ(Start(Stream(c.width, c.height, c.components, c.scan), decoder), 0) << c.what;
        const JpegMcuLayout& l = decoder.m_layout;
        EXPECT_EQ(l.colourMode, c.mode) << c.what;
        EXPECT_EQ(l.mcuWidth, c.mcuWidth) << c.what;
        EXPECT_EQ(l.mcuHeight, c.mcuHeight) << c.what;
        EXPECT_EQ(l.mcusPerRow, c.mcusPerRow) << c.what;
        EXPECT_EQ(l.mcuRows, c.mcuRows) << c.what;
        EXPECT_EQ(std::vector<uint8_t>(l.blockComponent, l.blockComponent + l.blocksPerMcu), c.blocks) << c.what;
        JpegImageInfo info;
        EXPECT_EQ(decoder.GetImageInfo(info), 0);
        EXPECT_EQ(info.paddedWidth, l.mcusPerRow * uint32_t(c.mcuWidth)) << c.what;
        EXPECT_EQ(info.paddedHeight, l.mcuRows * uint32_t(c.mcuHeight)) << c.what;
        EXPECT_EQ(info.mcuHeight, c.mcuHeight) << c.what;
        EXPECT_EQ(info.width, c.width) << c.what;
    }
}

TEST(JpegStartDecoding, ScanTablesAndSlots) {
    JpegDecoder decoder;
    ASSERT_EQ(Start(Stream(16, 16, kColour420, {1, 2, 3}, 0x13), decoder), 0);
    ASSERT_EQ(decoder.m_scan.componentCount, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(decoder.m_scan.components[i].frameIndex, i);
        EXPECT_EQ(decoder.m_scan.components[i].dcSlot, 1);
        EXPECT_EQ(decoder.m_scan.components[i].acSlot, 7);
    }
    EXPECT_EQ(decoder.m_layout.blockScanComponent[5], 2);
}

TEST(JpegStartDecoding, RefusalsGiveTheirNumbers) {
    const Components grey = {{1, 0x11, 0}};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int result;
    } cases[] = {
        {"no components", Stream(8, 8, {}, {1}), -225},
        {"two components", Stream(8, 8, {{1, 0x11, 0}, {2, 0x11, 0}}, {1, 2}), -225},
        {"five components", Stream(8, 8, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}, {4, 0x11, 0}, {5, 0x11, 0}}, {1}),
         -208},
        {"fourth component unlike the first",
         Stream(8, 8, {{1, 0x22, 0}, {2, 0x11, 0}, {3, 0x11, 0}, {4, 0x11, 0}}, {1, 2, 3, 4}), -226},
        {"chroma sampled 2x1", Stream(8, 8, {{1, 0x11, 0}, {2, 0x21, 0}, {3, 0x21, 0}}, {1, 2, 3}), -226},
        {"luma 4x1", Stream(8, 8, {{1, 0x41, 0}, {2, 0x11, 0}, {3, 0x11, 0}}, {1, 2, 3}), -226},
        {"luma 0x0", Stream(8, 8, {{1, 0x00, 0}, {2, 0x11, 0}, {3, 0x11, 0}}, {1, 2, 3}), -226},
        {"grey sampling 0", Stream(8, 8, {{1, 0x01, 0}}, {1}), -220},
        {"grey sampling 5", Stream(8, 8, {{1, 0x15, 0}}, {1}), -220},
        {"scan length", JpegStream().Soi().Frame(8, 8, grey).Segment(0xDA, {1, 1, 0, 0, 63}).Bytes(), -212},
        {"scan of 0 components", JpegStream().Soi().Frame(8, 8, grey).Segment(0xDA, {0, 0, 63, 0}).Bytes(), -212},
        {"scan of 5 components", Stream(8, 8, grey, {1, 1, 1, 1, 1}), -212},
        {"unknown scan component", Stream(8, 8, grey, {7}), -213},
        {"DC selector 4", Stream(8, 8, grey, {1}, 0x40), -214},
        {"AC selector 4", Stream(8, 8, grey, {1}, 0x04), -214},
        {"end of image first", JpegStream().Soi().Frame(8, 8, grey).Eoi().Bytes(), -216},
        {"another frame first", JpegStream().Soi().Frame(8, 8, grey).Frame(8, 8, grey).Bytes(), -216},
        {"data ends", JpegStream().Soi().Frame(8, 8, grey).Bytes(), -216},
        {"restart marker first", JpegStream().Soi().Frame(8, 8, grey).Raw({0xFF, 0xD0}).Sos({1}).Bytes(), -216},
        {"scan header cut", JpegStream().Soi().Frame(8, 8, grey).Raw({0xFF, 0xDA, 0, 8, 1, 1}).Bytes(), -207},
        {"component named twice", Stream(16, 16, kColour420, {1, 1, 2}), -222},
        {"grey scan of two", Stream(8, 8, grey, {1, 1}), -222},
        // The colour set-up comes before the scan header.
        {"set-up before scan", Stream(8, 8, {{1, 0x11, 0}, {2, 0x11, 0}}, {9}), -225},
    };
    for (const Case& c : cases) EXPECT_EQ(Start(c.bytes), c.result) << c.what;
}

TEST(JpegStartDecoding, HeaderErrorIsReturnedAgain) {
    std::vector<uint8_t> twelveBit = ReadHostFile(FixturePath("jpeg/precision12.jpg"));
    RecordingDecoder decoder;
    EXPECT_EQ(Start(twelveBit, decoder), -205);
    EXPECT_EQ(decoder.calls, "");
}

// A progressive scan must follow the rules of spectral selection and
// successive approximation; a sequential one is read whole whatever it says.
TEST(JpegStartDecoding, ProgressiveScanRules) {
    const Components grey = {{1, 0x11, 0}};
    auto scan = [&](uint8_t sof, const std::vector<uint8_t>& ids, uint8_t ss, uint8_t se, uint8_t a) {
        std::vector<uint8_t> body = {uint8_t(ids.size())};
        for (uint8_t id : ids) body.insert(body.end(), {id, 0x00});
        body.insert(body.end(), {ss, se, a});
        const Components& frame = ids.size() > 1 ? kColour420 : grey;
        return JpegStream().Soi().Tables().Frame(16, 16, frame, sof).Segment(0xDA, body).Eoi().Bytes();
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int result;
    } cases[] = {
        {"DC first", scan(0xC2, {1}, 0, 0, 0x01), 0},
        {"DC of three", scan(0xC2, {1, 2, 3}, 0, 0, 0x00), 0},
        {"AC band", scan(0xC2, {1}, 1, 5, 0x02), 0},
        {"AC refinement", scan(0xC2, {1}, 6, 63, 0x21), 0},
        {"DC scan with AC", scan(0xC2, {1}, 0, 5, 0x00), -234},
        {"band reversed", scan(0xC2, {1}, 6, 5, 0x00), -234},
        {"band past 63", scan(0xC2, {1}, 1, 64, 0x00), -234},
        {"AC of three", scan(0xC2, {1, 2, 3}, 1, 63, 0x00), -234},
        {"refinement by two bits", scan(0xC2, {1}, 1, 63, 0x20), -234},
        {"Al above 13", scan(0xC2, {1}, 1, 63, 0x0E), -234},
        {"sequential ignores it", scan(0xC0, {1}, 6, 5, 0xFF), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Start(c.bytes), c.result) << c.what;
}

TEST(JpegStartDecoding, BuildStepsRunInOrderOnlyWhenAllIsWell) {
    RecordingDecoder good;
    ASSERT_EQ(Start(Stream(16, 16, kColour420, {1, 2, 3}), good), 0);
    EXPECT_EQ(good.calls, "colour(4) huffman(6)");
    RecordingDecoder badScan;
    EXPECT_EQ(Start(Stream(16, 16, kColour420, {1, 2, 9}), badScan), -213);
    EXPECT_EQ(badScan.calls, "colour(4) ");
    RecordingDecoder badLayout;
    EXPECT_EQ(Start(Stream(8, 8, {{1, 0x11, 0}, {2, 0x11, 0}}, {1, 2}), badLayout), -225);
    EXPECT_EQ(badLayout.calls, "");
}

TEST(JpegStartDecoding, TablesAfterTheFrameAreRead) {
    std::vector<uint8_t> bytes = JpegStream()
                                     .Soi()
                                     .Frame(8, 8, {{1, 0x11, 2}})
                                     .Dqt(2)
                                     .Dht(0x00, 0x44)
                                     .Segment(0xDD, {0, 3})
                                     .Sos({1})
                                     .Bytes();
    JpegDecoder decoder;
    ASSERT_EQ(Start(bytes, decoder), 0);
    EXPECT_EQ(decoder.m_quant[2][0], 1);
    EXPECT_EQ(decoder.m_huff[0].huffval[0], 0x44);
    EXPECT_EQ(decoder.m_restartInterval, 3);
    // The read pointer rests on the first byte of entropy-coded data.
    EXPECT_EQ(decoder.m_ptr, decoder.m_end);
}

TEST(JpegStartDecoding, EmbeddedThumbnailIsDecodedInsteadWhenAsked) {
    std::vector<uint8_t> bytes = ReadHostFile(FixturePath("jpeg/exif_thumb.jpg"));
    ASSERT_FALSE(bytes.empty());
    JpegDecoder main;
    ASSERT_EQ(Start(bytes, main, false), 0);
    EXPECT_EQ(main.m_frame.width, 16);
    JpegDecoder thumb;
    ASSERT_EQ(Start(bytes, thumb, true), 0);
    EXPECT_EQ(thumb.m_frame.width, 8);
    EXPECT_EQ(thumb.m_frame.height, 8);
    EXPECT_EQ(thumb.m_layout.mcuRows, 1);
    // Without a thumbnail the request is ignored.
    std::vector<uint8_t> plain = ReadHostFile(FixturePath("jpeg/exif_date.jpg"));
    JpegDecoder none;
    ASSERT_EQ(Start(plain, none, true), 0);
    EXPECT_EQ(none.m_frame.width, 16);
}

// The fixture is YCCK sampled 2x2, 1x1, 1x1, 2x2: ten blocks per MCU.
TEST(JpegStartDecoding, YcckStartsAsFourComponents) {
    std::vector<uint8_t> bytes = ReadHostFile(FixturePath("jpeg/cmyk.jpg"));
    JpegDecoder decoder;
    ASSERT_EQ(decoder.OpenMemory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(decoder.m_frame.componentCount, 4);
    EXPECT_EQ(decoder.StartDecoding(false), 0);
    EXPECT_EQ(decoder.m_layout.blocksPerMcu, 10);
    EXPECT_EQ(decoder.m_layout.colourSpace, JPEG_SPACE_YCCK);
}

TEST(JpegStartDecoding, ExtendedSequentialFixtureStarts) {
    for (const char* name : {"extended.jpg", "baseline.jpg", "grey.jpg", "restart422.jpg", "sampling444.jpg"}) {
        std::vector<uint8_t> bytes = ReadHostFile(FixturePath(std::string("jpeg/") + name));
        EXPECT_EQ(Start(bytes), 0) << name;
    }
}
