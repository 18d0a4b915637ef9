#include "catalogue/ImageItem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue/CategoryDB.h"
#include "catalogue/TrailerEdits.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "platform/base/Time.h"
#include "tests/catalogue/TrailerFixtures.h"
#include "tests/support/TestSupport.h"

using namespace trailer_fixtures;

namespace {

std::vector<uint8_t> Fixture(const std::string& name) {
    return ReadHostFile(FixturePath("catalogue/" + name));
}

Seconds1904 LocalSeconds(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                         uint16_t second) {
    SystemTime st;
    st.year = year;
    st.month = month;
    st.day = day;
    st.hour = hour;
    st.minute = minute;
    st.second = second;
    FileTime local = 0;
    EXPECT_TRUE(SystemTimeToFileTime(st, local));
    return Seconds1904FromLocalFileTime(local);
}

FileTime LastWriteOf(const std::u16string& path) {
    File file;
    EXPECT_EQ(0u, file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    FileTime lastWrite = 0;
    EXPECT_EQ(0u, file.GetTimes(nullptr, nullptr, &lastWrite));
    return lastWrite;
}

void SetLastWrite(const std::u16string& path, FileTime lastWrite) {
    File file;
    ASSERT_EQ(0u, file.Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    ASSERT_EQ(0u, file.SetTimes(nullptr, nullptr, &lastWrite));
}

class ImageItemTest : public ::testing::Test {
protected:
    void Put(const std::vector<uint8_t>& bytes, const std::string& host = kImageHost) {
        WriteHostFile(m_device.Host(host), bytes);
    }
    TempDevice m_device;
};

TEST_F(ImageItemTest, LazyValuesAreReadOnceFromTheFile) {
    const auto jpeg = Fixture("plain.jpg");
    Put(jpeg);
    CImageItem item;
    ASSERT_EQ(0u, item.InitFromFile(kImagePath, false));
    EXPECT_EQ(jpeg.size(), item.GetSize());
    EXPECT_EQ(40, item.GetWidth());
    EXPECT_EQ(30, item.GetHeight());
    EXPECT_FALSE(item.HasNote());
    EXPECT_FALSE(item.IsPrivate());
    EXPECT_NE(0u, item.GetDate());

    const uint64_t opens = File::OpenCount();
    EXPECT_EQ(jpeg.size(), item.GetSize());
    EXPECT_EQ(40, item.GetWidth());
    EXPECT_EQ(30, item.GetHeight());
    item.GetDate();
    item.GetNote();
    item.IsPrivate();
    EXPECT_EQ(opens, File::OpenCount());
    EXPECT_EQ(u"1K", item.SizeText()) << "a file under 1 KiB is not shown as empty";
    EXPECT_EQ(u"40x30", item.DimensionsText());
}

TEST_F(ImageItemTest, UnreadableFileGivesZeroAndIsAskedAgain) {
    CImageItem item;
    EXPECT_EQ(uint32_t(ERROR_PATH_NOT_FOUND), item.InitFromFile(kImagePath, false));
    EXPECT_EQ(u"0K", item.SizeText());
    EXPECT_EQ(u"0x0", item.DimensionsText());
    EXPECT_EQ(0u, item.GetDate());
    EXPECT_FALSE(item.HasNote());

    std::vector<uint8_t> big = Fixture("plain.jpg");
    big.resize(5000, 0);
    Put(Concat(big, RawTrailer(2, {"later"}, {}, 1)));
    EXPECT_EQ(u"4K", item.SizeText());
    EXPECT_EQ(u"40x30", item.DimensionsText());
    EXPECT_EQ(0x01020304u, item.GetDate());
    EXPECT_EQ(u"later", item.GetNote());
    EXPECT_TRUE(item.IsPrivate());
}

TEST_F(ImageItemTest, DateRule) {
    struct Case {
        const char* name;
        const char* fixture;
        bool withTrailer;
        std::string host;
        Seconds1904 expected;  // 0: the file's creation time
    };
    const Seconds1904 exif = LocalSeconds(2003, 12, 10, 1, 50, 34);
    const Case cases[] = {
        {"no trailer, no EXIF", "plain.jpg", false, kImageHost, 0},
        {"EXIF date", "exif_date.jpg", false, kImageHost, exif},
        {"all-zero EXIF date", "exif_zero.jpg", false, kImageHost, 0},
        {"trailer date wins", "exif_date.jpg", true, kImageHost, 0x01020304},
        {"trailer of a non-JPEG name", "exif_date.jpg", true, "My Documents/Kestrelview/a.jpe", 0},
        {"JPEG name in capitals", "plain.jpg", true, "My Documents/Kestrelview/B.JPEG", 0x01020304},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = Fixture(c.fixture);
        if (c.withTrailer) bytes = Concat(bytes, RawTrailer(2, {}));
        Put(bytes, c.host);
        std::u16string path = u"\\" + Utf8ToUtf16(c.host);
        for (auto& ch : path) ch = ch == u'/' ? u'\\' : ch;
        CImageItem item;
        ASSERT_EQ(0u, item.InitFromFile(path, false));
        const Seconds1904 expected = c.expected ? c.expected : CreationDate(path);
        ASSERT_NE(0u, expected);
        EXPECT_EQ(expected, item.GetDate());
    }
}

TEST_F(ImageItemTest, AFirstEditKeepsThePhotosOwnDate) {
    const struct {
        const char* fixture;
        Seconds1904 expected;  // 0: the file's creation time
    } cases[] = {{"exif_date.jpg", LocalSeconds(2003, 12, 10, 1, 50, 34)}, {"plain.jpg", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Put(Fixture(c.fixture));
        CImageItem item;
        ASSERT_EQ(0u, item.InitFromFile(kImagePath, false));
        const Seconds1904 before = item.GetDate();
        ASSERT_EQ(c.expected ? c.expected : CreationDate(kImagePath), before);
        ASSERT_EQ(0, item.SetNote(u"first edit"));
        CImageItem again;
        ASSERT_EQ(0u, again.InitFromFile(kImagePath, false));
        EXPECT_EQ(before, again.GetDate());
    }
}

TEST_F(ImageItemTest, InitFromFileTakesTheTrailerAndGetNoteShowsLineBreaks) {
    const RecordId category{1, 2, 3, 4, 5, 6, 7, 8};
    Put(Concat(Fixture("plain.jpg"), RawTrailer(2, {"a\nb"}, {}, 3, 77, category)));
    CImageItem item;
    ASSERT_EQ(0u, item.InitFromFile(kImagePath, true));
    EXPECT_TRUE(item.IsRemovable());
    EXPECT_EQ(category, item.GetCategory());
    EXPECT_EQ(Seconds1904FromRawFileTime(LastWriteOf(kImagePath)), item.GetLastWrite());
    const uint64_t opens = File::OpenCount();
    EXPECT_TRUE(item.IsPrivate());
    EXPECT_EQ(opens, File::OpenCount());
    EXPECT_EQ(u"a\r\nb", item.GetNote());
    EXPECT_EQ(opens + 1, File::OpenCount());

    // What the note editor hands back comes out of the file unchanged.
    ASSERT_EQ(0, item.SetNote(u"one\r\ntwo"));
    EXPECT_EQ(u"one\r\ntwo", item.GetNote());
    CImageItem again;
    ASSERT_EQ(0u, again.InitFromFile(kImagePath, true));
    EXPECT_EQ(u"one\r\ntwo", again.GetNote());
}

TEST_F(ImageItemTest, SettersChangeFileAndRecordOrNeither) {
    Put(Fixture("plain.jpg"));
    CImageItem item;
    ASSERT_EQ(0u, item.InitFromFile(kImagePath, false));
    const RecordId category{9, 8, 7, 6, 5, 4, 3, 2};
    ASSERT_EQ(0, item.SetCategory(category));
    ASSERT_EQ(0, item.SetPrivate(true));
    ASSERT_EQ(0, item.SetNote(u""));
    EXPECT_EQ(category, item.GetCategory());
    EXPECT_TRUE(item.IsPrivate());
    EXPECT_FALSE(item.HasNote());
    CImageItem fresh;
    ASSERT_EQ(0u, fresh.InitFromFile(kImagePath, false));
    EXPECT_EQ(category, fresh.GetCategory());
    EXPECT_TRUE(fresh.IsPrivate());

    CImageItem gone;
    gone.InitFromCacheEntry(u"\\My Documents\\Kestrelview", u"missing.jpg", category, false);
    EXPECT_EQ(u"\\My Documents\\Kestrelview\\missing.jpg", gone.GetPath());
    EXPECT_EQ(int(ERROR_FILE_NOT_FOUND), gone.SetCategory(CATEGORY_ID_UNFILED));
    EXPECT_EQ(int(ERROR_FILE_NOT_FOUND), gone.SetPrivate(true));
    EXPECT_EQ(int(ERROR_FILE_NOT_FOUND), gone.SetNote(u"x"));
    EXPECT_EQ(category, gone.GetCategory());
    EXPECT_FALSE(gone.IsPrivate());
    EXPECT_TRUE(gone.GetNote().empty());
    gone.SetCategoryInMemory(CATEGORY_ID_UNFILED);
    EXPECT_EQ(CATEGORY_ID_UNFILED, gone.GetCategory());
}

TEST_F(ImageItemTest, TouchMovesTheLastWriteTimeForward) {
    Put(Concat(Fixture("plain.jpg"), RawTrailer(2, {})));
    CImageItem item;
    ASSERT_EQ(0u, item.InitFromFile(kImagePath, false));
    const uint32_t recorded = item.GetLastWrite();
    ASSERT_NE(0u, recorded);

    // The file's time stamp lags the recorded one: one second past it.
    SetLastWrite(kImagePath, RawFileTimeFromSeconds1904(recorded - 100));
    ASSERT_EQ(0u, item.Touch());
    EXPECT_EQ(recorded + 1, item.GetLastWrite());
    EXPECT_EQ(recorded + 1, Seconds1904FromRawFileTime(LastWriteOf(kImagePath)));

    // A later time stamp is taken as it is.
    SetLastWrite(kImagePath, RawFileTimeFromSeconds1904(recorded + 500));
    ASSERT_EQ(0u, item.Touch());
    EXPECT_EQ(recorded + 500, item.GetLastWrite());
    EXPECT_EQ(recorded + 500, Seconds1904FromRawFileTime(LastWriteOf(kImagePath)));
}

TEST(ImageItemPaths, DisplayTextsAndPrefixTests) {
    struct Case {
        std::u16string path;
        std::u16string name, title, folder;
    };
    const Case cases[] = {
        {u"\\My Documents\\Kestrelview\\Beach.2003.jpg", u"Beach.2003.jpg", u"Beach.2003",
         u"\\My Documents\\Kestrelview"},
        {u"\\Storage Card\\DCIM\\.hidden", u".hidden", u".hidden", u"\\Storage Card\\DCIM"},
        {u"\\a.b\\noext", u"noext", u"noext", u"\\a.b"},
        {u"bare.jpg", u"bare.jpg", u"bare", u""},
    };
    for (const Case& c : cases) {
        CImageItem item;
        item.SetPath(c.path);
        EXPECT_EQ(c.name, item.FileName());
        EXPECT_EQ(c.title, item.Title());
        EXPECT_EQ(c.folder, item.Folder());
    }

    CImageItem item;
    item.SetPath(u"\\My Documents\\Kestrelview\\a.jpg");
    EXPECT_TRUE(item.IsUnder(u"\\My Doc"));  // a plain prefix test
    EXPECT_TRUE(item.IsUnder(u"\\my documents\\KESTRELVIEW"));
    EXPECT_FALSE(item.IsUnder(u"\\My Documents\\Kestrelview\\a"));  // the name is not looked at
    EXPECT_FALSE(item.IsOnCard(u"\\My Doc"));
    item.SetRemovable(true);
    EXPECT_TRUE(item.IsOnCard(u"\\My Doc"));
    EXPECT_FALSE(item.IsOnCard(u"\\Storage Card"));
}

TEST(ImageItemCategory, NameComesFromLiveCategoriesOnly) {
    CCategoryDB db;
    RecordId beach{};
    ASSERT_EQ(0, db.Add(u"Beach", beach));
    CImageItem item;
    EXPECT_EQ(u"Unfiled", item.GetCategoryName(db));
    item.SetCategoryInMemory(beach);
    EXPECT_EQ(u"Beach", item.GetCategoryName(db));
    item.SetCategoryInMemory(RecordId{1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(u"Unfiled", item.GetCategoryName(db));
    item.SetCategoryInMemory(beach);
    ASSERT_TRUE(db.Delete(beach));
    EXPECT_EQ(u"Unfiled", item.GetCategoryName(db));
}

TEST(ImageItemDateText, FollowsTheLocaleWithoutSeconds) {
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    setenv("LC_ALL", "C", 1);
    CImageItem item;
    TempDevice device;
    WriteHostFile(device.Host("e.jpg"), Fixture("exif_date.jpg"));
    ASSERT_EQ(0u, item.InitFromFile(u"\\e.jpg", false));
    EXPECT_EQ(u"12/10/03", item.DateText());
    EXPECT_EQ(u"01:50", item.TimeText());
    if (old) {
        setenv("LC_ALL", saved.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}

}  // namespace
