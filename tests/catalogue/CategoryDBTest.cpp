#include "catalogue/CategoryDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/base/Text.h"
#include "tests/support/TestSupport.h"

namespace {

const std::u16string kDbPath = u"\\Program Files\\Farrowdale\\Kestrelview\\_CategoryDB";
const char* kDbHost = "Program Files/Farrowdale/Kestrelview/_CategoryDB";
constexpr Seconds1904 kT = 3'800'000'000u;
constexpr uint32_t kDay = 86400;

RecordId Id(uint8_t n) { return RecordId{n, 0, 0, 0, 0, 0, 0, n}; }

std::vector<uint8_t> Record(const RecordId& id, Seconds1904 modified, uint8_t deleted,
                            const std::string& name) {
    std::vector<uint8_t> r(CATEGORY_RECORD_SIZE, 0);
    std::copy(id.begin(), id.end(), r.begin());
    WriteBE32(&r[8], modified);
    r[12] = deleted;
    std::copy(name.begin(), name.end(), r.begin() + 14);
    return r;
}

std::vector<uint8_t> Database(const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> db = {0x00, 0x01, 0x00, 0x00};
    for (const auto& r : records) db.insert(db.end(), r.begin(), r.end());
    return db;
}

std::vector<std::u16string> LiveNames(const CCategoryDB& db) {
    std::vector<std::u16string> names;
    size_t cursor = 0;
    CategoryRecord record;
    std::u16string name;
    while (db.NextLive(cursor, record, name)) names.push_back(name);
    return names;
}

std::vector<std::string> AllNames(const CCategoryDB& db) {
    std::vector<std::string> names;
    for (size_t i = 0; i < db.Count(); ++i) names.push_back(db.RecordAt(i).AnsiName());
    return names;
}

// A database in a temporary device with a clock the test moves.
class CategoryDBFile : public ::testing::Test {
protected:
    void SetUp() override {
        MakeHostDirs(m_device.Host("Program Files/Farrowdale/Kestrelview"));
        m_db.SetClock([this] { return m_now; });
    }
    std::vector<uint8_t> FileBytes() const { return ReadHostFile(m_device.Host(kDbHost)); }

    TempDevice m_device;
    Seconds1904 m_now = kT;
    CCategoryDB m_db;
};

TEST_F(CategoryDBFile, OneCategoryIsAFiftyByteFile) {
    ASSERT_EQ(m_db.Load(kDbPath), 0);  // no file yet: an empty database
    EXPECT_EQ(m_db.Count(), 0u);
    const RecordId id = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18};
    ASSERT_EQ(m_db.AddWithId(u"Caf\u00e9", id), 0);
    ASSERT_EQ(m_db.Save(), 0);

    std::vector<uint8_t> expected = {0x00, 0x01, 0x00, 0x00,
                                     0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18,
                                     0xE2, 0x7F, 0x66, 0x00,  // kT big-endian
                                     0x00, 0x00, 'C', 'a', 'f', 0xE9};
    expected.resize(50, 0);
    EXPECT_EQ(FileBytes(), expected);
    EXPECT_FALSE(m_db.IsDirty());
}

TEST_F(CategoryDBFile, AddGivesAFreshIdAndSavesAtDestruction) {
    RecordId id{};
    {
        CCategoryDB db;
        ASSERT_EQ(db.Load(kDbPath), 0);
        ASSERT_EQ(db.Add(u"beach", id), 0);
    }
    EXPECT_NE(id, CATEGORY_ID_UNFILED);
    CCategoryDB reloaded;
    ASSERT_EQ(reloaded.Load(kDbPath), 0);
    std::u16string name;
    ASSERT_TRUE(reloaded.NameOf(id, name));
    EXPECT_EQ(name, u"beach");
}

TEST(CategoryDB, NamesAreKeptInCaseInsensitiveOrder) {
    const std::vector<std::vector<std::u16string>> orders = {
        {u"beach", u"Art", u"zoo"}, {u"zoo", u"beach", u"Art"}, {u"Art", u"zoo", u"beach"}};
    for (const auto& order : orders) {
        CCategoryDB db;
        uint8_t n = 1;
        for (const auto& name : order) db.AddWithId(name, Id(n++));
        EXPECT_EQ(LiveNames(db), (std::vector<std::u16string>{u"Art", u"beach", u"zoo"}));
    }
}

TEST(CategoryDB, AnEqualNameGoesInFrontOfTheOneFound) {
    CCategoryDB db;
    db.AddWithId(u"art", Id(1));
    db.AddWithId(u"ART", Id(2));
    db.AddWithId(u"Art", Id(3));
    db.AddWithId(u"aRT", Id(4));
    // With one and two equal names the search lands on the first; with three
    // it lands on the middle one, and the new record goes in front of it.
    const std::vector<RecordId> expected = {Id(3), Id(4), Id(2), Id(1)};
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(db.RecordAt(i).id, expected[i]);
}

TEST_F(CategoryDBFile, DeleteKeepsTheRecordFlaggedAndNewer) {
    m_db.Load(kDbPath);
    m_db.AddWithId(u"Art", Id(1));
    m_db.AddWithId(u"beach", Id(2));
    m_db.Save();
    m_now = kT + 10;
    ASSERT_TRUE(m_db.Delete(Id(1)));
    ASSERT_EQ(m_db.Save(), 0);

    const std::vector<uint8_t> bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 4u + 2 * 46);
    EXPECT_EQ(bytes[4 + 12], 1);
    EXPECT_EQ(ReadBE32(&bytes[4 + 8]), kT + 10);
    EXPECT_EQ(bytes[50 + 12], 0);

    EXPECT_EQ(LiveNames(m_db), std::vector<std::u16string>{u"beach"});
    EXPECT_TRUE(m_db.Exists(Id(1)));
    std::u16string name;
    EXPECT_TRUE(m_db.NameOf(Id(1), name));
    EXPECT_EQ(name, u"Art");
    size_t index = 99;
    EXPECT_FALSE(m_db.NameAndIndexOf(Id(1), name, index));
    EXPECT_TRUE(m_db.NameAndIndexOf(Id(2), name, index));
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(m_db.FindByName(u"art"), CATEGORY_ID_UNFILED);
    EXPECT_EQ(m_db.NthLive(0), Id(2));
    EXPECT_EQ(m_db.NthLive(1), CATEGORY_ID_UNFILED);
    EXPECT_FALSE(m_db.Delete(Id(9)));
}

TEST(CategoryDB, RenameMovesTheRecordAndItsTimeAlwaysMovesOn) {
    Seconds1904 now = kT;
    CCategoryDB db;
    db.SetClock([&] { return now; });
    db.AddWithId(u"Art", Id(1));
    db.AddWithId(u"beach", Id(2));
    db.AddWithId(u"zoo", Id(3));

    ASSERT_TRUE(db.Rename(Id(1), u"Zebra"));
    EXPECT_EQ(AllNames(db), (std::vector<std::string>{"beach", "Zebra", "zoo"}));
    CategoryRecord record;
    ASSERT_TRUE(db.Get(Id(1), record));
    EXPECT_EQ(record.modified, kT + 1);  // same second as its creation
    db.Rename(Id(1), u"zz top");
    db.Get(Id(1), record);
    EXPECT_EQ(record.modified, kT + 2);
    EXPECT_EQ(AllNames(db), (std::vector<std::string>{"beach", "zoo", "zz top"}));

    now = kT + 100;
    db.Rename(Id(1), u"Aardvark");
    db.Get(Id(1), record);
    EXPECT_EQ(record.modified, kT + 100);
    EXPECT_EQ(AllNames(db), (std::vector<std::string>{"Aardvark", "beach", "zoo"}));

    const std::vector<uint8_t> before = db.Image();
    EXPECT_FALSE(db.Rename(Id(7), u"nobody"));
    EXPECT_EQ(db.Image(), before);
}

TEST(CategoryDB, NamesKeepAtMostThirtyOneBytes) {
    const std::u16string name31(31, u'x');
    struct Case {
        std::u16string given;
        std::string stored;
    } cases[] = {
        {name31, std::string(31, 'x')},
        {name31 + u"y", std::string(31, 'x')},
        {u"\u20ac uro", "\x80 uro"},      // Windows-1252 euro sign
        {u"\u4e2d", "?"},                 // no Windows-1252 form
    };
    for (const auto& c : cases) {
        CCategoryDB db;
        db.AddWithId(u"first", Id(1));
        ASSERT_TRUE(db.Rename(Id(1), c.given));
        const std::vector<uint8_t>& image = db.Image();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[4 + 14])), c.stored);
        EXPECT_EQ(image[4 + 45], 0);
    }
}

TEST(CategoryDB, FindByNameSkipsDeletedRecordsOfTheSameName) {
    // The binary search lands on deleted "A" records at positions 2 and 0;
    // the live one between them must still be found.
    const std::vector<uint8_t> image = Database({Record(Id(1), kT, 1, "A"),
                                                 Record(Id(2), kT, 0, "A"),
                                                 Record(Id(3), kT, 1, "A"),
                                                 Record(Id(4), kT, 1, "A"),
                                                 Record(Id(5), kT, 0, "B")});
    CCategoryDB db;
    ASSERT_EQ(db.LoadFromMemory(image.data(), image.size()), 0);
    EXPECT_EQ(db.FindByName(u"a"), Id(2));
    EXPECT_EQ(db.FindByName(u"b"), Id(5));
    EXPECT_EQ(db.FindByName(u"C"), CATEGORY_ID_UNFILED);
    EXPECT_EQ(db.NthLive(1), Id(5));
    std::u16string name;
    size_t index = 0;
    ASSERT_TRUE(db.NameAndIndexOf(Id(5), name, index));
    EXPECT_EQ(index, 1u);

    const std::vector<uint8_t> onlyDeleted = Database({Record(Id(1), kT, 1, "A")});
    db.LoadFromMemory(onlyDeleted.data(), onlyDeleted.size());
    EXPECT_EQ(db.FindByName(u"A"), CATEGORY_ID_UNFILED);
}

TEST(CategoryDB, DamagedFilesAreReadWithinTheirBytes) {
    std::vector<uint8_t> noNul = Database({Record(Id(1), kT, 0, "")});
    std::fill(noNul.begin() + 4 + 14, noNul.end(), 'Q');  // byte 45 too
    std::vector<uint8_t> partial = Database({Record(Id(1), kT, 0, "Art")});
    partial.insert(partial.end(), 30, 'x');
    const std::vector<uint8_t> header = {0x00, 0x01, 0x00, 0x00};

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t result;
        size_t count;
        std::string firstName;
    } cases[] = {
        {"empty", {}, 0, 0, ""},
        {"one byte", {0x00}, ERR_CATEGORY_DB_VERSION, 0, ""},
        {"version only", {0x00, 0x01}, 0, 0, ""},
        {"header only", header, 0, 0, ""},
        {"version 2", {0x00, 0x02, 0x00, 0x00}, ERR_CATEGORY_DB_VERSION, 0, ""},
        {"name without NUL", noNul, 0, 1, std::string(31, 'Q')},
        {"partial record", partial, 0, 1, "Art"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CCategoryDB db;
        EXPECT_EQ(db.LoadFromMemory(c.bytes.data(), c.bytes.size()), c.result);
        ASSERT_EQ(db.Count(), c.count);
        if (c.count) {
            EXPECT_EQ(db.RecordAt(0).AnsiName(), c.firstName);
            std::u16string name;
            EXPECT_TRUE(db.NameOf(Id(1), name));
        }
        EXPECT_EQ(db.AddWithId(u"new", Id(9)), 0);
        EXPECT_TRUE(db.Exists(Id(9)));
    }
}

TEST_F(CategoryDBFile, AnotherVersionIsReportedKeptAndNeverOverwritten) {
    std::vector<uint8_t> v2 = Database({Record(Id(1), kT, 0, "Art")});
    v2[1] = 0x02;
    WriteHostFile(m_device.Host(kDbHost), v2);

    EXPECT_EQ(m_db.Load(kDbPath), ERR_CATEGORY_DB_VERSION);
    EXPECT_EQ(m_db.Image(), v2);
    std::u16string name;
    EXPECT_TRUE(m_db.NameOf(Id(1), name));
    m_db.AddWithId(u"beach", Id(2));
    EXPECT_EQ(m_db.Save(), ERR_CATEGORY_DB_VERSION);
    EXPECT_EQ(FileBytes(), v2);
}

TEST_F(CategoryDBFile, AFailedSaveLeavesTheOldFileAndTheChangesPending) {
    m_db.Load(kDbPath);
    m_db.AddWithId(u"Art", Id(1));
    ASSERT_EQ(m_db.Save(), 0);
    const std::vector<uint8_t> saved = FileBytes();

    // A folder where the temporary file should go makes its creation fail.
    const std::string blocker = m_device.Host(std::string(kDbHost) + "__KVTemp");
    MakeHostDirs(blocker);
    m_db.AddWithId(u"beach", Id(2));
    EXPECT_NE(m_db.Save(), 0);
    EXPECT_EQ(FileBytes(), saved);
    EXPECT_TRUE(m_db.IsDirty());

    std::filesystem::remove(blocker);
    EXPECT_EQ(m_db.Save(), 0);
    EXPECT_EQ(FileBytes().size(), 4u + 2 * 46);
    EXPECT_FALSE(std::filesystem::exists(blocker));
}

TEST_F(CategoryDBFile, LoadTakesBackASaveInterruptedBeforeItsRename) {
    const std::vector<uint8_t> image = Database({Record(Id(1), kT, 0, "Art")});
    WriteHostFile(m_device.Host(std::string(kDbHost) + "__KVTemp"), image);
    ASSERT_EQ(m_db.Load(kDbPath), 0);
    EXPECT_EQ(m_db.Count(), 1u);
    EXPECT_EQ(FileBytes(), image);
}

TEST_F(CategoryDBFile, ReadOnlyOrUnchangedDatabasesWriteNothing) {
    m_db.Load(kDbPath);
    EXPECT_EQ(m_db.Save(), 0);  // nothing held
    m_db.SetReadOnly(true);
    m_db.AddWithId(u"Art", Id(1));
    EXPECT_EQ(m_db.Save(), 0);
    EXPECT_FALSE(std::filesystem::exists(m_device.Host(kDbHost)));
    m_db.SetReadOnly(false);
}

TEST(CategoryDB, LoadHostReadsAFileOutsideTheDevice) {
    TempDir dir;
    const std::vector<uint8_t> image = Database({Record(Id(1), kT, 0, "Art")});
    WriteHostFile(dir / "cats.db", image);
    CCategoryDB db;
    ASSERT_EQ(db.LoadHost(dir / "cats.db"), 0);
    db.Rename(Id(1), u"Zebra");
    ASSERT_EQ(db.Save(), 0);
    EXPECT_EQ(ReadHostFile(dir / "cats.db")[4 + 14], 'Z');
}

TEST(CategoryDB, MergeTakesOnlyNewerRecords) {
    CCategoryDB db;
    const std::vector<uint8_t> image = Database({Record(Id(1), kT, 0, "Art"),
                                                 Record(Id(2), kT, 0, "beach")});
    db.LoadFromMemory(image.data(), image.size());

    auto merge = [&](const std::vector<uint8_t>& bytes) {
        return db.Merge(CategoryRecord::FromBytes(bytes.data()));
    };
    EXPECT_EQ(merge(Record(Id(1), kT, 0, "Other")), 0);
    EXPECT_EQ(merge(Record(Id(2), kT - 1, 1, "beach")), 0);
    EXPECT_EQ(db.Image(), image);
    EXPECT_FALSE(db.IsDirty());

    // A rename made on the other side: the record moves to its new place.
    merge(Record(Id(1), kT + 1, 0, "zoo"));
    EXPECT_TRUE(db.IsDirty());
    EXPECT_EQ(AllNames(db), (std::vector<std::string>{"beach", "zoo"}));
    merge(Record(Id(3), kT, 0, "canal"));
    EXPECT_EQ(AllNames(db), (std::vector<std::string>{"beach", "canal", "zoo"}));

    CCategoryDB empty;
    empty.Merge(CategoryRecord::FromBytes(Record(Id(1), kT, 0, "Art").data()));
    EXPECT_EQ(empty.Image(), Database({Record(Id(1), kT, 0, "Art")}));
}

TEST(CategoryDB, PurgeRemovesDeletedRecordsOlderThanThirtyDays) {
    const Seconds1904 now = kT;
    const std::vector<uint8_t> image = Database({Record(Id(1), now - 31 * kDay, 1, "a"),
                                                 Record(Id(2), now - 29 * kDay, 1, "b"),
                                                 Record(Id(3), now - 40 * kDay, 0, "c"),
                                                 Record(Id(4), now - 30 * kDay, 1, "d")});
    CCategoryDB db;
    db.SetClock([&] { return now; });
    db.LoadFromMemory(image.data(), image.size());
    db.Purge();
    EXPECT_TRUE(db.IsDirty());
    EXPECT_EQ(AllNames(db), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(db.Image().size(), 4u + 3 * 46);

    CCategoryDB again;
    again.SetClock([&] { return now; });
    again.LoadFromMemory(db.Image().data(), db.Image().size());
    again.Purge();
    EXPECT_FALSE(again.IsDirty());

    // A clock close to 1904 must not wrap round and purge everything.
    CCategoryDB early;
    early.SetClock([] { return Seconds1904(1000); });
    const std::vector<uint8_t> recent = Database({Record(Id(1), 500, 1, "a")});
    early.LoadFromMemory(recent.data(), recent.size());
    early.Purge();
    EXPECT_EQ(early.Count(), 1u);
}

// The two copies of a synchronisation: each takes the other's newer records.
TEST(CategoryDB, MergeAllBringsTwoCopiesTogether) {
    const std::vector<uint8_t> mine = Database({Record(Id(1), kT, 0, "Art"), Record(Id(2), kT, 0, "beach")});
    const std::vector<uint8_t> theirs = Database({Record(Id(3), kT, 1, "canal"), Record(Id(1), kT + 5, 0, "zoo")});
    CCategoryDB a;
    CCategoryDB b;
    a.LoadFromMemory(mine.data(), mine.size());
    b.LoadFromMemory(theirs.data(), theirs.size());
    ASSERT_EQ(a.MergeAll(b), 0);
    ASSERT_EQ(b.MergeAll(a), 0);
    EXPECT_EQ(AllNames(a), (std::vector<std::string>{"beach", "canal", "zoo"}));
    EXPECT_EQ(a.Image(), b.Image());

    // Nothing newer on either side: nothing changes.
    CCategoryDB c;
    c.LoadFromMemory(a.Image().data(), a.Image().size());
    EXPECT_EQ(c.MergeAll(a), 0);
    EXPECT_EQ(c.MergeAll(c), 0);
    EXPECT_FALSE(c.IsDirty());
    EXPECT_EQ(c.Image(), a.Image());
}

TEST_F(CategoryDBFile, CopyFromReplacesTheRecordsAndKeepsTheFile) {
    const std::vector<uint8_t> old = Database({Record(Id(9), kT, 0, "Old")});
    WriteHostFile(m_device.Host(kDbHost), old);
    ASSERT_EQ(m_db.Load(kDbPath), 0);

    const std::vector<uint8_t> image = Database({Record(Id(1), kT, 0, "Art")});
    CCategoryDB source;
    source.LoadFromMemory(image.data(), image.size());
    EXPECT_EQ(m_db.CopyFrom(source), 0);
    EXPECT_TRUE(m_db.IsDirty());
    EXPECT_EQ(m_db.Image(), image);
    EXPECT_EQ(m_db.Save(), 0);
    EXPECT_EQ(FileBytes(), image);

    // A source without records empties the copy, which is then never written.
    CCategoryDB none;
    EXPECT_EQ(m_db.CopyFrom(none), 0);
    EXPECT_EQ(m_db.Count(), 0u);
    EXPECT_EQ(m_db.Save(), 0);
    EXPECT_EQ(FileBytes(), image);
}

// SaveTo hands the bytes to a writer under the rules of Save.
TEST(CategoryDB, SaveToWritesOnlyChangedDatabasesOfItsVersion) {
    std::vector<std::vector<uint8_t>> written;
    uint32_t failure = 0;
    auto writer = [&](const std::vector<uint8_t>& bytes) {
        if (failure == 0) written.push_back(bytes);
        return failure;
    };
    const std::vector<uint8_t> image = Database({Record(Id(1), kT, 0, "Art")});
    CCategoryDB db;
    db.LoadFromMemory(image.data(), image.size());
    EXPECT_EQ(db.SaveTo(writer), 0);
    EXPECT_TRUE(written.empty());  // unchanged

    db.Merge(CategoryRecord::FromBytes(Record(Id(2), kT, 0, "beach").data()));
    failure = 112;
    EXPECT_EQ(db.SaveTo(writer), 112);
    EXPECT_TRUE(db.IsDirty());  // the change stays pending
    failure = 0;
    EXPECT_EQ(db.SaveTo(writer), 0);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], db.Image());
    EXPECT_FALSE(db.IsDirty());

    std::vector<uint8_t> other = image;
    other[1] = 2;
    db.LoadFromMemory(other.data(), other.size());
    db.Merge(CategoryRecord::FromBytes(Record(Id(3), kT, 0, "canal").data()));
    EXPECT_EQ(db.SaveTo(writer), ERR_CATEGORY_DB_VERSION);
    EXPECT_EQ(written.size(), 1u);
}

}  // namespace
