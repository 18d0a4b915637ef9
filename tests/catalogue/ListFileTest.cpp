#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/CategoryDB.h"
#include "catalogue/CategoryListImport.h"
#include "catalogue/FileListCache.h"
#include "platform/base/DeviceFolder.h"
#include "tests/support/TestSupport.h"

namespace {

const std::u16string kFolder = u"\\My Documents\\Kestrelview";
const std::string kCacheHost = "My Documents/Kestrelview/KVFileListCache.fdf";
const std::string kOldListHost = "Program Files/Farrowdale/Kestrelview/CategoryList.kvd";
const std::u16string kDbPath = u"\\Program Files\\Farrowdale\\Kestrelview\\_CategoryDB";
const RecordId kCategory = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};

void AppendUtf16Z(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

std::vector<uint8_t> Header(uint8_t version) {
    std::vector<uint8_t> h(LIST_FILE_HEADER_SIZE, 0);
    h[0] = version;
    return h;
}

std::vector<uint8_t> CacheEntry(const RecordId& category, const std::u16string& name) {
    std::vector<uint8_t> e(category.begin(), category.end());
    e.insert(e.end(), 4, 0);
    AppendUtf16Z(e, name);
    return e;
}

std::vector<uint8_t> OldListEntry(uint16_t number, const std::u16string& name) {
    std::vector<uint8_t> e = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8)};
    e.insert(e.end(), 16, 0);
    AppendUtf16Z(e, name);
    return e;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class FileListCacheTest : public ::testing::Test {
protected:
    void SetUp() override { MakeHostDirs(m_device.Host("My Documents/Kestrelview")); }
    TempDevice m_device;
};

TEST_F(FileListCacheTest, ThreeImagesTheSecondInACategory) {
    CFileListCache cache;
    cache.AddEntry(u"a.jpg", CATEGORY_ID_UNFILED);
    cache.AddEntry(u"beach.jpg", kCategory);
    cache.AddEntry(u"\u00e9t\u00e9.jpg", CATEGORY_ID_UNFILED);
    ASSERT_TRUE(cache.SaveCache(kFolder));

    const std::vector<uint8_t> bytes = ReadHostFile(m_device.Host(kCacheHost));
    EXPECT_EQ(bytes.size(), 20u + 3 * 12 + (6 + 10 + 8) * 2);
    EXPECT_EQ(bytes, Concat({Header(1), CacheEntry(CATEGORY_ID_UNFILED, u"a.jpg"),
                             CacheEntry(kCategory, u"beach.jpg"),
                             CacheEntry(CATEGORY_ID_UNFILED, u"\u00e9t\u00e9.jpg")}));

    CFileListCache loaded;
    ASSERT_TRUE(loaded.LoadCache(kFolder));
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_EQ(loaded.At(1).name, u"beach.jpg");
    EXPECT_EQ(loaded.At(1).category, kCategory);
    EXPECT_EQ(loaded.At(2).name, u"\u00e9t\u00e9.jpg");
}

TEST_F(FileListCacheTest, OnlyVersionOneWithAWholeHeaderIsUsed) {
    const std::vector<uint8_t> entry = CacheEntry(kCategory, u"a.jpg");
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool used;
        size_t count;
    } cases[] = {
        {"version 0", Concat({Header(0), entry}), false, 0},
        {"version 2", Concat({Header(2), entry}), false, 0},
        {"empty file", {}, false, 0},
        {"short header", std::vector<uint8_t>(19, 0x01), false, 0},
        {"no entries", Header(1), true, 0},
        {"one entry", Concat({Header(1), entry}), true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteHostFile(m_device.Host(kCacheHost), c.bytes);
        CFileListCache cache;
        EXPECT_EQ(cache.LoadCache(kFolder), c.used);
        EXPECT_EQ(cache.Count(), c.count);
        // Reading never deletes the cache; that is the scan's decision.
        EXPECT_TRUE(std::filesystem::exists(m_device.Host(kCacheHost)));
    }
}

TEST_F(FileListCacheTest, EntriesEndWhereTheDataEnds) {
    std::vector<uint8_t> unterminated = CacheEntry(kCategory, u"b.jpg");
    unterminated.resize(unterminated.size() - 2);
    std::vector<uint8_t> reservedSet = CacheEntry(kCategory, u"r.jpg");
    reservedSet[8] = 0xAB;
    reservedSet[11] = 0xCD;
    const std::vector<uint8_t> good = CacheEntry(CATEGORY_ID_UNFILED, u"a.jpg");
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        size_t count;
    } cases[] = {
        {"name without end", Concat({Header(1), good, unterminated}), 1},
        {"odd last byte", Concat({Header(1), good, {0x41}}), 1},
        {"category cut short", Concat({Header(1), good, {1, 2, 3, 4, 5, 6, 7, 8, 0, 0}}), 1},
        {"empty name", Concat({Header(1), CacheEntry(kCategory, u""), good}), 2},
        {"reserved bytes set", Concat({Header(1), reservedSet}), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFileListCache cache;
        EXPECT_EQ(cache.ReadFromMemory(c.bytes.data(), c.bytes.size()), 0u);
        EXPECT_EQ(cache.Count(), c.count);
    }
    CFileListCache cache;
    const std::vector<uint8_t> bytes = Concat({Header(1), reservedSet});
    cache.ReadFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(cache.At(0).reserved, (std::array<uint8_t, 4>{0xAB, 0, 0, 0xCD}));
    EXPECT_EQ(cache.Serialize(), bytes);
}

TEST_F(FileListCacheTest, SaveReplacesAndDeleteRemoves) {
    WriteHostFile(m_device.Host(kCacheHost), std::vector<uint8_t>(500, 0x55));
    CFileListCache cache;
    cache.AddEntry(u"a.jpg", kCategory);
    ASSERT_TRUE(cache.SaveCache(kFolder));
    EXPECT_EQ(ReadHostFile(m_device.Host(kCacheHost)), Concat({Header(1), CacheEntry(kCategory, u"a.jpg")}));

    EXPECT_EQ(CFileListCache::DeleteCache(kFolder), 0u);
    EXPECT_FALSE(std::filesystem::exists(m_device.Host(kCacheHost)));
    EXPECT_NE(CFileListCache::DeleteCache(kFolder), 0u);
    CFileListCache missing;
    EXPECT_FALSE(missing.LoadCache(kFolder));

    EXPECT_FALSE(cache.SaveCache(u"\\No Such Folder"));
    EXPECT_TRUE(std::filesystem::is_empty(m_device.Host("My Documents/Kestrelview")));
}

class OldCategoryListImport : public ::testing::Test {
protected:
    void SetUp() override { MakeHostDirs(m_device.Host("Program Files/Farrowdale/Kestrelview")); }
    bool ListExists() const { return std::filesystem::exists(m_device.Host(kOldListHost)); }
    TempDevice m_device;
};

TEST_F(OldCategoryListImport, EntriesBecomeCategoriesAndTheListGoes) {
    // Any version byte is accepted.
    WriteHostFile(m_device.Host(kOldListHost),
                  Concat({Header(7), OldListEntry(1, u"Family"), OldListEntry(2, u"Caf\u00e9"),
                          OldListEntry(0x0201, u"Work")}));
    {
        CCategoryDB db;
        ASSERT_EQ(db.Load(kDbPath), 0);
        EXPECT_EQ(ImportOldCategoryList(db), 0u);
        EXPECT_FALSE(db.IsDirty());  // saved by the import
    }
    EXPECT_FALSE(ListExists());

    CCategoryDB db;
    ASSERT_EQ(db.Load(kDbPath), 0);
    std::u16string name;
    ASSERT_TRUE(db.NameOf(RecordId{1, 0, 0, 0, 0, 0, 0, 0}, name));
    EXPECT_EQ(name, u"Family");
    ASSERT_TRUE(db.NameOf(RecordId{2, 0, 0, 0, 0, 0, 0, 0}, name));
    EXPECT_EQ(name, u"Caf\u00e9");
    ASSERT_TRUE(db.NameOf(RecordId{1, 2, 0, 0, 0, 0, 0, 0}, name));
    EXPECT_EQ(name, u"Work");
    EXPECT_EQ(db.Count(), 3u);
}

TEST_F(OldCategoryListImport, UnusableOrRepeatedEntriesAddNothing) {
    WriteHostFile(m_device.Host(kOldListHost),
                  Concat({Header(1), OldListEntry(0, u"Unfiled?"), OldListEntry(1, u"Family"),
                          OldListEntry(1, u"Again")}));
    CCategoryDB db;
    db.Load(kDbPath);
    db.AddWithId(u"Kept", RecordId{1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ImportOldCategoryList(db), 0u);
    EXPECT_EQ(db.Count(), 1u);
    std::u16string name;
    db.NameOf(RecordId{1, 0, 0, 0, 0, 0, 0, 0}, name);
    EXPECT_EQ(name, u"Kept");
    EXPECT_FALSE(db.Exists(CATEGORY_ID_UNFILED));
}

TEST_F(OldCategoryListImport, AnUnreadableListIsDeletedAnyway) {
    WriteHostFile(m_device.Host(kOldListHost), std::vector<uint8_t>(10, 0));
    CCategoryDB db;
    db.Load(kDbPath);
    EXPECT_NE(ImportOldCategoryList(db), 0u);
    EXPECT_FALSE(ListExists());
    EXPECT_EQ(db.Count(), 0u);
    EXPECT_EQ(ImportOldCategoryList(db), 0u);  // no list: nothing to do
}

TEST_F(OldCategoryListImport, TheListStaysWhenTheDatabaseCannotBeSaved) {
    WriteHostFile(m_device.Host(kOldListHost), Concat({Header(1), OldListEntry(1, u"Family")}));
    MakeHostDirs(m_device.Host("Program Files/Farrowdale/Kestrelview/_CategoryDB__KVTemp"));
    CCategoryDB db;
    db.Load(kDbPath);
    EXPECT_NE(ImportOldCategoryList(db), 0u);
    EXPECT_TRUE(ListExists());
    db.SetReadOnly(true);  // keep the destructor from trying again
}

TEST(OldCategoryListEntryTest, WritesWhatItReads) {
    COldCategoryList list;
    list.SetVersion(3);
    list.AddEntry(std::make_unique<OldCategoryListEntry>(0x1234, u"Trips"));
    const std::vector<uint8_t> expected = Concat({Header(3), OldListEntry(0x1234, u"Trips")});
    EXPECT_EQ(list.Serialize(), expected);
    EXPECT_EQ(list.At(0).Id(), (RecordId{0x34, 0x12, 0, 0, 0, 0, 0, 0}));

    COldCategoryList read;
    ASSERT_EQ(read.ReadFromMemory(expected.data(), expected.size()), 0u);
    ASSERT_EQ(read.Count(), 1u);
    EXPECT_EQ(read.At(0).number, 0x1234);
    EXPECT_EQ(read.At(0).name, u"Trips");
    EXPECT_EQ(read.Version(), 3);
}

}  // namespace
