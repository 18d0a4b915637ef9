#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/JpegPicture.h"
#include "tests/imaging/LibJpegReference.h"
#include "tests/support/TestSupport.h"

// Whole decodes of the shared corpus: the fast path against the reference
// path at every scale, and full size against libjpeg-turbo.
namespace {

using Path = JpegImageDecoder::Path;

std::vector<std::string> CorpusFiles(const std::string& dir) {
    std::ifstream in(dir + "/manifest.tsv");
    std::vector<std::string> files;
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) files.push_back(line.substr(0, line.find('\t')));
    return files;
}

// Pictures above this many pixels are left out (some files claim 65535 x
// 65535 over a few bytes of data).
constexpr uint64_t kMaxPixels = 40'000'000;

bool SmallEnough(const std::vector<uint8_t>& data) {
    JpegImageDecoder decoder;
    if (decoder.OpenMemory(data.data(), data.size()) != 0) return false;
    return uint64_t(decoder.m_frame.width) * decoder.m_frame.height <= kMaxPixels;
}

TEST(JpegCorpusDecode, FastPathMatchesReferenceAndLibJpegTurbo) {
    const std::string dir = CorpusDir();
    // The corpus always lies beside the project (../shared/corpus) where the
    // tests run; without it these checks would pass having checked nothing.
    ASSERT_FALSE(dir.empty()) << "the JPEG corpus is missing: " << KV_CORPUS_DIR << " (or $KV_CORPUS_DIR)";
    int decoded = 0, exact = 0, compared = 0, progressive = 0, arithmetic = 0;
    double worstPsnr = 99;
    std::string worstFile;
    for (const std::string& name : CorpusFiles(dir)) {
        std::vector<uint8_t> data = ReadHostFile(dir + "/" + name);
        if (!SmallEnough(data)) continue;
        for (int scale = 3; scale >= 0; --scale) {
            SCOPED_TRACE(name + " at 1/" + std::to_string(1 << scale));
            JpegPicture fast, reference;
            int fastResult = DecodeJpegMemory(data.data(), data.size(), scale, false, fast, Path::Fast);
            int referenceResult =
                DecodeJpegMemory(data.data(), data.size(), scale, false, reference, Path::Reference);
            ASSERT_EQ(fastResult, referenceResult);
            ASSERT_TRUE(fast.pixels == reference.pixels);
            if (fastResult != 0 || scale != 0) continue;
            ++decoded;
            JpegDecoder header;
            header.OpenMemory(data.data(), data.size());
            progressive += header.m_coding == JPEG_CODING_PROGRESSIVE;
            arithmetic += header.m_coding >= JPEG_CODING_ARITHMETIC;
            LibJpegImage theirs;
            // Files libjpeg-turbo finds damaged are compared with the reference
            // path only. RGB, CMYK and YCCK files are compared too.
            if (!DecodeWithLibJpeg(data, 0, theirs) || theirs.warnings) continue;
            ASSERT_EQ(int(fast.width), theirs.width);
            ASSERT_EQ(int(fast.height), theirs.height);
            PixelDifference d = ComparePixels(fast.pixels, theirs.pixels);
            ++compared;
            exact += d.maxDifference == 0;
            if (d.psnr < worstPsnr) {
                worstPsnr = d.psnr;
                worstFile = name;
            }
            EXPECT_EQ(d.maxDifference, 0) << "PSNR " << d.psnr;
        }
    }
    std::printf("  decoded %d (%d progressive, %d arithmetic), compared with libjpeg-turbo %d, identical %d, "
                "worst %.1f dB (%s)\n",
                decoded, progressive, arithmetic, compared, exact, worstPsnr, worstFile.c_str());
    EXPECT_GT(compared, 100);
    EXPECT_GT(progressive, 50);
    EXPECT_GE(arithmetic, 2);
}

}  // namespace
