#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/FileFinder.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {
std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

class FileTest : public ::testing::Test {
protected:
    TempDevice device;
    void Put(const std::string& relative, const std::string& content) {
        WriteHostFile(device.Host(relative), Bytes(content));
    }
};
}  // namespace

TEST_F(FileTest, PathsResolveWithoutRegardToCaseAndStayInside) {
    Put("My Documents/Kestrelview/a.jpg", "x");
    std::string host;
    ASSERT_EQ(0u, DeviceFolder::Current().ToHost(u"\\my documents\\KESTRELVIEW\\A.JPG", host));
    EXPECT_EQ(device.Host("My Documents/Kestrelview/a.jpg"), host);
    // A missing component is kept as given, so files can be created.
    ASSERT_EQ(0u, DeviceFolder::Current().ToHost(u"\\My Documents\\New\\b.jpg", host));
    EXPECT_EQ(device.Host("My Documents/New/b.jpg"), host);
    EXPECT_EQ(ERROR_INVALID_NAME, DeviceFolder::Current().ToHost(u"\\My Documents\\..\\..\\etc", host));
    EXPECT_EQ(ERROR_INVALID_NAME, DeviceFolder::Current().ToHost(u"\\a/b", host));
    std::u16string back;
    ASSERT_TRUE(DeviceFolder::Current().ToDevice(device.Host("My Documents/x.jpg"), back));
    EXPECT_EQ(u"\\My Documents\\x.jpg", back);
    EXPECT_FALSE(DeviceFolder::Current().ToDevice("/etc/passwd", back));
}

TEST_F(FileTest, OpenDispositions) {
    File f;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, f.Open(u"\\missing.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, f.Open(u"\\no\\such\\x.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_EQ(0u, f.Open(u"\\new.bin", GENERIC_WRITE, 0, CREATE_NEW));
    uint32_t done = 0;
    ASSERT_EQ(0u, f.Write("hello", 5, done));
    EXPECT_EQ(5u, done);
    f.Close();
    EXPECT_EQ(ERROR_FILE_EXISTS, f.Open(u"\\NEW.BIN", GENERIC_WRITE, 0, CREATE_NEW));
    ASSERT_EQ(0u, f.Open(u"\\new.bin", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    uint64_t size = 0;
    ASSERT_EQ(0u, f.GetSize(size));
    EXPECT_EQ(5u, size);
    ASSERT_EQ(0u, f.Seek(2, FILE_BEGIN));
    ASSERT_EQ(0u, f.SetEndOfFile());
    char buffer[8] = {};
    ASSERT_EQ(0u, f.Seek(0, FILE_BEGIN));
    ASSERT_EQ(0u, f.Read(buffer, sizeof buffer, done));
    EXPECT_EQ(2u, done);
    EXPECT_EQ(std::string("he"), std::string(buffer, done));
    f.Close();
    ASSERT_EQ(0u, f.Open(u"\\new.bin", GENERIC_WRITE, 0, TRUNCATE_EXISTING));
    ASSERT_EQ(0u, f.GetSize(size));
    EXPECT_EQ(0u, size);
}

TEST_F(FileTest, ShareModeZeroExcludesOtherOpens) {
    Put("a.jpg", "data");
    File first, second;
    ASSERT_EQ(0u, first.Open(u"\\a.jpg", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, second.Open(u"\\a.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    first.Close();
    ASSERT_EQ(0u, first.Open(u"\\a.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_EQ(0u, second.Open(u"\\a.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    File third;
    EXPECT_EQ(ERROR_SHARING_VIOLATION, third.Open(u"\\a.jpg", GENERIC_WRITE, 0, OPEN_EXISTING));
}

TEST_F(FileTest, ReadOnlyAttributeRefusesWritingAndDeleting) {
    Put("ro.jpg", "data");
    ASSERT_EQ(0u, SetFileAttributes(u"\\ro.jpg", FILE_ATTRIBUTE_READONLY));
    uint32_t attributes = 0;
    ASSERT_EQ(0u, GetFileAttributes(u"\\ro.jpg", attributes));
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    File f;
    EXPECT_EQ(ERROR_ACCESS_DENIED, f.Open(u"\\ro.jpg", GENERIC_WRITE, 0, OPEN_EXISTING));
    EXPECT_EQ(0u, f.Open(u"\\ro.jpg", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    f.Close();
    EXPECT_EQ(ERROR_ACCESS_DENIED, DeleteFile(u"\\ro.jpg"));
    ASSERT_EQ(0u, SetFileAttributes(u"\\ro.jpg", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(0u, DeleteFile(u"\\ro.jpg"));
    EXPECT_FALSE(PathExists(u"\\ro.jpg"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, DeleteFile(u"\\ro.jpg"));
}

TEST_F(FileTest, TimesRoundTripAndCreationTimeIsKnown) {
    Put("t.jpg", "data");
    File f;
    ASSERT_EQ(0u, f.Open(u"\\t.jpg", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    const FileTime when = FileTimeFromUnix(1000000000, 500);  // 2001-09-09
    ASSERT_EQ(0u, f.SetTimes(nullptr, nullptr, &when));
    FileTime creation = 0, write = 0;
    ASSERT_EQ(0u, f.GetTimes(&creation, nullptr, &write));
    EXPECT_EQ(when, write);
    EXPECT_NE(0u, creation);
}

TEST_F(FileTest, DirectoriesAndMoves) {
    EXPECT_EQ(0u, CreateDirectory(u"\\Photos"));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, CreateDirectory(u"\\photos"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, CreateDirectory(u"\\a\\b"));
    Put("Photos/a.jpg", "A");
    Put("Photos/b.jpg", "B");
    EXPECT_EQ(ERROR_ALREADY_EXISTS, MoveFile(u"\\Photos\\a.jpg", u"\\Photos\\B.JPG"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, MoveFile(u"\\Photos\\zz.jpg", u"\\Photos\\y.jpg"));
    // A change of letter case is a rename of the same file.
    EXPECT_EQ(0u, MoveFile(u"\\Photos\\a.jpg", u"\\Photos\\A.jpg"));
    EXPECT_TRUE(std::filesystem::exists(device.Host("Photos/A.jpg")));
    EXPECT_FALSE(std::filesystem::exists(device.Host("Photos/a.jpg")));
    EXPECT_EQ(0u, MoveFile(u"\\photos\\A.jpg", u"\\c.jpg"));
    EXPECT_EQ(Bytes("A"), ReadHostFile(device.Host("c.jpg")));
    File f;
    EXPECT_EQ(ERROR_ACCESS_DENIED, f.Open(u"\\Photos", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_DIR_NOT_EMPTY, RemoveDirectory(u"\\Photos"));
}

TEST_F(FileTest, FinderListsMatchingEntriesAndMarksCards) {
    Put("My Documents/x.jpg", "1");
    Put("My Documents/y.JPEG", "22");
    Put("My Documents/z.txt", "3");
    TempDir card;
    ASSERT_EQ(0, symlink(card.Path().c_str(), device.Host("Storage Card").c_str()));

    FileFinder finder;
    FindData data;
    std::set<std::u16string> names;
    for (uint32_t err = finder.First(u"\\My Documents\\*.j*", data); err == 0; err = finder.Next(data)) {
        names.insert(data.name);
        EXPECT_FALSE(data.attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    EXPECT_EQ((std::set<std::u16string>{u"x.jpg", u"y.JPEG"}), names);

    std::map<std::u16string, uint32_t> root;
    for (uint32_t err = finder.First(u"\\*.*", data); err == 0; err = finder.Next(data)) {
        root[data.name] = data.attributes;
    }
    ASSERT_EQ(2u, root.size());
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, root[u"My Documents"]);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY, root[u"Storage Card"]);

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, finder.First(u"\\My Documents\\*.png", data));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, finder.First(u"\\Nowhere\\*.*", data));
}

TEST(WinErrorTest, ErrnoMapsToWindowsNumbers) {
    const struct {
        int err;
        uint32_t expected;
    } cases[] = {{0, 0},           {ENOENT, 2},  {ENOTDIR, 3},   {EACCES, 5},   {EROFS, 19},
                 {EWOULDBLOCK, 32}, {EEXIST, 183}, {ENOSPC, 112}, {ENOTEMPTY, 145}, {ENOMEM, 8}};
    for (const auto& c : cases) EXPECT_EQ(c.expected, WinErrorFromErrno(c.err)) << c.err;
    TempDir dir;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, WinErrorFromErrno(ENOENT, dir / "missing"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, WinErrorFromErrno(ENOENT, dir / "no/missing"));
}
