#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/base/AtomicWrite.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t EntriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(ReplaceHostFile, ReplacesWholeAndSetsTheMode) {
    TempDir dir;
    const fs::path path = fs::path(dir / "settings.reg");
    ASSERT_EQ(0u, ReplaceHostFile(path.string(), "old", 0600));
    ASSERT_EQ(0u, ReplaceHostFile(path.string(), "new text", 0600));
    EXPECT_EQ("new text", Contents(path));
    struct stat st {};
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    EXPECT_EQ(1u, EntriesIn(dir.Path()));
}

TEST(ReplaceHostFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const fs::path path = fs::path(dir / "picture.png");
    ASSERT_EQ(0u, ReplaceHostFile(path.string(), "old"));
    EXPECT_NE(0u, ReplaceHostFile(path.string(), [](FILE* file) {
        fputs("half", file);
        return false;
    }));
    EXPECT_EQ("old", Contents(path));
    EXPECT_EQ(1u, EntriesIn(dir.Path()));
}

TEST(ReplaceHostFile, AMissingFolderIsReported) {
    TempDir dir;
    EXPECT_EQ(uint32_t(ERROR_PATH_NOT_FOUND),
              ReplaceHostFile(dir / "missing/a.txt", "x"));
}
