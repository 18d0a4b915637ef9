#include <gtest/gtest.h>

#include <vector>

#include "browser/KestrelviewView.h"
#include "tests/browser/GridTestSupport.h"

namespace {

const RecordId SEA{0, 0, 0, 0, 0, 0, 0, 7};

// The base view with an opening that is only recorded, and a window in
// the place of the single photo that shows while a photo is open.
class TestView : public CKestrelviewView {
public:
    std::vector<std::u16string> shown;
    std::vector<Seen> photoLog;
    LoggingWindow photo{&photoLog};

    bool Make() {
        if (!Create(nullptr, {0, 26, 240, 294}, 0, u"", WS_VISIBLE))
            return false;
        if (!photo.Create(this, {0, 0, 240, 268}, 1000, u"", WS_CHILD))
            return false;
        ReadSortPreferences();
        if (!CreateBrowserControls({0, 24, 240, 268}))
            return false;
        List().ShowWindow(true);
        SetFocus(&List());
        return true;
    }

protected:
    void ShowImage(CImageItem* record, bool hideList) override {
        shown.push_back(record->FileName());
        if (hideList)
            List().ShowWindow(false);
        photo.ShowWindow(true);
        photo.BringToTop();
    }
};

class KestrelviewViewTest : public ::testing::Test {
protected:
    TempDevice device;
    HeadlessScreen screen;
    TestView view;

    void SetUp() override { ASSERT_TRUE(CreatePreferencesKey()); }

    void Start(int photos) {
        AddCachedRecords(view.Catalogue(), photos);
        ASSERT_TRUE(view.Make());
        view.FillList(u"", CATEGORY_ID_ALL);
        screen.manager.PumpMessages();
    }
    std::vector<int> ColumnIds() {
        std::vector<int> ids;
        HeaderControl& header = *view.List().GetHeaderCtrl();
        for (int i = 0; i < header.GetItemCount(); ++i) {
            HDITEM item;
            item.mask = HDI_LPARAM;
            header.GetItem(i, item);
            ids.push_back(int(item.lParam));
        }
        return ids;
    }
    std::vector<int> ColumnWidths() {
        std::vector<int> widths;
        for (int i = 0; i < view.List().GetHeaderCtrl()->GetItemCount(); ++i)
            widths.push_back(view.List().GetColumnWidth(i));
        return widths;
    }
    Point HeaderPoint(int position, int32_t dx) {
        Rect r;
        view.List().GetHeaderCtrl()->GetItemRect(position, r);
        return view.List().GetHeaderCtrl()->ClientToScreen({r.left + dx, r.top + 5});
    }
    Point RowPoint(int row) {
        Rect r;
        view.List().GetItemRect(row, r);
        return view.List().ClientToScreen({r.left + 30, (r.top + r.bottom) / 2});
    }
    std::vector<std::u16string> RowNames() {
        std::vector<std::u16string> names;
        for (int row = 0; row < view.List().GetItemCount(); ++row)
            names.push_back(view.List().RecordAt(row)->FileName());
        return names;
    }
};

TEST_F(KestrelviewViewTest, ColumnsFollowTheShownColumnsPreference) {
    Start(3);
    EXPECT_EQ(ColumnIds(), (std::vector<int>{1, 2, 3})) << "Name, Category and Size at first";
    EXPECT_EQ(ColumnWidths(), (std::vector<int>{100, 45, 35}));
    for (uint32_t id = 0; id < COLUMN_COUNT; ++id)
        SetShowColumn(id, false);
    view.BuildColumns();
    EXPECT_EQ(ColumnIds(), (std::vector<int>{1})) << "with no column shown, Name alone";
    for (uint32_t id = 0; id < COLUMN_COUNT; ++id)
        SetShowColumn(id, true);
    view.BuildColumns();
    EXPECT_EQ(ColumnIds(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

// A stored width of 0 would hide a column for good and one of 60000 push
// every other off the screen: both are brought within the screen.
TEST_F(KestrelviewViewTest, StoredWidthsAreKeptWithinTheScreen) {
    SetColumnWidths({45, 0, 60000, 35, 45, 50, 20});
    Start(3);
    EXPECT_EQ(ColumnWidths(), (std::vector<int>{CKestrelviewView::MIN_COLUMN_WIDTH,
                                                CKestrelviewView::MAX_COLUMN_WIDTH, 35}));
}

TEST_F(KestrelviewViewTest, HeaderTapsSortAndAreStored) {
    SetShowColumn(COLUMN_SIZE, false);
    Start(3);
    struct Tap {
        int position;  // Name 0, Category 1
        uint8_t column;
        bool ascending;
        std::vector<std::u16string> rows;
    };
    const Tap taps[] = {
        {0, COLUMN_NAME, false, {u"img002.jpg", u"img001.jpg", u"img000.jpg"}},
        {0, COLUMN_NAME, true, {u"img000.jpg", u"img001.jpg", u"img002.jpg"}},
        {0, COLUMN_NAME, false, {u"img002.jpg", u"img001.jpg", u"img000.jpg"}},
        {1, COLUMN_CATEGORY, true, {u"img002.jpg", u"img001.jpg", u"img000.jpg"}},
        {1, COLUMN_CATEGORY, false, {u"img002.jpg", u"img001.jpg", u"img000.jpg"}},
        {0, COLUMN_NAME, true, {u"img000.jpg", u"img001.jpg", u"img002.jpg"}},
    };
    for (const Tap& t : taps) {
        screen.backend.Tap(HeaderPoint(t.position, 15));
        screen.backend.Wait(1000);
        screen.Run();
        EXPECT_EQ(GetSortColumn(), t.column);
        EXPECT_EQ(GetSortAscending(), t.ascending);
        EXPECT_EQ(view.List().GetSortColumn(), int(t.column));
        EXPECT_EQ(RowNames(), t.rows);
    }
}

TEST_F(KestrelviewViewTest, TheNoteColumnCannotBeResized) {
    SetShowColumn(COLUMN_NOTE, true);
    Start(3);
    ASSERT_EQ(ColumnIds(), (std::vector<int>{1, 2, 3, 6}));
    const auto drag = [&](int position) {
        const Point edge = HeaderPoint(position, view.List().GetColumnWidth(position));
        screen.backend.Down(edge);
        screen.backend.Move({edge.x - 8, edge.y});
        screen.backend.Up({edge.x - 8, edge.y});
        screen.backend.Wait(1000);
        screen.Run();
    };
    drag(3);
    EXPECT_EQ(view.List().GetColumnWidth(3), 20);
    drag(0);
    EXPECT_EQ(view.List().GetColumnWidth(0), 92);
    view.SaveColumnWidths();
    EXPECT_EQ(GetColumnWidths()[COLUMN_NAME], 92);
}

// Rows follow the displayed records in catalogue order; a record the
// filters leave out gets none, not even when it is added later.
TEST_F(KestrelviewViewTest, AFilteredOutRecordNeverGetsARow) {
    Start(0);
    for (const auto& [name, category, folder] :
         std::vector<std::tuple<std::u16string, RecordId, std::u16string>>{
             {u"a.jpg", SEA, PHOTO_FOLDER},
             {u"b.jpg", CATEGORY_ID_UNFILED, PHOTO_FOLDER},
             {u"c.jpg", SEA, u"\\Storage Card\\DCIM\\100ABC"},
             {u"d.jpg", SEA, PHOTO_FOLDER}}) {
        auto record = std::make_unique<CImageItem>();
        record->InitFromCacheEntry(folder, name, category, folder != PHOTO_FOLDER);
        view.Catalogue().Insert(std::move(record));
    }
    view.FillList(PHOTO_FOLDER, SEA);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"a.jpg", u"d.jpg"}));
    view.FillList(u"\\Storage Card", CATEGORY_ID_ALL);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"c.jpg"}));

    view.FillList(u"", SEA);
    auto unfiled = std::make_unique<CImageItem>();
    unfiled->InitFromCacheEntry(PHOTO_FOLDER, u"e.jpg", CATEGORY_ID_UNFILED, false);
    view.AddRecord(view.Catalogue().Insert(std::move(unfiled)));
    EXPECT_EQ(view.List().GetItemCount(), 3);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"a.jpg", u"c.jpg", u"d.jpg"}));
}

// The first tap of a double tap opens the photo; the second one neither
// opens it again nor reaches the photo shown meanwhile. A tap after the
// double-tap time does reach it.
TEST_F(KestrelviewViewTest, ADoubleTapOnARowOpensThePhotoOnce) {
    Start(5);
    screen.backend.Tap(RowPoint(2));
    screen.backend.Tap(RowPoint(2));
    screen.backend.Wait(1000);
    screen.Run();
    EXPECT_EQ(view.shown, (std::vector<std::u16string>{u"img002.jpg"}));
    EXPECT_TRUE(Only(view.photoLog, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP}).empty());
    EXPECT_EQ(GetCapture(), nullptr);

    screen.backend.Tap({120, 150});
    screen.Run();
    EXPECT_EQ(Only(view.photoLog, {WM_LBUTTONDOWN, WM_LBUTTONUP}).size(), 2u);
}

TEST_F(KestrelviewViewTest, ADoubleTapOnAGridCellOpensThePhotoOnce) {
    Start(5);
    view.List().ShowWindow(false);
    view.Grid().SetLayout(GRID_GALLERY);
    view.Grid().Show(true);
    const Rect cell = view.Grid().Layout().CellRect(0, 3);
    const Point centre = view.Grid().ClientToScreen({(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    screen.backend.Tap(centre);
    screen.backend.Tap(centre);
    screen.backend.Wait(1000);
    screen.Run();
    EXPECT_EQ(view.shown, (std::vector<std::u16string>{u"img003.jpg"}));
    EXPECT_TRUE(Only(view.photoLog, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP}).empty());
}

// A quick tap elsewhere after an opening tap is no double tap: it goes to
// the window under it at once.
TEST_F(KestrelviewViewTest, AQuickTapElsewhereStillReachesThePhoto) {
    Start(5);
    screen.backend.Tap(RowPoint(1));
    screen.backend.Tap({200, 250});
    screen.Run();
    EXPECT_EQ(view.shown, (std::vector<std::u16string>{u"img001.jpg"}));
    EXPECT_EQ(Only(view.photoLog, {WM_LBUTTONDOWN, WM_LBUTTONUP}).size(), 2u);
}

// A renamed photo's row is put back in its place with its selection; a
// removed one's row goes, and its former row is told.
TEST_F(KestrelviewViewTest, RowsAreUpdatedInPlaceAndRemoved) {
    Start(5);
    view.List().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    CImageItem* third = view.List().RecordAt(2);
    view.UpdateRow(third);
    EXPECT_EQ(view.List().GetItemCount(), 5);
    EXPECT_NE(view.List().GetItemState(2, LVIS_SELECTED), 0u);
    EXPECT_TRUE(third->IsSelected());
    EXPECT_EQ(view.RemoveRow(third), 2);
    EXPECT_EQ(view.List().GetItemCount(), 4);
    EXPECT_TRUE(view.List().IsRedrawOn());
    auto removed = view.Catalogue().Remove(third);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"img000.jpg", u"img001.jpg", u"img003.jpg", u"img004.jpg"}));
    EXPECT_EQ(view.RemoveRow(removed.get()), -1);
}

TEST_F(KestrelviewViewTest, SizesBelowOneKibibyteShowOneK) {
    MakeHostDirs(device.Host("My Documents/Kestrelview"));
    const struct {
        size_t bytes;
        const char16_t* text;
    } cases[] = {{0, u"0K"}, {1, u"1K"}, {1023, u"1K"}, {1024, u"1K"}, {2047, u"1K"}, {2048, u"2K"}};
    for (const auto& c : cases) {
        WriteHostFile(device.Host("My Documents/Kestrelview/s.jpg"), std::vector<uint8_t>(c.bytes, 0xFF));
        CImageItem record;
        record.InitFromFile(PHOTO_FOLDER + u"\\s.jpg", false);
        EXPECT_EQ(record.SizeText(), c.text) << c.bytes << " bytes";
    }
}

}  // namespace
