#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "imaging/JpegImageDecoder.h"
#include "imaging/JpegPicture.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr uint32_t kUntouched = 0xDEADBEEF;

struct ColumnsCase {
    const char* fixture;
    int scale;
    JpegImageDecoder::Path path;
    uint16_t first, end;  // output columns from MCU row `from` on
    int from;
};

struct PartDecode {
    std::vector<uint32_t> pixels;  // full width, all rows
    uint32_t width = 0;
    int mcuWidth = 0;
    int mcuHeight = 0;
};

// Decodes every MCU row with output limited to [first, end) from row
// `from` on, and to nothing before it.
PartDecode DecodeColumns(const std::vector<uint8_t>& data, const ColumnsCase& c) {
    PartDecode part;
    auto decoder = std::make_unique<JpegImageDecoder>(c.path);
    EXPECT_EQ(decoder->OpenMemory(data.data(), data.size()), 0);
    EXPECT_EQ(decoder->StartDecoding(false), 0);
    part.mcuWidth = decoder->m_layout.mcuWidth >> c.scale;
    part.width = uint32_t(decoder->m_layout.mcusPerRow) * uint32_t(part.mcuWidth);
    EXPECT_EQ(decoder->BeginOutput(c.scale, part.width * 4), 0);
    part.mcuHeight = decoder->McuHeight();
    part.pixels.assign(size_t(part.width) * decoder->OutputHeight(), kUntouched);
    int result = 0, rows = 0;
    for (int row = 0; result == 0; ++row) {
        decoder->SetOutputColumns(row < c.from ? 0 : c.first, row < c.from ? 0 : c.end);
        result = decoder->DecodeMcuRow(part.pixels.data() + size_t(row) * part.mcuHeight * part.width, rows);
    }
    EXPECT_EQ(result, 1);
    return part;
}

class OutputColumnsTest : public testing::TestWithParam<ColumnsCase> {};

// The MCUs of the chosen columns come out as in a whole decode, even after
// rows decoded without output (the bit stream and DC predictions went on
// through them, restart markers included); nothing else is written.
TEST_P(OutputColumnsTest, OnlyTheChosenColumnsAreWrittenAndTheyAreExact) {
    const ColumnsCase& c = GetParam();
    const std::vector<uint8_t> data = ReadHostFile(FixturePath(c.fixture));
    JpegPicture whole;
    ASSERT_EQ(DecodeJpegMemory(data.data(), data.size(), c.scale, false, whole, c.path), 0);
    const PartDecode part = DecodeColumns(data, c);
    int wrong = 0, written = 0;
    for (uint32_t y = 0; y < whole.height; ++y)
        for (uint32_t x = 0; x < whole.width; ++x) {
            const int column = int(x) / part.mcuWidth, row = int(y) / part.mcuHeight;
            const bool wanted = row >= c.from && column >= c.first && column < c.end;
            const uint32_t got = part.pixels[size_t(y) * part.width + x];
            wrong += got != (wanted ? whole.pixels[size_t(y) * whole.width + x] : kUntouched);
            written += wanted;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(written, 0);
}

constexpr auto kFast = JpegImageDecoder::Path::Fast;
constexpr auto kReference = JpegImageDecoder::Path::Reference;

INSTANTIATE_TEST_SUITE_P(
    Fixtures, OutputColumnsTest,
    testing::Values(ColumnsCase{"viewer/pattern.jpg", 0, kFast, 20, 31, 17},
                    ColumnsCase{"viewer/pattern.jpg", 1, kFast, 0, 5, 40},
                    ColumnsCase{"viewer/pattern.jpg", 3, kFast, 60, 64, 0},
                    ColumnsCase{"viewer/pattern.jpg", 0, kReference, 3, 4, 30},
                    ColumnsCase{"decode/ycc420_rst1.jpg", 0, kFast, 1, 3, 1},
                    ColumnsCase{"decode/ycc422_rstrow.jpg", 0, kFast, 2, 3, 2},
                    ColumnsCase{"decode/ycc420_rst7.jpg", 2, kReference, 1, 2, 1}));

}  // namespace
