#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

#include "platform/png/PngWriter.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

// A 3 x 2 picture in rows of 4 pixels; the padding must not be written.
const uint32_t kPixels[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xDEADBEEF,
                            0x00123456, 0x00FFFFFF, 0x00000000, 0xDEADBEEF};

std::vector<uint32_t> ReadPng(const std::string& path, int32_t& width, int32_t& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = int32_t(image.width);
    height = int32_t(image.height);
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        pixels.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return pixels;
}

size_t EntryCount(const std::string& folder) {
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(folder);
         it != std::filesystem::directory_iterator(); ++it)
        ++count;
    return count;
}

TEST(PngWriterTest, RoundTripKeepsPixelsAndSkipsRowPadding) {
    TempDir dir;
    const std::string path = dir / "shot.png";
    WriteHostFile(path, {'o', 'l', 'd'});  // replaced whole
    ASSERT_EQ(0u, WritePng(path, kPixels, 3, 2, 16));
    int32_t width = 0, height = 0;
    const std::vector<uint32_t> back = ReadPng(path, width, height);
    EXPECT_EQ(3, width);
    EXPECT_EQ(2, height);
    EXPECT_EQ((std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0}), back);
    EXPECT_EQ(1u, EntryCount(dir.Path()));
}

TEST(PngWriterTest, MonochromeBitmapIsBlackAndWhite) {
    TempDir dir;
    auto mask = Bitmap::Create(2, 1, 1);
    mask->SetValue(1, 0, 1);
    ASSERT_EQ(0u, WritePng(dir / "mask.png", *mask));
    int32_t width = 0, height = 0;
    EXPECT_EQ((std::vector<uint32_t>{0x000000, 0xFFFFFF}),
              ReadPng(dir / "mask.png", width, height));
}

TEST(PngWriterTest, PpmHeaderAndBytes) {
    TempDir dir;
    ASSERT_EQ(0u, WritePpm(dir / "shot.ppm", kPixels, 3, 2, 16));
    const std::string header = "P6\n3 2\n255\n";
    std::vector<uint8_t> expected(header.begin(), header.end());
    const uint8_t body[] = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF,
                            0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF, 0, 0, 0};
    expected.insert(expected.end(), std::begin(body), std::end(body));
    EXPECT_EQ(expected, ReadHostFile(dir / "shot.ppm"));
}

// The row writer packs several pixels at a time: every width, including
// the ones that end between two steps, gives the bytes of the whole-picture
// writer, and the unused top byte never leaks into the file.
TEST(PngWriterTest, PpmRowsMatchTheWholePictureAtEveryWidth) {
    TempDir dir;
    for (int32_t width = 1; width <= 21; ++width) {
        const int32_t height = 3;
        std::vector<uint32_t> pixels(size_t(width) * height);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint32_t(0xA5000000u | (i * 0x0913E7u & 0xFFFFFF));
        ASSERT_EQ(0u, WritePpm(dir / "whole.ppm", pixels.data(), width, height, size_t(width) * 4));
        int32_t next = 0;
        ASSERT_EQ(0u, WritePpmRows(dir / "rows.ppm", width, height, [&](const uint32_t*& row) {
                      row = pixels.data() + size_t(next++) * width;
                      return true;
                  }));
        EXPECT_EQ(ReadHostFile(dir / "whole.ppm"), ReadHostFile(dir / "rows.ppm")) << "width " << width;
    }
}

TEST(PngWriterTest, PpmRowsAbandonedLeaveNoFile) {
    TempDir dir;
    int32_t asked = 0;
    EXPECT_NE(0u, WritePpmRows(dir / "cut.ppm", 3, 2, [&](const uint32_t*& row) {
                  row = kPixels;
                  return ++asked < 2;
              }));
    EXPECT_EQ(2, asked);
    EXPECT_EQ(0u, EntryCount(dir.Path()));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, WritePpmRows(dir / "empty.ppm", 0, 2, [](const uint32_t*&) { return true; }));
}

TEST(PngWriterTest, FailuresLeaveNoFileBehind) {
    TempDir dir;
    const struct {
        std::string path;
        const uint32_t* pixels;
        int32_t width;
        size_t stride;
        uint32_t expected;
    } cases[] = {
        {dir / "missing/shot.png", kPixels, 3, 16, ERROR_PATH_NOT_FOUND},
        {dir / "shot.png", nullptr, 3, 16, ERROR_INVALID_PARAMETER},
        {dir / "shot.png", kPixels, 0, 16, ERROR_INVALID_PARAMETER},
        {dir / "shot.png", kPixels, 3, 8, ERROR_INVALID_PARAMETER},
        {dir / "shot.png", kPixels, 3, 14, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, WritePng(c.path, c.pixels, c.width, 2, c.stride)) << c.path;
        EXPECT_EQ(c.expected, WritePpm(c.path, c.pixels, c.width, 2, c.stride)) << c.path;
    }
    EXPECT_EQ(0u, EntryCount(dir.Path()));

    // The rename fails onto a non-empty folder: the temporary file goes.
    MakeHostDirs(dir / "taken/inner");
    EXPECT_NE(0u, WritePng(dir / "taken", kPixels, 3, 2, 16));
    EXPECT_EQ(1u, EntryCount(dir.Path()));
}

}  // namespace
