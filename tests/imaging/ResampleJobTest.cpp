#include <gtest/gtest.h>

#include <vector>

#include "imaging/ResampleJob.h"
#include "platform/base/WinError.h"

namespace {

constexpr uint32_t PAD = 0xDEADBEEF;

// A picture whose pixel (x, y) holds 100 y + x, in rows of `pitch` pixels.
struct Grid {
    Grid(uint16_t w, uint16_t h, uint16_t pitch) : width(w), height(h), pitch(pitch) {
        pixels.assign(size_t(pitch) * h, PAD);
        for (uint16_t y = 0; y < h; ++y)
            for (uint16_t x = 0; x < w; ++x) pixels[size_t(y) * pitch + x] = 100u * y + x;
    }
    uint16_t width, height, pitch;
    std::vector<uint32_t> pixels;
};

// Destination rows of `width` pixels (padding dropped), as source labels.
std::vector<std::vector<uint32_t>> Resample(const Grid& source, uint16_t width, uint16_t height,
                                       uint8_t rotation, uint32_t* result = nullptr) {
    const uint16_t pitch = width + 2;
    std::vector<uint32_t> dest(size_t(pitch) * height, PAD);
    ResampleJob job;
    job.sourceBits = source.pixels.data();
    job.sourceStride = size_t(source.pitch) * 4;
    job.sourceWidth = source.width;
    job.sourceHeight = source.height;
    job.destBits = dest.data();
    job.destStride = size_t(pitch) * 4;
    job.destWidth = width;
    job.destHeight = height;
    job.rotation = rotation;
    const uint32_t rc = job.Run();
    if (result) *result = rc;
    std::vector<std::vector<uint32_t>> rows;
    for (uint16_t y = 0; y < height; ++y) {
        rows.emplace_back(dest.begin() + y * pitch, dest.begin() + y * pitch + width);
        EXPECT_EQ(PAD, dest[size_t(y) * pitch + width]) << "padding written in row " << y;
        EXPECT_EQ(PAD, dest[size_t(y) * pitch + width + 1]);
    }
    return rows;
}

using Rows = std::vector<std::vector<uint32_t>>;

TEST(ResampleJobTest, StraightCasesTakeTruncatedPositions) {
    const Grid source(4, 3, 6);
    const struct {
        uint16_t width, height;
        Rows expected;
    } cases[] = {
        {4, 3, {{0, 1, 2, 3}, {100, 101, 102, 103}, {200, 201, 202, 203}}},
        {2, 1, {{0, 2}}},
        // xstep = 4/3 -> 87381: columns 0, 1, 2; ystep = 3/2 -> rows 0, 1.
        {3, 2, {{0, 1, 2}, {100, 101, 102}}},
        // Enlarged: xstep 0.5, ystep 0.75 -> rows 0, 0, 1, 2.
        {8, 4,
         {{0, 0, 1, 1, 2, 2, 3, 3},
          {0, 0, 1, 1, 2, 2, 3, 3},
          {100, 100, 101, 101, 102, 102, 103, 103},
          {200, 200, 201, 201, 202, 202, 203, 203}}},
        {1, 1, {{0}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Resample(source, c.width, c.height, 0)) << c.width << "x" << c.height;
}

TEST(ResampleJobTest, QuarterTurnClockwise) {
    const Grid source(4, 3, 5);
    // Same size turned: source row 2 becomes the first column read upwards.
    EXPECT_EQ((Rows{{200, 100, 0}, {201, 101, 1}, {202, 102, 2}, {203, 103, 3}}),
              Resample(source, 3, 4, 1));
    // Turned and reduced to 2 x 2: xstep = 3/2 (rows 2, 1), ystep = 4/2
    // (columns 0, 2).
    EXPECT_EQ((Rows{{200, 100}, {202, 102}}), Resample(source, 2, 2, 1));
    // Corners of a turned, enlarged picture: bottom-left goes to top-left,
    // top-left to top-right, top-right to bottom-right.
    const Rows big = Resample(source, 6, 8, 1);
    EXPECT_EQ(200u, big.front().front());
    EXPECT_EQ(0u, big.front().back());
    EXPECT_EQ(3u, big.back().back());
    EXPECT_EQ(203u, big.back().front());
}

TEST(ResampleJobTest, RefusesBadJobsWithoutWriting) {
    const Grid source(4, 3, 4);
    std::vector<uint32_t> dest(16, PAD);
    const ResampleJob good{source.pixels.data(), 16, 4, 3, dest.data(), 16, 4, 4, 0};
    ResampleJob bad[8] = {good, good, good, good, good, good, good, good};
    bad[0].sourceBits = nullptr;
    bad[1].destBits = nullptr;
    bad[2].sourceWidth = 0;
    bad[3].destHeight = 0;
    bad[4].sourceStride = 12;  // shorter than a row
    bad[5].destStride = 18;    // not whole pixels
    bad[6].rotation = 2;
    bad[7].sourceStride = 0;
    for (const ResampleJob& job : bad) EXPECT_EQ(ERROR_INVALID_PARAMETER, job.Run());
    EXPECT_EQ(std::vector<uint32_t>(16, PAD), dest);
    EXPECT_EQ(0u, good.Run());
    EXPECT_EQ(203u, dest[15]);
}

TEST(ResampleJobTest, LargestSizesStayInsideTheSource) {
    // 16.16 steps of the largest 16-bit sides must not overflow or overrun.
    const uint16_t side = 65535;
    std::vector<uint32_t> column(side);
    for (uint32_t i = 0; i < side; ++i) column[i] = i;
    std::vector<uint32_t> dest(3);
    ResampleJob turned{column.data(), 4, 1, side, dest.data(), 12, 3, 1, 1};
    ASSERT_EQ(0u, turned.Run());
    EXPECT_EQ((std::vector<uint32_t>{65534, 65534 - 21845, 65534 - 43690}), dest);
    ResampleJob straight{column.data(), 4, 1, side, dest.data(), 4, 1, 3, 0};
    ASSERT_EQ(0u, straight.Run());
    EXPECT_EQ((std::vector<uint32_t>{0, 21845, 43690}), dest);
}

}  // namespace
