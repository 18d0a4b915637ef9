#include <gtest/gtest.h>

#include <cstring>

#include "catalogue/CatalogueTypes.h"
#include "catalogue/CategoryDB.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"
#include "tests/desktop/SyncFixture.h"

namespace {

constexpr uint32_t kDay = 86400;

std::vector<uint8_t> Record(uint8_t id, const std::string& name, uint32_t time, bool deleted = false) {
    std::vector<uint8_t> r(46, 0);
    r[7] = id;
    WriteBE32(r.data() + 8, time);
    r[12] = deleted ? 1 : 0;
    std::memcpy(r.data() + 14, name.data(), std::min<size_t>(name.size(), 31));
    return r;
}

std::vector<uint8_t> Database(const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> db = {0x00, 0x01, 0x00, 0x00};
    for (const auto& r : records) db.insert(db.end(), r.begin(), r.end());
    return db;
}

// (id, name, deleted) of every record, in file order.
std::vector<std::string> Describe(const std::vector<uint8_t>& db) {
    std::vector<std::string> out;
    for (size_t at = 4; at + 46 <= db.size(); at += 46) {
        const char* name = reinterpret_cast<const char*>(db.data() + at + 14);
        out.push_back(std::to_string(db[at + 7]) + ":" + std::string(name, strnlen(name, 32)) +
                      (db[at + 12] ? ":deleted" : ""));
    }
    return out;
}

using Names = std::vector<std::string>;

TEST(DesktopCategoryCopyTest, MergeKeepsTheNewerRecordInNameOrder) {
    struct Case {
        const char* what;
        std::vector<std::vector<uint8_t>> mine;
        std::vector<uint8_t> incoming;
        Names expected;
        bool changed;
    } cases[] = {
        {"newer rename replaces and moves", {Record(1, "Apple", 100), Record(2, "Melon", 100)},
         Record(1, "Zebra", 200), {"2:Melon", "1:Zebra"}, true},
        {"older record is ignored", {Record(1, "Apple", 100)}, Record(1, "Zebra", 50), {"1:Apple"}, false},
        {"same time changes nothing", {Record(1, "Apple", 100)}, Record(1, "Other", 100), {"1:Apple"}, false},
        {"unknown id is inserted by name", {Record(1, "apple", 1), Record(2, "melon", 1)},
         Record(3, "Kiwi", 1), {"1:apple", "3:Kiwi", "2:melon"}, true},
        {"into an empty database", {}, Record(4, "First", 1), {"4:First"}, true},
    };
    for (const Case& c : cases) {
        CCategoryDB image;
        std::vector<uint8_t> db = c.mine.empty() ? std::vector<uint8_t>() : Database(c.mine);
        ASSERT_EQ(0, image.LoadFromMemory(db.data(), db.size())) << c.what;
        EXPECT_EQ(0, image.Merge(CategoryRecord::FromBytes(c.incoming.data()))) << c.what;
        EXPECT_EQ(c.expected, Describe(image.Image())) << c.what;
        EXPECT_EQ(c.changed, image.IsDirty()) << c.what;
    }
}

TEST(DesktopCategoryCopyTest, ReadsDefensively) {
    CCategoryDB image;
    std::vector<uint8_t> one = Database({Record(1, "Only", 5)});
    ASSERT_EQ(50u, one.size());
    EXPECT_EQ(0, image.LoadFromMemory(one.data(), one.size()));
    EXPECT_EQ(1u, image.Count());

    std::vector<uint8_t> ragged = one;
    ragged.resize(70, 0xEE);  // a partial record at the end
    EXPECT_EQ(0, image.LoadFromMemory(ragged.data(), ragged.size()));
    EXPECT_EQ(Names({"1:Only"}), Describe(image.Image()));

    std::vector<uint8_t> wrong = one;
    wrong[1] = 2;
    EXPECT_EQ(ERR_CATEGORY_DB_VERSION, image.LoadFromMemory(wrong.data(), wrong.size()));
    uint8_t tiny = 0;
    EXPECT_EQ(ERR_CATEGORY_DB_VERSION, image.LoadFromMemory(&tiny, 1));
}

TEST(DesktopCategoryCopyTest, PurgeRemovesOnlyOldDeletions) {
    const uint32_t now = 3000000000u;
    std::vector<uint8_t> db = Database({Record(1, "a", now - 31 * kDay, true), Record(2, "b", now - 29 * kDay, true),
                                        Record(3, "c", now - 400 * kDay, false)});
    CCategoryDB image;
    image.SetClock([now] { return now; });
    ASSERT_EQ(0, image.LoadFromMemory(db.data(), db.size()));
    image.Purge();
    EXPECT_EQ(Names({"2:b:deleted", "3:c"}), Describe(image.Image()));
    EXPECT_TRUE(image.IsDirty());
}

class CategorySyncTest : public SyncFixture {
protected:
    std::string HandheldDb() const { return Handheld("Program Files/Farrowdale/Kestrelview/_CategoryDB"); }
    std::string DesktopDb() const { return Desktop("_CategoryDB"); }
};

TEST_F(CategorySyncTest, ARenameOnTheHandheldReachesBothCopiesOnce) {
    WriteHostFile(DesktopDb(), Database({Record(1, "Holiday", 100), Record(2, "Work", 100)}));
    WriteHostFile(HandheldDb(), Database({Record(3, "Family", 50), Record(1, "Trips", 200)}));
    ASSERT_EQ(0, Run());
    Names expected = {"3:Family", "1:Trips", "2:Work"};
    EXPECT_EQ(expected, Describe(ReadHostFile(DesktopDb())));
    EXPECT_EQ(expected, Describe(ReadHostFile(HandheldDb())));
    EXPECT_FALSE(Exists(HandheldDb() + "__KVTemp"));
}

TEST_F(CategorySyncTest, EqualRecordsChangeNothingAndWriteNothing) {
    std::vector<uint8_t> db = Database({Record(1, "Same", 100)});
    WriteHostFile(DesktopDb(), db);
    WriteHostFile(HandheldDb(), db);
    SetTime(DesktopDb(), 1000);
    SetTime(HandheldDb(), 1000);
    ASSERT_EQ(0, Run());
    struct stat a {}, b {};
    stat(DesktopDb().c_str(), &a);
    stat(HandheldDb().c_str(), &b);
    EXPECT_EQ(1000, a.st_mtime);
    EXPECT_EQ(1000, b.st_mtime);
}

TEST_F(CategorySyncTest, OldDeletionsArePurgedFromBothCopies) {
    uint32_t now = Seconds1904Now();
    WriteHostFile(HandheldDb(), Database({Record(1, "Gone", now - 31 * kDay, true),
                                          Record(2, "Kept", now - 29 * kDay, true)}));
    WriteHostFile(DesktopDb(), Database({Record(1, "Gone", now - 40 * kDay)}));
    ASSERT_EQ(0, Run());
    EXPECT_EQ(Names({"2:Kept:deleted"}), Describe(ReadHostFile(HandheldDb())));
    EXPECT_EQ(Names({"2:Kept:deleted"}), Describe(ReadHostFile(DesktopDb())));
}

TEST_F(CategorySyncTest, MissingHandheldFileReceivesTheDesktopRecords) {
    WriteHostFile(DesktopDb(), Database({Record(1, "A", 5), Record(2, "B", 5)}));
    MakeHostDirs(Handheld("Program Files/Farrowdale/Kestrelview"));
    ASSERT_EQ(0, Run());
    EXPECT_EQ(Names({"1:A", "2:B"}), Describe(ReadHostFile(HandheldDb())));
}

TEST_F(CategorySyncTest, DesktopOverwritesReplacesTheHandheldFile) {
    uint32_t now = Seconds1904Now();
    WriteHostFile(DesktopDb(), Database({Record(1, "Desk", 5), Record(2, "Old", now - 60 * kDay, true)}));
    WriteHostFile(HandheldDb(), Database({Record(3, "Hand", 5)}));
    ASSERT_EQ(0, Run(1));
    EXPECT_EQ(Names({"1:Desk"}), Describe(ReadHostFile(HandheldDb())));
}

TEST_F(CategorySyncTest, HandheldOverwritesReplacesTheDesktopFile) {
    uint32_t now = Seconds1904Now();
    WriteHostFile(DesktopDb(), Database({Record(1, "Desk", 5)}));
    WriteHostFile(HandheldDb(), Database({Record(3, "Hand", 5), Record(4, "Old", now - 60 * kDay, true)}));
    ASSERT_EQ(0, Run(2));
    EXPECT_EQ(Names({"3:Hand"}), Describe(ReadHostFile(DesktopDb())));
    EXPECT_EQ(Names({"3:Hand"}), Describe(ReadHostFile(HandheldDb())));
}

// A handheld file that is there but cannot be read must not count as empty:
// the merged copy written back would lose the handheld's own categories.
TEST_F(CategorySyncTest, AnUnreadableHandheldFileEndsTheRunAndKeepsBothCopies) {
    const std::vector<uint8_t> desk = Database({Record(1, "Desk", 5)});
    const std::vector<uint8_t> hand = Database({Record(2, "Hand", 5)});
    struct Case {
        const char* what;
        RapiCallKind kind;
    } cases[] = {{"open fails", RapiCallKind::CreateFile}, {"read fails", RapiCallKind::ReadFile}};
    for (const Case& c : cases) {
        WriteHostFile(DesktopDb(), desk);
        WriteHostFile(HandheldDb(), hand);
        FaultInjection::Reset();
        FaultInjection::FailPath(c.kind, u"_CategoryDB", 1, ERROR_READ_FAULT);
        EXPECT_EQ(static_cast<long>(ERROR_READ_FAULT), Run()) << c.what;
        EXPECT_EQ(hand, ReadHostFile(HandheldDb())) << c.what;
        EXPECT_EQ(desk, ReadHostFile(DesktopDb())) << c.what;
        EXPECT_FALSE(Exists(HandheldDb() + "__KVTemp")) << c.what;
    }
}

TEST_F(CategorySyncTest, OtherBrandsUseTheirOwnHandheldDatabase) {
    std::string other = Handheld("Program Files/Brindell/Vellumcam/_CategoryDB");
    WriteHostFile(other, Database({Record(9, "Cam", 5)}));
    WriteHostFile(HandheldDb(), Database({Record(8, "Kv", 5)}));
    ASSERT_EQ(0, Run(0, "Vellum"));
    EXPECT_EQ(Names({"9:Cam"}), Describe(ReadHostFile(DesktopDb())));
}

TEST_F(CategorySyncTest, WrongVersionsEndTheRunBeforeAnyPhoto) {
    TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    ASSERT_EQ(1, InitializePlatform("Kestrelview"));
    struct Case {
        bool desktopWrong;
        long result;
        const char* message;
    } cases[] = {
        {true, -10101,
         ">>> Your Kestrelview Desktop database is out of date. Please run the latest version\n of "
         "Kestrelview Desktop to upgrade the database."},
        {false, -10102,
         ">>> Your Palm Kestrelview database is out of date. Please run the latest version\n of "
         "Kestrelview on your Palm to upgrade the database."},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> good = Database({Record(1, "A", 5)});
        std::vector<uint8_t> bad = good;
        bad[1] = 2;
        WriteHostFile(DesktopDb(), c.desktopWrong ? bad : good);
        WriteHostFile(HandheldDb(), c.desktopWrong ? good : bad);
        Write(InternalHandheld("p.jpg"), "p", 1700000000);
        EXPECT_EQ(c.result, Run());
        EXPECT_EQ(1, CountMessages(c.message));
        EXPECT_FALSE(Exists(InternalDesktop("p.jpg")));
        EXPECT_EQ(c.desktopWrong ? bad : good, ReadHostFile(DesktopDb()));
    }
    ReleasePlatform();
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
