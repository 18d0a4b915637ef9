#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/JpegImageDecoder.h"
#include "imaging/JpegPicture.h"
#include "platform/base/File.h"
#include "tests/imaging/LibJpegReference.h"
#include "tests/support/TestSupport.h"

// Progressive and multi-scan pictures, RGB, CMYK and YCCK, cut files and
// headers that claim more than the data holds (fixtures made by
// tests/fixtures/decode/make.sh with jpegtran from the baseline ones).
namespace {

using Path = JpegImageDecoder::Path;

std::vector<uint8_t> Fixture(const std::string& name) { return ReadHostFile(FixturePath("decode/" + name)); }

int DecodeBytes(const std::vector<uint8_t>& data, int scale, JpegPicture& picture, Path path = Path::Fast) {
    return DecodeJpegMemory(data.data(), data.size(), scale, false, picture, path);
}

JpegPicture Decode(const std::vector<uint8_t>& data, int scale, Path path = Path::Fast) {
    JpegPicture picture;
    EXPECT_EQ(DecodeBytes(data, scale, picture, path), 0);
    return picture;
}

// Offsets of the start-of-scan markers, found by walking the segments and
// then the entropy-coded data of each scan.
std::vector<size_t> ScanOffsets(const std::vector<uint8_t>& data) {
    std::vector<size_t> scans;
    size_t pos = 2;
    while (pos + 4 <= data.size()) {
        const uint8_t code = data[pos + 1];
        if (code == 0xD9) break;
        const size_t length = size_t(data[pos + 2]) << 8 | data[pos + 3];
        if (code != 0xDA) {
            pos += 2 + length;
            continue;
        }
        scans.push_back(pos);
        pos += 2 + length;
        while (pos + 1 < data.size() &&
               !(data[pos] == 0xFF && data[pos + 1] != 0 && (data[pos + 1] < 0xD0 || data[pos + 1] > 0xD7)))
            ++pos;
    }
    return scans;
}

// Each progressive or multi-scan file holds the same coefficients as the
// baseline file it was transcoded from, so it decodes to the same pixels at
// every scale; at full size that is libjpeg-turbo's picture.
struct SameAs {
    const char* file;
    const char* baseline;
};
const SameAs kTranscoded[] = {
    {"prog_grey.jpg", "grey.jpg"},           {"prog_ycc444.jpg", "ycc444.jpg"},
    {"prog_ycc440.jpg", "ycc440.jpg"},       {"prog_ycc422.jpg", "ycc422.jpg"},
    {"prog_ycc420.jpg", "ycc420.jpg"},       {"prog_ycc420_rst1.jpg", "ycc420.jpg"},
    {"prog_script.jpg", "ycc420.jpg"},       {"prog_script_rst3.jpg", "ycc422.jpg"},
    {"seq_scans3.jpg", "ycc420.jpg"},        {"seq_scans2_rst2.jpg", "ycc420.jpg"},
    {"prog_ycck.jpg", "cmyk.jpg"},           {"prog_cmyk.jpg", "cmyk_plain.jpg"},
    // Arithmetic coding, with the conditioning segment jpegtran writes.
    {"arith_grey.jpg", "grey.jpg"},          {"arith_ycc420.jpg", "ycc420.jpg"},
    {"arith_ycc422.jpg", "ycc422.jpg"},      {"arith_ycc420_rst1.jpg", "ycc420.jpg"},
    {"arith_prog_grey.jpg", "grey.jpg"},     {"arith_prog_ycc420.jpg", "ycc420.jpg"},
    {"arith_prog_ycc422.jpg", "ycc422.jpg"}, {"arith_prog_script_rst2.jpg", "ycc420.jpg"},
    {"arith_seq_scans2.jpg", "ycc420.jpg"},  {"arith_ycck.jpg", "cmyk.jpg"},
    // Bands split where the reduced scales' corners end.
    {"prog_split_rst2.jpg", "ycc420.jpg"},   {"arith_prog_split.jpg", "ycc420.jpg"},
};

TEST(JpegCodings, TranscodedFilesDecodeLikeTheirBaselineAtEveryScale) {
    for (const SameAs& c : kTranscoded) {
        const std::vector<uint8_t> data = Fixture(c.file), baseline = Fixture(c.baseline);
        for (int scale = 0; scale < 4; ++scale) {
            SCOPED_TRACE(std::string(c.file) + " at 1/" + std::to_string(1 << scale));
            const JpegPicture expected = Decode(baseline, scale);
            ASSERT_FALSE(expected.pixels.empty());
            EXPECT_EQ(Decode(data, scale, Path::Fast).pixels, expected.pixels);
            EXPECT_EQ(Decode(data, scale, Path::Reference).pixels, expected.pixels);
        }
    }
}

// Full size against libjpeg-turbo, pixel for pixel: the transcoded files,
// RGB marked by the Adobe marker or only by its component ids, and CMYK and
// YCCK through libjpeg-turbo's CMYK output.
TEST(JpegCodings, FullSizeMatchesLibJpegTurbo) {
    std::vector<std::string> files = {"rgb_adobe.jpg", "rgb_ids.jpg", "cmyk.jpg", "cmyk_plain.jpg",
                                      "cjpeg_prog_arith.jpg"};
    for (const SameAs& c : kTranscoded) files.push_back(c.file);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> data = Fixture(file);
        LibJpegImage theirs;
        ASSERT_TRUE(DecodeWithLibJpeg(data, 0, theirs));
        EXPECT_EQ(theirs.warnings, 0);
        const JpegPicture ours = Decode(data, 0);
        ASSERT_EQ(int(ours.width), theirs.width);
        ASSERT_EQ(int(ours.height), theirs.height);
        EXPECT_EQ(ComparePixels(ours.pixels, theirs.pixels).maxDifference, 0);
    }
}

// The RGB files hold the same picture as ycc444.jpg (re-encoded, so close,
// not equal); read as YCbCr they would be in false colours.
TEST(JpegCodings, RgbFilesAreShownAsRgb) {
    const JpegPicture ycc = Decode(Fixture("ycc444.jpg"), 0);
    for (const char* file : {"rgb_adobe.jpg", "rgb_ids.jpg"}) {
        SCOPED_TRACE(file);
        const JpegPicture rgb = Decode(Fixture(file), 0);
        EXPECT_GT(ComparePixels(rgb.pixels, ycc.pixels).psnr, 30);
    }
    EXPECT_EQ(Decode(Fixture("rgb_ids.jpg"), 0).pixels, Decode(Fixture("rgb_adobe.jpg"), 0).pixels);
}

// The conditioning values of the DAC segment change how the statistics
// bins are chosen; pictures made with values other than the defaults
// decode as libjpeg-turbo decodes them.
TEST(JpegCodings, ArithmeticConditioningIsHonoured) {
    const JpegPicture photo = Decode(Fixture("ycc444.jpg"), 0);
    struct Case {
        ArithmeticOptions options;
    } cases[] = {{{false, 0, 1, 5}}, {{false, 2, 5, 1}}, {{true, 1, 3, 20}}, {{true, 0, 0, 63}}};
    std::vector<uint8_t> previous;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.options.dcLower) + " " + std::to_string(c.options.dcUpper) + " " +
                     std::to_string(c.options.acKx));
        const std::vector<uint8_t> data =
            EncodeArithmeticWithLibJpeg(photo.pixels, int(photo.width), int(photo.height), c.options);
        EXPECT_NE(data, previous);
        previous = data;
        LibJpegImage theirs;
        ASSERT_TRUE(DecodeWithLibJpeg(data, 0, theirs));
        for (Path path : {Path::Fast, Path::Reference}) {
            EXPECT_EQ(ComparePixels(Decode(data, 0, path).pixels, theirs.pixels).maxDifference, 0);
        }
    }
}

TEST(JpegCodings, FastAndReferencePathsAgreeOnEveryNewFile) {
    for (const char* file : {"rgb_adobe.jpg", "rgb_ids.jpg", "cmyk.jpg", "cmyk_plain.jpg"}) {
        const std::vector<uint8_t> data = Fixture(file);
        for (int scale = 0; scale < 4; ++scale) {
            SCOPED_TRACE(std::string(file) + " at 1/" + std::to_string(1 << scale));
            EXPECT_EQ(Decode(data, scale, Path::Fast).pixels, Decode(data, scale, Path::Reference).pixels);
        }
    }
}

// A reduced scale entropy-decodes only the scans it needs: at 1/8 the DC
// scans; at 1/2 and 1/4 those that code one of the first 16 or 4
// coefficients (in natural order), or that a later refinement of those
// needs. The store holds one coefficient per block at 1/8.
TEST(JpegCodings, ReducedScalesDecodeOnlyTheScansTheyNeed) {
    struct Case {
        const char* file;
        int scans;
        int decoded[4];   // at 1/1, 1/2, 1/4, 1/8
        uint32_t blocks;  // of all components, whole MCUs
    } cases[] = {
        // jpegtran's default script refines every AC band in one scan from
        // coefficient 1, so each scale but 1/8 needs every scan.
        {"prog_ycc420.jpg", 10, {10, 10, 10, 2}, 4 * 3 * 6},  // 4 x 3 MCUs of 6 blocks
        {"prog_grey.jpg", 6, {6, 6, 6, 2}, 8 * 6},
        // Its one band past the fifth coefficient, never refined, is passed
        // over at 1/4.
        {"prog_script.jpg", 13, {13, 13, 12, 3}, 4 * 3 * 6},
        {"arith_prog_script_rst2.jpg", 13, {13, 13, 12, 3}, 4 * 3 * 6},
        {"prog_split_rst2.jpg", 15, {15, 12, 8, 2}, 4 * 3 * 6},
        {"arith_prog_split.jpg", 15, {15, 12, 8, 2}, 4 * 3 * 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> data = Fixture(c.file);
        for (int scale : {0, 1, 2, 3}) {
            JpegImageDecoder decoder;
            ASSERT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
            ASSERT_EQ(decoder.StartDecoding(false), 0);
            const JpegMcuLayout& l = decoder.m_layout;
            const uint32_t width = (l.mcusPerRow * uint32_t(l.mcuWidth)) >> scale;
            const uint32_t height = (l.mcuRows * uint32_t(l.mcuHeight)) >> scale;
            std::vector<uint32_t> pixels(size_t(width) * height);
            ASSERT_EQ(decoder.BeginOutput(scale, width * 4), 0);
            int rows = 0;
            uint32_t* dest = pixels.data();
            int result = 0;
            while ((result = decoder.DecodeMcuRow(dest, rows)) == 0) dest += size_t(rows) * width;
            ASSERT_EQ(result, 1);
            EXPECT_EQ(decoder.ScansDecoded(), c.decoded[scale]) << "scale " << scale;
            EXPECT_EQ(decoder.ScansSkipped(), c.scans - c.decoded[scale]) << "scale " << scale;
            // 64 or 1 coefficients a block; at 1/4 the 4 the transform uses
            // and a bit per coefficient; but at 1/8 the DC value is held
            // apart as well.
            const size_t bytesPerBlock[4] = {128 + 2, 128 + 2, 8 + 8 + 2, 2};
            EXPECT_EQ(decoder.CoefficientBytes(), c.blocks * bytesPerBlock[scale]) << "scale " << scale;
        }
    }
}

// Output limited to some MCU columns writes those columns as the baseline
// file does and leaves the others alone, also when the coefficients were
// gathered over scans first.
TEST(JpegCodings, OutputColumnsWorkOnGatheredPictures) {
    for (const SameAs& c : kTranscoded) {
        SCOPED_TRACE(c.file);
        auto columns = [](const std::vector<uint8_t>& data) {
            JpegImageDecoder decoder;
            EXPECT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
            EXPECT_EQ(decoder.StartDecoding(false), 0);
            const JpegMcuLayout& l = decoder.m_layout;
            const size_t width = size_t(l.mcusPerRow) * l.mcuWidth, height = size_t(l.mcuRows) * l.mcuHeight;
            std::vector<uint32_t> pixels(width * height, 0xDEADBEEF);
            EXPECT_EQ(decoder.BeginOutput(0, width * 4), 0);
            decoder.SetOutputColumns(1, 3);
            int rows = 0;
            uint32_t* dest = pixels.data();
            while (decoder.DecodeMcuRow(dest, rows) == 0) dest += size_t(rows) * width;
            return pixels;
        };
        const std::vector<uint32_t> ours = columns(Fixture(c.file));
        EXPECT_EQ(ours, columns(Fixture(c.baseline)));
        EXPECT_EQ(ours[0], 0xDEADBEEFu);
    }
}

// The entropy-coded bytes of the scans whose band starts at or after
// `fromSs` (and are not DC scans) overwritten, up to the marker that ends
// each, keeping clear of 0xFF and of the byte after one.
std::vector<uint8_t> DamageScansFrom(const std::vector<uint8_t>& data, int fromSs) {
    std::vector<uint8_t> damaged = data;
    for (size_t scan : ScanOffsets(data)) {
        const size_t header = size_t(data[scan + 2]) << 8 | data[scan + 3];
        const int ss = data[scan + 4 + 2 * data[scan + 4] + 1];
        if (ss == 0 || ss < fromSs) continue;
        for (size_t i = scan + 2 + header; i + 1 < data.size(); ++i) {
            if (data[i] == 0xFF && data[i + 1] != 0 && (data[i + 1] < 0xD0 || data[i + 1] > 0xD7)) break;
            if (data[i] != 0xFF && data[i - 1] != 0xFF) damaged[i] = uint8_t((data[i] * 7 + 13) % 0xFF);
        }
    }
    return damaged;
}

// Damage in the scans a scale passes over never shows at that scale (it
// does at full size): at 1/8 every AC scan, at 1/4 the bands from the fifth
// coefficient on and at 1/2 those from the 25th, when nothing later refines
// across them. The last bands of these small smooth pictures code hardly
// more than end-of-band runs, so their damage may not show at full size
// either.
TEST(JpegCodings, DamagedScansAScalePassesOverLeaveItAlone) {
    struct Case {
        const char* file;
        int scale;
        int fromSs;
        bool showsAtFullSize;
    } cases[] = {
        {"prog_ycc420.jpg", 3, 1, true},       {"prog_split_rst2.jpg", 3, 1, true},
        {"prog_split_rst2.jpg", 2, 5, true},   {"arith_prog_split.jpg", 2, 5, true},
        {"prog_split_rst2.jpg", 1, 25, false}, {"arith_prog_split.jpg", 1, 25, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " at 1/" + std::to_string(1 << c.scale));
        const std::vector<uint8_t> data = Fixture(c.file);
        const std::vector<uint8_t> damaged = DamageScansFrom(data, c.fromSs);
        ASSERT_NE(damaged, data);
        for (Path path : {Path::Fast, Path::Reference}) {
            EXPECT_EQ(Decode(damaged, c.scale, path).pixels, Decode(data, c.scale, path).pixels);
            if (c.showsAtFullSize) {
                EXPECT_NE(Decode(damaged, 0, path).pixels, Decode(data, 0, path).pixels);
            }
        }
    }
}

// Damaged scans with restart markers, some markers among the bytes hit:
// both paths find the same restarts and the same end of the data, so they
// give the same result and the same pixels at every scale. The baseline
// files take the one-scan path, which at 1/8 passes over AC symbols
// several at a time.
TEST(JpegCodings, DamagedScansDecodeAlikeOnBothPaths) {
    for (const char* file : {"prog_ycc420_rst1.jpg", "prog_script_rst3.jpg", "prog_split_rst2.jpg",
                             "seq_scans2_rst2.jpg", "ycc420_rst1.jpg", "ycc422_rstrow.jpg", "ycc444.jpg"}) {
        const std::vector<uint8_t> data = Fixture(file);
        const size_t firstScan = ScanOffsets(data).front();
        for (size_t step = 11; step < 120; step += 6) {
            std::vector<uint8_t> damaged = data;
            for (size_t i = firstScan + 20; i + 2 < damaged.size(); i += step) damaged[i] ^= uint8_t(step);
            for (int scale = 0; scale < 4; ++scale) {
                SCOPED_TRACE(std::string(file) + " every " + std::to_string(step) + " at 1/" +
                             std::to_string(1 << scale));
                JpegPicture fast, reference;
                const int a = DecodeBytes(damaged, scale, fast, Path::Fast);
                EXPECT_EQ(a, DecodeBytes(damaged, scale, reference, Path::Reference));
                EXPECT_EQ(fast.pixels, reference.pixels);
            }
        }
    }
}

// The look over the later scans reads on past the chunk being decoded; from
// a file it puts the file's position back. A comment segment of 40000
// bytes between two scans makes it cross chunks; read from a file or from
// memory, every scale shows the baseline picture and passes over the same
// scans.
TEST(JpegCodings, LookOverLaterScansCrossesChunksOfAFile) {
    std::vector<uint8_t> data = Fixture("prog_split_rst2.jpg");
    const std::vector<size_t> scans = ScanOffsets(data);
    ASSERT_GT(scans.size(), 3u);
    std::vector<uint8_t> comment = {0xFF, 0xFE, 40000 >> 8, 40000 & 0xFF};
    comment.resize(40002, 'c');
    data.insert(data.begin() + ptrdiff_t(scans[3]), comment.begin(), comment.end());
    TempDir dir;
    WriteHostFile(dir / "padded.jpg", data);
    const std::vector<uint8_t> baseline = Fixture("ycc420.jpg");
    for (int scale = 0; scale < 4; ++scale) {
        SCOPED_TRACE("1/" + std::to_string(1 << scale));
        for (Path path : {Path::Fast, Path::Reference}) {
            File file;
            ASSERT_EQ(file.OpenHost(dir / "padded.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
            JpegPicture fromFile;
            ASSERT_EQ(DecodeJpegFile(file, scale, false, fromFile, path), 0);
            EXPECT_EQ(fromFile.pixels, Decode(baseline, scale).pixels);
            EXPECT_EQ(Decode(data, scale, path).pixels, fromFile.pixels);
        }
    }
    File file;
    ASSERT_EQ(file.OpenHost(dir / "padded.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    JpegImageDecoder decoder;
    ASSERT_EQ(decoder.Open(file), 0);
    ASSERT_EQ(decoder.StartDecoding(false), 0);
    const uint32_t width = decoder.m_layout.mcusPerRow * uint32_t(decoder.m_layout.mcuWidth) / 4;
    std::vector<uint32_t> pixels(size_t(width) * decoder.m_layout.mcuRows * decoder.m_layout.mcuHeight / 4);
    ASSERT_EQ(decoder.BeginOutput(2, width * 4), 0);
    int rows = 0;
    for (uint32_t* dest = pixels.data(); decoder.DecodeMcuRow(dest, rows) == 0;) dest += size_t(rows) * width;
    EXPECT_EQ(decoder.ScansSkipped(), 7);
}

// A progressive file cut after any scan shows the scans that arrived as
// libjpeg-turbo shows them (it warns of the early end); cut anywhere else
// it decodes or ends with an error number, the same on both paths.
TEST(JpegCodings, CutProgressiveFilesShowWhatArrived) {
    for (const char* file : {"prog_ycc420.jpg", "prog_script.jpg", "prog_script_rst3.jpg", "prog_ycc420_rst1.jpg",
                             "arith_prog_ycc420.jpg", "arith_prog_script_rst2.jpg"}) {
        const std::vector<uint8_t> data = Fixture(file);
        const std::vector<size_t> scans = ScanOffsets(data);
        ASSERT_GT(scans.size(), 2u);
        for (size_t s = 1; s <= scans.size(); ++s) {
            SCOPED_TRACE(std::string(file) + " after scan " + std::to_string(s));
            const size_t end = s < scans.size() ? scans[s] : data.size() - 2;
            const std::vector<uint8_t> cut(data.begin(), data.begin() + long(end));
            LibJpegImage theirs;
            ASSERT_TRUE(DecodeWithLibJpeg(cut, 0, theirs));
            const JpegPicture ours = Decode(cut, 0);
            EXPECT_EQ(ComparePixels(ours.pixels, theirs.pixels).maxDifference, 0);
            EXPECT_EQ(Decode(cut, 3).pixels.size(), size_t(8 * 6));
        }
        for (size_t end = 0; end < data.size(); end += 23) {
            const std::vector<uint8_t> cut(data.begin(), data.begin() + long(end));
            for (int scale = 0; scale < 4; ++scale) {
                JpegPicture fast, reference;
                const int a = DecodeBytes(cut, scale, fast, Path::Fast);
                const int b = DecodeBytes(cut, scale, reference, Path::Reference);
                ASSERT_EQ(a, b) << end;
                ASSERT_EQ(fast.pixels, reference.pixels) << end;
            }
        }
    }
}

// Patches the frame's height and width.
std::vector<uint8_t> ClaimSize(std::vector<uint8_t> data, uint16_t width, uint16_t height) {
    size_t pos = 2;
    while (data[pos + 1] < 0xC0 || data[pos + 1] > 0xC2) pos += 2 + (size_t(data[pos + 2]) << 8 | data[pos + 3]);
    data[pos + 5] = uint8_t(height >> 8);
    data[pos + 6] = uint8_t(height);
    data[pos + 7] = uint8_t(width >> 8);
    data[pos + 8] = uint8_t(width);
    return data;
}

// A header that claims far more than its data: once the data is used up
// the rest of the picture is blocks of zero coefficients (grey), made
// without decoding, as libjpeg-turbo shows it. (Where the data ends the
// two differ: libjpeg-turbo reads zero bits at a marker, this decoder one
// bits.)
TEST(JpegCodings, DataUsedUpFillsTheRestWithoutDecoding) {
    for (const char* file : {"grey.jpg", "ycc420.jpg", "ycc420_rst1.jpg", "prog_ycc420.jpg", "seq_scans3.jpg"}) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> data = ClaimSize(Fixture(file), 4000, 3000);
        LibJpegImage theirs;
        ASSERT_TRUE(DecodeWithLibJpeg(data, 3, theirs));
        for (Path path : {Path::Fast, Path::Reference}) {
            const JpegPicture ours = Decode(data, 3, path);
            ASSERT_EQ(ours.width, 500u);
            ASSERT_EQ(ours.height, 375u);
            // From the eighth MCU row on, nothing is left of the data.
            for (size_t i = 500 * 16; i < ours.pixels.size(); ++i) {
                ASSERT_EQ(ours.pixels[i], 0x808080u) << i;
                ASSERT_EQ(theirs.pixels[i], 0x808080u) << i;
            }
            EXPECT_EQ(Decode(data, 3, path).pixels, Decode(data, 3, Path::Fast).pixels);
        }
    }
}

// The output may hold at most kJpegPixelBudget pixels: a request beyond it
// fails at once, before anything is allocated.
TEST(JpegCodings, PixelBudgetRefusesLargerOutput) {
    struct Case {
        uint16_t width, height;
        int scale;
        int result;
    } cases[] = {
        {16384, 16384, 0, 0},
        {16384, 16392, 0, JPEG_ERR_TOO_LARGE},
        {65535, 65535, 0, JPEG_ERR_TOO_LARGE},
        {65535, 65535, 1, JPEG_ERR_TOO_LARGE},
        {65535, 65535, 2, 0},
    };
    for (const std::string file : {"grey.jpg", "prog_grey.jpg"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(file + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
            const std::vector<uint8_t> data = ClaimSize(Fixture(file), c.width, c.height);
            JpegImageDecoder decoder;
            ASSERT_EQ(decoder.OpenMemory(data.data(), data.size()), 0);
            ASSERT_EQ(decoder.StartDecoding(false), 0);
            const size_t width = (decoder.m_layout.mcusPerRow * size_t(decoder.m_layout.mcuWidth)) >> c.scale;
            EXPECT_EQ(decoder.BeginOutput(c.scale, width * 4), c.result);
            EXPECT_EQ(decoder.CoefficientBytes(), 0u);
            if (c.result) {
                JpegPicture picture;
                EXPECT_EQ(DecodeBytes(data, c.scale, picture), c.result);
            }
        }
    }
}

}  // namespace
