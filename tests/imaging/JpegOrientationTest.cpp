#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "imaging/JpegDecoder.h"
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
