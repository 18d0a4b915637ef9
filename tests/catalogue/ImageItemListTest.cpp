#include "catalogue/ImageItemList.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "catalogue/CategoryDB.h"
#include "catalogue/CrtRand.h"
#include "catalogue/HeldRecord.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"
#include "tests/catalogue/ImageFiles.h"

using namespace image_files;

namespace {

constexpr std::u16string_view kMain = u"\\My Documents\\Kestrelview";

std::u16string InMain(std::u16string_view name) { return JoinPath(kMain, name); }

std::u16string Name(int n) { return u"img" + Utf8ToUtf16(std::to_string(n)) + u".jpg"; }

std::vector<std::u16string> FileNames(CImageItemList& list, const ImageFilter& filter = {}) {
    std::vector<std::u16string> names;
    for (int i = 0; i < list.Count(filter); ++i) names.push_back(list.Nth(filter, i)->FileName());
    return names;
}

std::vector<CImageItem*> Records(const CImageItemList& list) {
    std::vector<CImageItem*> records;
    for (size_t i = 0; i < list.Size(); ++i) records.push_back(list.At(i));
    return records;
}

ImageFilter InCategory(const RecordId& category) { return {u"", category}; }

class ImageItemListTest : public ::testing::Test {
protected:
    CImageItem* AddFile(std::u16string_view path, const std::vector<uint8_t>& bytes) {
        PutFile(m_device, path, bytes);
        return m_list.Insert(RecordOf(path));
    }
    RecordId AddCategory(std::u16string_view name) {
        RecordId id{};
        EXPECT_EQ(0, m_db.Add(name, id));
        return id;
    }

    TempDevice m_device;
    CCategoryDB m_db;
    CImageItemList m_list{&m_db};
};

TEST_F(ImageItemListTest, SortsByNameIgnoringCaseInBothDirections) {
    struct Case {
        bool ascending;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {{true, {u"A.jpg", u"b.jpg", u"c.jpeg"}}, {false, {u"c.jpeg", u"b.jpg", u"A.jpg"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ascending);
        CImageItemList inserted;
        inserted.Resort(SORT_NAME, c.ascending);
        CImageItemList resorted;
        resorted.Resort(SORT_LOCATION, !c.ascending);
        for (const auto* name : {u"b.jpg", u"A.jpg", u"c.jpeg"}) {
            inserted.Insert(CachedRecord(InMain(name)));
            resorted.Insert(CachedRecord(InMain(name)));
        }
        resorted.Resort(SORT_NAME, c.ascending);
        EXPECT_EQ(c.expected, FileNames(inserted));
        EXPECT_EQ(c.expected, FileNames(resorted));
        EXPECT_EQ(SORT_NAME, resorted.GetSortKey());
        EXPECT_EQ(c.ascending, resorted.IsAscending());
    }
}

TEST_F(ImageItemListTest, EqualKeysKeepTheScanOrderInBothDirections) {
    const auto same = WithTrailer(PlainJpeg(), {});
    const auto bigger = WithTrailer(PlainJpeg(), Noted("a note makes it bigger"));
    const std::vector<std::pair<std::u16string, const std::vector<uint8_t>*>> scan = {
        {u"one.jpg", &same}, {u"big.jpg", &bigger}, {u"two.jpg", &same}, {u"three.jpg", &same}};
    struct Case {
        bool ascending;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {{true, {u"one.jpg", u"two.jpg", u"three.jpg", u"big.jpg"}},
                          {false, {u"big.jpg", u"one.jpg", u"two.jpg", u"three.jpg"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ascending);
        CImageItemList inserted;
        inserted.Resort(SORT_SIZE, c.ascending);
        // Sorted the other way first, then turned round.
        CImageItemList resorted;
        resorted.Resort(SORT_SIZE, !c.ascending);
        for (const auto& [name, bytes] : scan) {
            PutFile(m_device, InMain(name), *bytes);
            inserted.Insert(RecordOf(InMain(name)));
            resorted.Insert(RecordOf(InMain(name)));
        }
        resorted.Resort(SORT_SIZE, c.ascending);
        EXPECT_EQ(c.expected, FileNames(inserted));
        EXPECT_EQ(c.expected, FileNames(resorted));
    }
}

TEST_F(ImageItemListTest, ComparesEachKey) {
    const RecordId beach = AddCategory(u"beach");
    const RecordId aardvark = AddCategory(u"Aardvark");
    const RecordId zoo = AddCategory(u"Zoo");
    ASSERT_TRUE(m_db.Delete(aardvark));
    struct File {
        std::u16string path;
        std::vector<uint8_t> bytes;
    };
    struct Case {
        const char* name;
        uint16_t key;
        File less, greater;
    };
    const auto plain = WithTrailer(PlainJpeg(), {});
    const Case cases[] = {
        {"location ignores case", SORT_LOCATION, {u"\\My Documents\\Kestrelview\\z.jpg", plain},
         {u"\\storage card\\dcim\\a.jpg", plain}},
        {"a shorter location first", SORT_LOCATION, {u"\\Storage Card\\DCIM\\z.jpg", plain},
         {u"\\Storage Card\\DCIM\\100\\a.jpg", plain}},
        {"name ignores case", SORT_NAME, {InMain(u"apple.jpg"), plain}, {InMain(u"Banana.jpg"), plain}},
        {"category name", SORT_CATEGORY, {InMain(u"z.jpg"), WithTrailer(PlainJpeg(), Filed(beach))},
         {InMain(u"a.jpg"), WithTrailer(PlainJpeg(), Filed(zoo))}},
        {"a deleted category sorts as Unfiled", SORT_CATEGORY,
         {InMain(u"z.jpg"), WithTrailer(PlainJpeg(), Filed(beach))},
         {InMain(u"a.jpg"), WithTrailer(PlainJpeg(), Filed(aardvark))}},
        {"size", SORT_SIZE, {InMain(u"z.jpg"), plain}, {InMain(u"a.jpg"), WithTrailer(PlainJpeg(), Noted("note"))}},
        {"width", SORT_DIMENSIONS, {InMain(u"z.jpg"), JpegOfWidth(30)}, {InMain(u"a.jpg"), JpegOfWidth(40)}},
        {"widths far apart", SORT_DIMENSIONS, {InMain(u"z.jpg"), JpegOfWidth(1)},
         {InMain(u"a.jpg"), JpegOfWidth(40000)}},
        {"date is unsigned", SORT_DATE, {InMain(u"z.jpg"), WithTrailer(PlainJpeg(), Dated(100))},
         {InMain(u"a.jpg"), WithTrailer(PlainJpeg(), Dated(0x80000000u))}},
        {"images without a note first", SORT_NOTE, {InMain(u"a.jpg"), plain},
         {InMain(u"z.jpg"), WithTrailer(PlainJpeg(), Noted("note"))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutFile(m_device, c.less.path, c.less.bytes);
        PutFile(m_device, c.greater.path, c.greater.bytes);
        auto less = RecordOf(c.less.path);
        auto greater = RecordOf(c.greater.path);
        EXPECT_LT(CompareImageItems(*less, *greater, c.key, true, &m_db), 0);
        EXPECT_GT(CompareImageItems(*greater, *less, c.key, true, &m_db), 0);
        EXPECT_GT(CompareImageItems(*less, *greater, c.key, false, &m_db), 0);
        EXPECT_EQ(0, CompareImageItems(*less, *less, c.key, false, &m_db));
    }
}

// The sorted-insertion rule written out literally: binary search, and the
// new record goes after every record that compares equal to it.
std::vector<CImageItem*> InsertOneByOne(const std::vector<CImageItem*>& order, uint16_t key, bool ascending,
                                        const CCategoryDB* db) {
    std::vector<CImageItem*> sorted;
    for (CImageItem* record : order) {
        int low = 0;
        int high = static_cast<int>(sorted.size()) - 1;
        while (low <= high) {
            const int mid = (low + high) / 2;
            if (CompareImageItems(*record, *sorted[mid], key, ascending, db) < 0) {
                high = mid - 1;
            } else {
                low = mid + 1;
            }
        }
        sorted.insert(sorted.begin() + low, record);
    }
    return sorted;
}

TEST_F(ImageItemListTest, ResortGivesTheOrderOfTheInsertionRuleOnRandomRecords) {
    const RecordId categories[] = {CATEGORY_ID_UNFILED, AddCategory(u"Beach"), AddCategory(u"city"),
                                   RecordId{7, 7, 7, 7, 7, 7, 7, 7}};
    const std::u16string folders[] = {std::u16string(kMain), u"\\Storage Card\\DCIM\\100ABC",
                                      u"\\storage card\\DCIM"};
    const std::u16string titles[] = {u"a", u"A", u"b", u"B", u"ab", u"Ab", u"b1"};
    const uint16_t widths[] = {1, 40, 40, 640, 40000};
    const Seconds1904 dates[] = {5, 5, 1000, 0x90000000u};
    std::mt19937 random(20261209);
    const auto pick = [&random](const auto& values) {
        return values[std::uniform_int_distribution<size_t>(0, std::size(values) - 1)(random)];
    };

    std::vector<CImageItem*> scanOrder;
    for (int i = 0; i < 150; ++i) {
        const TrailerValues values{std::string(random() % 3 * 5, 'n'), 0, pick(dates), pick(categories)};
        const std::u16string path =
            pick(folders) + u"\\" + pick(titles) + u"-" + Utf8ToUtf16(std::to_string(i % 12)) + u".jpg";
        if (m_list.Find(path)) continue;
        PutFile(m_device, path, WithTrailer(JpegOfWidth(pick(widths)), values));
        scanOrder.push_back(m_list.Insert(RecordOf(path)));
    }
    ASSERT_GT(scanOrder.size(), 60u);
    EXPECT_EQ(InsertOneByOne(scanOrder, SORT_NAME, true, &m_db), Records(m_list));

    // Records added in batches land where one-by-one insertion puts them.
    CImageItemList batches(&m_db);
    batches.Resort(SORT_DATE, false);
    const size_t half = scanOrder.size() / 2;
    std::vector<std::unique_ptr<CImageItem>> first, second;
    for (size_t i = 0; i < scanOrder.size(); ++i) {
        (i < half ? first : second).push_back(RecordOf(scanOrder[i]->GetPath()));
    }
    EXPECT_EQ(half, batches.InsertMany(std::move(first)));
    EXPECT_EQ(scanOrder.size() - half, batches.InsertMany(std::move(second)));
    std::vector<std::u16string> expected, inserted;
    for (CImageItem* record : InsertOneByOne(scanOrder, SORT_DATE, false, &m_db)) {
        expected.push_back(record->GetPath());
    }
    for (CImageItem* record : Records(batches)) inserted.push_back(record->GetPath());
    EXPECT_EQ(expected, inserted);

    // Each resort starts from the order the one before left.
    for (int round = 0; round < 40; ++round) {
        const auto key = static_cast<uint16_t>(random() % SORT_KEY_COUNT);
        const bool ascending = random() % 2 == 0;
        SCOPED_TRACE(testing::Message() << "key " << key << (ascending ? " ascending" : " descending"));
        const std::vector<CImageItem*> expected = InsertOneByOne(Records(m_list), key, ascending, &m_db);
        m_list.Resort(key, ascending);
        ASSERT_EQ(expected, Records(m_list));
    }
}

TEST_F(ImageItemListTest, UnfiledTakesDeletedAndUnknownCategories) {
    const RecordId live = AddCategory(u"Holiday");
    const RecordId gone = AddCategory(u"Old");
    ASSERT_TRUE(m_db.Delete(gone));
    const RecordId unknown{1, 2, 3, 4, 5, 6, 7, 8};
    m_list.Insert(CachedRecord(InMain(u"a-unfiled.jpg")));
    m_list.Insert(CachedRecord(InMain(u"b-live.jpg"), live));
    m_list.Insert(CachedRecord(InMain(u"c-deleted.jpg"), gone));
    m_list.Insert(CachedRecord(InMain(u"d-unknown.jpg"), unknown));

    using Names = std::vector<std::u16string>;
    EXPECT_EQ((Names{u"a-unfiled.jpg", u"c-deleted.jpg", u"d-unknown.jpg"}),
              FileNames(m_list, InCategory(CATEGORY_ID_UNFILED)));
    EXPECT_EQ(Names{u"b-live.jpg"}, FileNames(m_list, InCategory(live)));
    EXPECT_EQ(Names{u"c-deleted.jpg"}, FileNames(m_list, InCategory(gone)));
    EXPECT_EQ(4, m_list.Count(InCategory(CATEGORY_ID_ALL)));

    // The database changed behind the list's back.
    ASSERT_TRUE(m_db.Delete(live));
    m_list.InvalidateDisplay();
    EXPECT_EQ(4, m_list.Count(InCategory(CATEGORY_ID_UNFILED)));
}

TEST_F(ImageItemListTest, LocationFilterTakesACardsDcimTree) {
    m_list.Insert(CachedRecord(u"\\Storage Card\\DCIM\\100ABC\\a.jpg"));
    m_list.Insert(CachedRecord(u"\\Storage Card\\My Documents\\Kestrelview\\b.jpg"));
    m_list.Insert(CachedRecord(InMain(u"c.jpg")));
    using Names = std::vector<std::u16string>;
    EXPECT_EQ((Names{u"a.jpg", u"b.jpg"}), FileNames(m_list, {u"\\storage card", CATEGORY_ID_ALL}));
    EXPECT_EQ(Names{u"c.jpg"}, FileNames(m_list, {std::u16string(kMain), CATEGORY_ID_ALL}));
    EXPECT_EQ(Names{u"a.jpg"}, FileNames(m_list, {u"\\Storage Card\\DCIM", CATEGORY_ID_ALL}));
    EXPECT_EQ(0, m_list.Count({u"\\CF Card", CATEGORY_ID_ALL}));
}

TEST_F(ImageItemListTest, NextAndPreviousWrapRoundTheDisplayedRecords) {
    for (const auto* name : {u"a.jpg", u"b.jpg", u"d.jpg"}) m_list.Insert(CachedRecord(InMain(name)));
    m_list.Insert(CachedRecord(u"\\Storage Card\\DCIM\\c.jpg"));
    const ImageFilter main{std::u16string(kMain), CATEGORY_ID_ALL};
    CImageItem* a = m_list.Nth({}, 0);
    CImageItem* b = m_list.Nth({}, 1);
    CImageItem* c = m_list.Nth({}, 2);
    CImageItem* d = m_list.Nth({}, 3);
    ASSERT_EQ(u"c.jpg", c->FileName());

    struct Case {
        const char* name;
        CImageItem* from;
        CImageItem* next;
        CImageItem* previous;
    };
    const Case cases[] = {
        {"first", a, b, d},
        {"skips the hidden one", b, d, a},
        {"last wraps to the first", d, a, b},
        {"from a hidden record", c, d, b},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(t.next, m_list.Next(main, t.from));
        EXPECT_EQ(t.previous, m_list.Previous(main, t.from));
    }

    const ImageFilter card{u"\\Storage Card", CATEGORY_ID_ALL};
    EXPECT_EQ(nullptr, m_list.Next(card, c)) << "one displayed image has no neighbour";
    EXPECT_EQ(nullptr, m_list.Previous(card, c));
    EXPECT_EQ(c, m_list.Next(card, a)) << "the only displayed image, seen from a hidden one";
    EXPECT_EQ(nullptr, m_list.Next({u"\\CF Card", CATEGORY_ID_ALL}, a));
    CImageItem outside;
    EXPECT_EQ(nullptr, m_list.Next(main, &outside));
    EXPECT_EQ(nullptr, m_list.Previous(main, &outside));
}

TEST_F(ImageItemListTest, RandomNextShowsEachImageOncePerPass) {
    CrtSrand(1);
    EXPECT_EQ((std::vector<int>{41, 18467, 6334, 26500, 19169, 15724}),
              (std::vector<int>{CrtRand(), CrtRand(), CrtRand(), CrtRand(), CrtRand(), CrtRand()}));
    EXPECT_EQ(nullptr, m_list.RandomNext({}));

    for (int i = 0; i < 4; ++i) m_list.Insert(CachedRecord(InMain(Name(i))));
    CrtSrand(1);
    // Draws 41, 18467, 6334, 26500 start at 0, 2, 0 (taken, so 1) and 3; the
    // fifth call finds all shown (19169), clears them and starts at 1 (15724).
    std::vector<int> positions;
    for (int i = 0; i < 5; ++i) positions.push_back(m_list.IndexOf({}, m_list.RandomNext({})));
    EXPECT_EQ((std::vector<int>{0, 2, 1, 3, 1}), positions);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(i == 1, m_list.Nth({}, i)->ShownInRandom()) << i;
}

TEST_F(ImageItemListTest, HiddenPrivateImagesAreLeftOutEverywhere) {
    const auto plain = WithTrailer(PlainJpeg(), {});
    AddFile(InMain(u"a.jpg"), plain);
    CImageItem* secret = AddFile(InMain(u"b.jpg"), WithTrailer(PlainJpeg(), Private()));
    AddFile(InMain(u"c.jpg"), plain);
    // A record from a cache finds out from the file.
    PutFile(m_device, InMain(u"d.jpg"), WithTrailer(PlainJpeg(), Private()));
    CImageItem* cached = m_list.Insert(CachedRecord(InMain(u"d.jpg")));
    const ImageFilter all;
    ASSERT_EQ(4, m_list.Count(all));

    m_list.SetShowPrivate(false);
    EXPECT_EQ(2, m_list.Count(all));
    EXPECT_EQ((std::vector<std::u16string>{u"a.jpg", u"c.jpg"}), FileNames(m_list));
    EXPECT_EQ(-1, m_list.IndexOf(all, secret));
    EXPECT_EQ(-1, m_list.IndexOf(all, cached));
    EXPECT_EQ(u"c.jpg", m_list.Next(all, m_list.Nth(all, 0))->FileName());
    EXPECT_EQ(u"a.jpg", m_list.Next(all, m_list.Nth(all, 1))->FileName());
    for (int i = 0; i < 6; ++i) {
        CImageItem* shown = m_list.RandomNext(all);
        EXPECT_TRUE(shown != secret && shown != cached);
    }

    ASSERT_EQ(0, m_list.SetPrivate(*secret, false));
    EXPECT_EQ(3, m_list.Count(all));
    m_list.SetShowPrivate(true);
    EXPECT_EQ(4, m_list.Count(all));
}

TEST_F(ImageItemListTest, DeleteAllKeepsReadOnlyFilesAndReturnsTheFrontMostResult) {
    struct Case {
        const char* name;
        int readOnly;  // position among the displayed images
        uint32_t result;
    };
    const Case cases[] = {{"read-only first", 0, ERROR_ACCESS_DENIED}, {"read-only in the middle", 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        CImageItemList list;
        for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
            PutFile(device, InMain(name), PlainJpeg());
            list.Insert(RecordOf(InMain(name)));
        }
        const std::u16string elsewhere = u"\\Storage Card\\DCIM\\keep.jpg";
        PutFile(device, elsewhere, PlainJpeg());
        list.Insert(RecordOf(elsewhere, true));
        const ImageFilter main{std::u16string(kMain), CATEGORY_ID_ALL};
        const std::u16string lockedPath = list.Nth(main, c.readOnly)->GetPath();
        ASSERT_EQ(0u, SetFileAttributes(lockedPath, FILE_ATTRIBUTE_READONLY));

        EXPECT_EQ(c.result, list.DeleteAll(main));
        ASSERT_EQ(2u, list.Size());
        EXPECT_EQ(lockedPath, list.Nth(main, 0)->GetPath());
        EXPECT_EQ(1, list.Count(main));
        EXPECT_EQ(elsewhere, list.Find(elsewhere)->GetPath());
        for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
            EXPECT_EQ(InMain(name) == lockedPath, PathExists(InMain(name))) << Utf16ToUtf8(name);
        }
        EXPECT_TRUE(PathExists(elsewhere));
    }
}

TEST_F(ImageItemListTest, RemoveHandsTheRecordBackAndKeepsItWhenTheFileStays) {
    CImageItem* kept = AddFile(InMain(u"a.jpg"), PlainJpeg());
    CImageItem* other = AddFile(InMain(u"b.jpg"), PlainJpeg());
    ASSERT_EQ(0u, SetFileAttributes(kept->GetPath(), FILE_ATTRIBUTE_READONLY));
    std::unique_ptr<CImageItem> removed;
    EXPECT_EQ(ERROR_ACCESS_DENIED, m_list.Remove(kept, true, removed));
    EXPECT_EQ(nullptr, removed.get());
    EXPECT_EQ(0, m_list.IndexOf({}, kept));

    EXPECT_EQ(0u, m_list.Remove(other, true, removed));
    EXPECT_EQ(other, removed.get());
    EXPECT_FALSE(PathExists(InMain(u"b.jpg")));
    EXPECT_EQ(-1, m_list.IndexOf({}, other));
    EXPECT_EQ(1, m_list.Count({}));

    EXPECT_EQ(kept, m_list.Remove(kept).get());
    EXPECT_TRUE(PathExists(InMain(u"a.jpg")));
    EXPECT_EQ(0u, m_list.Size());
}

TEST_F(ImageItemListTest, FindByPathFallsBackToOneTemporaryRecord) {
    CImageItem* listed = m_list.Insert(CachedRecord(InMain(u"a.jpg")));
    EXPECT_EQ(listed, m_list.FindByPath(u"\\MY DOCUMENTS\\kestrelview\\A.JPG"));
    EXPECT_EQ(nullptr, m_list.GetTemporary());

    PutFile(m_device, u"\\Temp\\outside.jpg", WithTrailer(PlainJpeg(), Noted("from outside")));
    CImageItem* outside = m_list.FindByPath(u"\\Temp\\outside.jpg");
    ASSERT_NE(nullptr, outside);
    EXPECT_TRUE(outside->IsTemporary());
    EXPECT_TRUE(outside->IsRemovable());
    EXPECT_TRUE(outside->HasNote());
    EXPECT_EQ(1u, m_list.Size());
    EXPECT_EQ(-1, m_list.IndexOf({}, outside));
    EXPECT_EQ(outside, m_list.FindByPath(u"\\temp\\OUTSIDE.jpg")) << "the record the viewer holds stays";

    CImageItem* inMain = m_list.FindByPath(InMain(u"not-listed.jpg"));
    EXPECT_EQ(inMain, m_list.GetTemporary());
    EXPECT_FALSE(inMain->IsRemovable());
    EXPECT_EQ(1, m_list.Count({}));
}

TEST_F(ImageItemListTest, CategorizeAllChangesEveryDisplayedImageUntilAnError) {
    const RecordId from = AddCategory(u"From");
    const RecordId to = AddCategory(u"To");
    for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
        AddFile(InMain(name), WithTrailer(PlainJpeg(), Filed(from)));
    }
    CImageItem* elsewhere = AddFile(u"\\Storage Card\\DCIM\\d.jpg", WithTrailer(PlainJpeg(), Filed(from)));
    const ImageFilter fromInMain{std::u16string(kMain), from};

    // Each image leaves the filter as it changes; none may be skipped.
    EXPECT_EQ(0, m_list.CategorizeAll(fromInMain, to));
    EXPECT_EQ(0, m_list.Count(fromInMain));
    EXPECT_EQ(3, m_list.Count({std::u16string(kMain), to}));
    for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) EXPECT_EQ(to, RecordOf(InMain(name))->GetCategory());
    EXPECT_EQ(from, elsewhere->GetCategory());

    ASSERT_EQ(0u, SetFileAttributes(InMain(u"b.jpg"), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(0, m_list.CategorizeAll({std::u16string(kMain), to}, from));
    using Names = std::vector<std::u16string>;
    EXPECT_EQ(Names{u"a.jpg"}, FileNames(m_list, fromInMain));
    EXPECT_EQ((Names{u"b.jpg", u"c.jpg"}), FileNames(m_list, {std::u16string(kMain), to}));

    // Deleting the category "To": its images become unfiled, the others stay.
    EXPECT_NE(0, m_list.UncategorizeAll(to));
    EXPECT_EQ(to, RecordOf(InMain(u"b.jpg"))->GetCategory()) << "read-only";
    EXPECT_EQ(CATEGORY_ID_UNFILED, RecordOf(InMain(u"c.jpg"))->GetCategory());
    EXPECT_EQ(Names{u"c.jpg"}, FileNames(m_list, InCategory(CATEGORY_ID_UNFILED)));
    EXPECT_EQ((Names{u"a.jpg", u"d.jpg"}), FileNames(m_list, InCategory(from)));
}

TEST_F(ImageItemListTest, SelectionFollowsTheFilter) {
    for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) m_list.Insert(CachedRecord(InMain(name)));
    m_list.Insert(CachedRecord(u"\\Storage Card\\DCIM\\d.jpg"));
    const ImageFilter main{std::u16string(kMain), CATEGORY_ID_ALL};
    const ImageFilter card{u"\\Storage Card", CATEGORY_ID_ALL};
    EXPECT_FALSE(m_list.AnySelected());
    EXPECT_EQ(-1, m_list.FirstSelectedIndex(main));

    m_list.Nth(main, 1)->SetSelected(true);
    m_list.Nth(main, 2)->SetSelected(true);
    EXPECT_TRUE(m_list.AnySelected());
    EXPECT_EQ(1, m_list.FirstSelectedIndex(main));
    EXPECT_EQ(u"c.jpg", m_list.NthSelected(main, 1)->FileName());
    EXPECT_EQ(nullptr, m_list.NthSelected(main, 2));
    EXPECT_EQ(-1, m_list.FirstSelectedIndex(card));

    m_list.SelectAll(card);
    EXPECT_EQ(u"d.jpg", m_list.NthSelected(card, 0)->FileName());
    EXPECT_FALSE(m_list.Nth(main, 0)->IsSelected());
    m_list.ClearSelection();
    EXPECT_FALSE(m_list.AnySelected());
}

TEST_F(ImageItemListTest, PictureCacheFreesTheOldestOtherThanTheOneShown) {
    for (int i = 0; i < 8; ++i) m_list.Insert(CachedRecord(InMain(Name(i))));
    const auto give = [&](int position, uint32_t tick) {
        m_list.Nth({}, position)->SetPicture(Bitmap::Create(1, 1, 32), {0, 0, 240, 320}, tick);
    };
    const auto pictures = [&] {
        std::vector<int> held;
        for (int i = 0; i < 8; ++i) {
            if (m_list.Nth({}, i)->GetPicture()) held.push_back(i);
        }
        return held;
    };
    // Ticks: position 3 is the oldest, then 0, 5, 1, 2.
    give(0, 200), give(1, 400), give(2, 500), give(3, 100), give(5, 300);
    m_list.TrimPictureCache(m_list.Nth({}, 2));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 5}), pictures()) << "five pictures stay";

    give(6, 600);
    m_list.TrimPictureCache(m_list.Nth({}, 6));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 5, 6}), pictures());
    EXPECT_EQ(0u, m_list.Nth({}, 3)->GetPictureTick());

    // The one shown is the oldest: the next oldest goes.
    give(7, 700);
    m_list.TrimPictureCache(m_list.Nth({}, 0));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 6, 7}), pictures());

    m_list.FreeAllPictures();
    EXPECT_TRUE(pictures().empty());
}

// The kept displayed positions against a plain walk over the records after
// every kind of change.
TEST_F(ImageItemListTest, DisplayedPositionsFollowEveryChange) {
    const RecordId holiday = AddCategory(u"Holiday");
    const RecordId categories[] = {CATEGORY_ID_UNFILED, holiday, RecordId{5, 5, 5, 5, 5, 5, 5, 5}};
    const std::u16string folders[] = {std::u16string(kMain), u"\\Storage Card\\DCIM", u"\\CF Card\\DCIM\\100"};
    const ImageFilter filters[] = {{}, {u"\\Storage Card", CATEGORY_ID_ALL}, {u"", CATEGORY_ID_UNFILED},
                                   {std::u16string(kMain), holiday}};
    std::mt19937 random(7);
    const auto below = [&random](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    std::vector<std::unique_ptr<CImageItem>> removed;
    int made = 0;

    for (int step = 0; step < 400; ++step) {
        switch (below(6)) {
            case 0:
            case 1:
                m_list.Insert(CachedRecord(JoinPath(folders[below(3)], Name(made++)), categories[below(3)]));
                break;
            case 2:
                if (m_list.Size()) removed.push_back(m_list.Remove(m_list.At(below(m_list.Size()))));
                break;
            case 3: m_list.Resort(static_cast<uint16_t>(below(3)), below(2) == 0); break;
            case 4:
                if (m_list.Size()) m_list.At(below(m_list.Size()))->SetCategoryInMemory(categories[below(3)]);
                m_list.InvalidateDisplay();
                break;
            case 5: m_list.RemoveWhere([&](const CImageItem&) { return below(20) == 0; }); break;
        }
        const ImageFilter& filter = filters[below(4)];
        std::vector<CImageItem*> expected;
        for (CImageItem* record : Records(m_list)) {
            if (m_list.Passes(filter, *record)) expected.push_back(record);
        }
        ASSERT_EQ(static_cast<int>(expected.size()), m_list.Count(filter)) << "step " << step;
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(expected[i], m_list.Nth(filter, static_cast<int>(i)));
            ASSERT_EQ(static_cast<int>(i), m_list.IndexOf(filter, expected[i]));
            ASSERT_EQ(expected.size() > 1 ? expected[(i + 1) % expected.size()] : nullptr,
                      m_list.Next(filter, expected[i]));
        }
        ASSERT_EQ(nullptr, m_list.Nth(filter, static_cast<int>(expected.size())));
        if (!removed.empty()) {
            ASSERT_EQ(-1, m_list.IndexOf(filter, removed.back().get()));
        }
    }
}

TEST_F(ImageItemListTest, HoldsAtMost65535Records) {
    // Names in ascending order go to the end of the list one after another.
    for (size_t i = 0; i < IMAGE_LIST_MAX; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%05zu.jpg", i);
        ASSERT_NE(nullptr, m_list.Insert(CachedRecord(InMain(Utf8ToUtf16(name)))));
    }
    EXPECT_EQ(nullptr, m_list.Insert(CachedRecord(InMain(u"99999.jpg"))));
    std::vector<std::unique_ptr<CImageItem>> more;
    more.push_back(CachedRecord(InMain(u"99999.jpg")));
    EXPECT_EQ(0u, m_list.InsertMany(std::move(more)));
    EXPECT_EQ(65535, m_list.Count({}));
    EXPECT_EQ(65534, m_list.IndexOf({}, m_list.At(65534)));
}

}  // namespace

// Records the paths it is told of, reading each record as it is told, and
// whether the list still counted it then.
struct RemovalLog : RecordRemovalListener {
    CImageItemList* list = nullptr;
    std::vector<std::u16string> told;
    std::vector<bool> stillListed;
    std::vector<bool> leaving;
    void OnRecordRemoving(const CImageItem& record) override {
        told.push_back(record.GetPath());
        stillListed.push_back(list->Contains(&record));
        leaving.push_back(list->IsLeaving(&record));
    }
};

// Every way the list gives records up tells its listeners first, while the
// records are whole; a held record is dropped; nothing else is told.
TEST_F(ImageItemListTest, EveryRemovalTellsTheListenersFirst) {
    struct Case {
        const char* name;
        std::function<void(CImageItemList&)> act;
        std::vector<std::u16string> told;
    };
    const Case cases[] = {
        {"Remove", [](CImageItemList& l) { l.Remove(l.Find(InMain(u"b.jpg"))); }, {InMain(u"b.jpg")}},
        {"Remove with its file",
         [](CImageItemList& l) {
             std::unique_ptr<CImageItem> gone;
             l.Remove(l.Find(InMain(u"a.jpg")), true, gone);
         },
         {InMain(u"a.jpg")}},
        {"RemoveWhere",
         [](CImageItemList& l) { l.RemoveWhere([](const CImageItem& r) { return r.FileName() != u"b.jpg"; }); },
         {InMain(u"a.jpg"), InMain(u"c.jpg")}},
        {"TakeAll", [](CImageItemList& l) { l.TakeAll(); }, {InMain(u"a.jpg"), InMain(u"b.jpg"), InMain(u"c.jpg")}},
        {"Clear", [](CImageItemList& l) { l.Clear(); }, {InMain(u"a.jpg"), InMain(u"b.jpg"), InMain(u"c.jpg")}},
        {"DeleteAll", [](CImageItemList& l) { l.DeleteAll({}); },
         {InMain(u"c.jpg"), InMain(u"b.jpg"), InMain(u"a.jpg")}},
        {"a new temporary record",
         [](CImageItemList& l) {
             l.FindByPath(u"\\Temp\\one.jpg");
             l.FindByPath(u"\\Temp\\two.jpg");
         },
         {u"\\Temp\\one.jpg"}},
        {"a record looked up again", [](CImageItemList& l) { l.FindByPath(InMain(u"B.JPG")); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        CImageItemList list;
        for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
            PutFile(device, InMain(name), PlainJpeg());
            list.Insert(RecordOf(InMain(name)));
        }
        PutFile(device, u"\\Temp\\one.jpg", PlainJpeg());
        PutFile(device, u"\\Temp\\two.jpg", PlainJpeg());
        RemovalLog log;
        log.list = &list;
        list.AddRemovalListener(&log);
        std::vector<std::unique_ptr<CHeldRecord>> held;
        for (size_t i = 0; i < list.Size(); ++i) held.push_back(std::make_unique<CHeldRecord>(list, list.At(i)));

        c.act(list);

        EXPECT_EQ(c.told, log.told);
        EXPECT_EQ(std::vector<bool>(c.told.size(), true), log.stillListed) << "told while still listed";
        EXPECT_EQ(std::vector<bool>(c.told.size(), true), log.leaving);
        for (size_t i = 0; i < held.size(); ++i) {
            const char16_t* names[] = {u"a.jpg", u"b.jpg", u"c.jpg"};
            const bool gone = std::find(c.told.begin(), c.told.end(), InMain(names[i])) != c.told.end();
            EXPECT_EQ(gone, held[i]->Get() == nullptr) << i;
        }
        list.RemoveRemovalListener(&log);
        list.Clear();
        EXPECT_EQ(c.told.size(), log.told.size()) << "an unregistered listener hears nothing more";
    }
}
