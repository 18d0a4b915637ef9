#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/base/AtomicWrite.h"
#include "platform/base/CrossDeviceMove.h"
#include "platform/base/WinError.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {
std::vector<uint8_t> Photo(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 31 + 7);
    return bytes;
}

size_t EntriesIn(const std::string& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A move between the device and a card that is its own mount point.
class CopyThenDeleteTest : public ::testing::Test {
protected:
    TempDir from, to;
    const std::vector<uint8_t> photo = Photo(200000);
    std::string source, target;
    void SetUp() override {
        source = from / "a.jpg";
        target = to / "a.jpg";
        WriteHostFile(source, photo);
    }
};
}  // namespace

TEST_F(CopyThenDeleteTest, MovesTheWholeFileWithItsTimes) {
    struct stat before{};
    ASSERT_EQ(0, stat(source.c_str(), &before));
    ASSERT_EQ(0u, CopyThenDelete(source, target));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(photo, ReadHostFile(target));
    struct stat after{};
    ASSERT_EQ(0, stat(target.c_str(), &after));
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(1u, EntriesIn(to.Path()));
}

// A copy that fails half way (a full card, here a file size limit) leaves
// the source whole and nothing at the target.
TEST_F(CopyThenDeleteTest, ACopyThatFailsHalfWayLeavesTheSourceAndNoTarget) {
    uint32_t result = 0;
    {
        const FileSizeLimit limit(photo.size() / 2);
        result = CopyThenDelete(source, target);
    }
    EXPECT_EQ(uint32_t(ERROR_DISK_FULL), result);
    EXPECT_EQ(photo, ReadHostFile(source));
    EXPECT_EQ(0u, EntriesIn(to.Path()));
}

TEST_F(CopyThenDeleteTest, AnExistingTargetIsNeverReplaced) {
    WriteHostFile(target, {1, 2, 3});
    EXPECT_EQ(uint32_t(ERROR_ALREADY_EXISTS), CopyThenDelete(source, target));
    EXPECT_EQ(photo, ReadHostFile(source));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadHostFile(target));
    EXPECT_EQ(1u, EntriesIn(to.Path()));
}

TEST_F(CopyThenDeleteTest, AMissingTargetFolderLeavesTheSource) {
    EXPECT_EQ(uint32_t(ERROR_PATH_NOT_FOUND), CopyThenDelete(source, to / "missing/a.jpg"));
    EXPECT_EQ(photo, ReadHostFile(source));
}

// The replacing write of host files through buffered output fails at its
// flush when the disk fills; the old file stays.
TEST(ReplaceHostFile, AFlushThatFailsHalfWayLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir / "desktop.reg";
    ASSERT_EQ(0u, ReplaceHostFile(path, "old"));
    uint32_t result = 0;
    {
        const FileSizeLimit limit(100);
        result = ReplaceHostFile(path, std::string(5000, 'x'));
    }
    EXPECT_NE(0u, result);
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), ReadHostFile(path));
    EXPECT_EQ(1u, EntriesIn(dir.Path()));
}
