#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FileListCache.h"
#include "catalogue/WholeFile.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/WinError.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {
RecordId Id(uint8_t n) { return RecordId{n, 0, 0, 0, 0, 0, 0, n}; }

// The two kinds of whole file the catalogue replaces: the category database
// and a list file (a folder's file list cache). Each writes a small file
// first, then a larger one.
struct Writer {
    const char* name;
    std::string host;  // relative to the device root
    std::function<uint32_t(size_t records)> save;
};

std::vector<Writer> Writers() {
    return {
        {"category database", "Program Files/Farrowdale/Kestrelview/_CategoryDB",
         [](size_t records) {
             CCategoryDB db;
             db.Load(CATEGORY_DB_PATH);
             for (size_t i = 0; i < records; ++i) db.AddWithId(u"Category " + std::u16string(1, char16_t(u'A' + i)), Id(uint8_t(i + 1)));
             return uint32_t(db.Save());
         }},
        {"file list cache", "My Documents/Kestrelview/KVFileListCache.fdf",
         [](size_t records) {
             CFileListCache cache;
             for (size_t i = 0; i < records; ++i) cache.AddEntry(u"photo" + std::u16string(1, char16_t(u'A' + i)) + u".jpg", Id(uint8_t(i)));
             return cache.SaveCache(MAIN_PHOTO_FOLDER) ? 0u : uint32_t(ERROR_WRITE_FAULT);
         }},
    };
}

class WholeFileWrites : public ::testing::Test {
protected:
    TempDevice device;
    void SetUp() override {
        MakeHostDirs(device.Host("Program Files/Farrowdale/Kestrelview"));
        MakeHostDirs(device.Host("My Documents/Kestrelview"));
    }
    size_t EntriesBeside(const std::string& host) const {
        const fs::path folder = fs::path(device.Host(host)).parent_path();
        return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
};
}  // namespace

// A write that fails half way (a full disk, here a file size limit) and a
// rename onto a read-only file both leave the old file byte for byte and no
// temporary file.
TEST_F(WholeFileWrites, AFailedReplacementLeavesTheOldFile) {
    const struct {
        const char* failure;
        bool sizeLimit;
        bool readOnlyTarget;
    } failures[] = {{"write fails half way", true, false}, {"read-only target", false, true}};
    for (const Writer& writer : Writers()) {
        for (const auto& f : failures) {
            SCOPED_TRACE(std::string(writer.name) + ": " + f.failure);
            const std::string host = device.Host(writer.host);
            fs::remove(host);
            ASSERT_EQ(0u, writer.save(1));
            const std::vector<uint8_t> before = ReadHostFile(host);
            if (f.readOnlyTarget) chmod(host.c_str(), 0444);
            uint32_t result = 0;
            {
                std::unique_ptr<FileSizeLimit> limit;
                if (f.sizeLimit) limit = std::make_unique<FileSizeLimit>(before.size() + 8);
                result = writer.save(6);
            }
            EXPECT_NE(0u, result);
            EXPECT_EQ(before, ReadHostFile(host));
            EXPECT_EQ(1u, EntriesBeside(writer.host));
            chmod(host.c_str(), 0644);
        }
    }
}

TEST_F(WholeFileWrites, ALeftoverTemporaryFileIsTakenOnlyWhenTheFileIsMissing) {
    const DeviceFolder& dev = DeviceFolder::Current();
    const std::u16string path = u"\\My Documents\\Kestrelview\\list.kvd";
    const std::string host = device.Host("My Documents/Kestrelview/list.kvd");
    std::string temp;
    ASSERT_EQ(0u, dev.ToHost(TemporaryNameFor(path), temp));

    // A writer stopped before its rename: the file is missing, the complete
    // temporary file takes its place.
    WriteHostFile(temp, {1, 2, 3});
    EXPECT_TRUE(RecoverTemporaryFile(dev, path));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadHostFile(host));
    EXPECT_FALSE(fs::exists(temp));

    // Beside a file, a leftover is never taken; the next write goes through.
    WriteHostFile(temp, {9});
    EXPECT_FALSE(RecoverTemporaryFile(dev, path));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadHostFile(host));
    ASSERT_EQ(0u, WriteWholeFileReplacing(dev, path, {4, 5}));
    EXPECT_EQ((std::vector<uint8_t>{4, 5}), ReadHostFile(host));
    EXPECT_FALSE(fs::exists(temp));
}
