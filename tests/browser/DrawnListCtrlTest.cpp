#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "browser/DrawnListCtrl.h"
#include "catalogue/ImageItem.h"
#include "platform/gdi/ImageStrip.h"
#include "platform/png/PngWriter.h"
#include "tests/platform/GdiTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr COLORREF KEY = RGB(0xC0, 0xC0, 0xC0);
constexpr uint32_t SHADE_PIXEL = 0xF6F6F6;
constexpr uint32_t HIGHLIGHT_PIXEL = PixelFromColour(RGB(0, 0, 128));
constexpr uint32_t BLUE_PIXEL = 0x0000FF;

// Two 10 x 10 images side by side: 0 a red block, 1 a blue block; both
// framed by a one-pixel border of the key colour.
std::unique_ptr<ImageStrip> MakeStrip() {
    auto bitmap = CreateImageBitmap(nullptr, 20, 10, 32);
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    dc.FillSolidRect({0, 0, 20, 10}, KEY);
    dc.FillSolidRect({1, 1, 9, 9}, RGB(255, 0, 0));
    dc.FillSolidRect({11, 1, 19, 9}, RGB(0, 0, 255));
    return std::make_unique<ImageStrip>(std::move(bitmap), 10, 10, 0, 1, KEY);
}

const std::vector<std::u16string> kNames{
    u"apple.jpg", u"Banana.jpg", u"cherry.jpg", u"Date.jpg",  u"dsc001.jpg",
    u"DSC002.jpg", u"dusk.jpg",  u"egg.jpg",    u"fig.jpg",   u"grape.jpg",
    u"harbour.jpg", u"iris.jpg", u"jetty.jpg",  u"kite.jpg",  u"lake.jpg",
    u"moon.jpg",  u"sea.jpg",    u"Sunset over the long harbour wall.jpg", u"tree.jpg",
    u"zebra.jpg"};

enum Column { LOCATION = 0, NAME = 1, NOTE = 6 };

// A list of photo records in the way the browser shows them: a location
// column with the card symbol, the name, and a note symbol.
class TestList : public CDrawnListCtrl {
public:
    std::vector<std::unique_ptr<CImageItem>> records;
    std::set<const CImageItem*> noted;
    int sortColumn = NAME;
    int recordless = -1;  // a row that has no record
    const ImageStrip* images = nullptr;

    std::vector<std::pair<CImageItem*, Point>> menus;
    std::vector<std::pair<int, bool>> selections;
    std::vector<int> activated;
    std::vector<int> drags;
    std::set<int> textColumns;

    int GetSortColumn() const override { return sortColumn; }
    void DrawCell(DeviceContext& dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                  int column, int format, CImageItem* record) override {
        switch (column) {
        case LOCATION:
            if (record->IsRemovable())
                DrawCellImage(dc, left, top, *images, 1);
            DrawCellText(dc, left + 17, top, right, bottom, Location(record), format);
            break;
        case NAME:
            DrawCellText(dc, left, top, right, bottom, record->FileName(), format);
            break;
        case NOTE:
            if (noted.count(record))
                DrawCellImage(dc, left, top, *images, 0);
            break;
        default:
            break;
        }
    }
    CImageItem* RecordAt(int row) override {
        if (row < 0 || row == recordless || row >= int(records.size()))
            return nullptr;
        return records[size_t(row)].get();
    }
    void OnRowSelectionChanged(int row, bool selected) override {
        selections.emplace_back(row, selected);
    }
    std::u16string RowText(CImageItem* record, int column) override {
        textColumns.insert(column);
        if (!record)
            return {};
        return column == NAME ? record->FileName() : column == LOCATION ? Location(record) : u"";
    }
    void OnRowActivated(int row) override { activated.push_back(row); }
    void OnContextMenu(CImageItem* record, Point point) override { menus.emplace_back(record, point); }
    void OnBeginDrag(const NMLISTVIEW& nm) override { drags.push_back(nm.iItem); }

private:
    static std::u16string Location(CImageItem* record) {
        return record->IsRemovable() ? u"Card" : u"Internal";
    }
};

constexpr int32_t LIST_TOP = 24;
constexpr int32_t HEADER = HeaderControl::HEIGHT;
constexpr int32_t ROW = ListViewControl::DEFAULT_ROW_HEIGHT;
constexpr Rect LIST_RECT{0, LIST_TOP, 240, LIST_TOP + HEADER + 5 * ROW + 8};
constexpr int32_t LOCATION_WIDTH = 60, NAME_WIDTH = 110, NOTE_WIDTH = 20;

class DrawnListCtrlTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::unique_ptr<ImageStrip> strip = MakeStrip();
    Window parent;
    TestList list;

    void SetUp() override {
        CDrawnListCtrl::ResetTypeAhead();
        ASSERT_TRUE(parent.Create(nullptr, {0, 0, 240, 320}, 0, u"", WS_VISIBLE));
        ASSERT_TRUE(list.Create(&parent, LIST_RECT, 1001, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT));
        list.images = strip.get();
        AddColumns();
        for (size_t i = 0; i < kNames.size(); ++i) {
            auto record = std::make_unique<CImageItem>();
            record->InitFromCacheEntry(u"\\My Documents\\Kestrelview", kNames[i],
                                       CATEGORY_ID_UNFILED, i % 4 == 1);
            if (i % 3 == 0)
                list.noted.insert(record.get());
            list.records.push_back(std::move(record));
            list.InsertItem(-1);
        }
        SetFocus(&list);
        screen.manager.PumpMessages();
    }
    void AddColumns() {
        list.InsertColumn(0, u"Location", LVCFMT_LEFT, LOCATION_WIDTH);
        list.InsertColumn(1, u"Name", LVCFMT_LEFT, NAME_WIDTH);
        list.InsertColumn(2, u"", LVCFMT_CENTER, NOTE_WIDTH);
        HeaderControl& header = *list.GetHeaderCtrl();
        header.SetImageList(strip.get());
        const int ids[] = {LOCATION, NAME, NOTE};
        for (int i = 0; i < 3; ++i) {
            HDITEM item;
            item.mask = HDI_LPARAM;
            item.lParam = ids[i];
            header.SetItem(i, item);
        }
        HDITEM note;
        note.mask = HDI_FORMAT | HDI_IMAGE;
        note.fmt = HDF_CENTER | HDF_IMAGE;
        note.iImage = 0;
        header.SetItem(2, note);
    }
    int RowOf(std::u16string_view name) const {
        for (size_t i = 0; i < kNames.size(); ++i)
            if (kNames[i] == name)
                return int(i);
        return -1;
    }
    std::vector<int> Selected() const {
        std::vector<int> out;
        for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
            out.push_back(i);
        return out;
    }
    // Screen y of a row's top as shown now.
    int32_t RowTop(int row) const {
        return LIST_TOP + HEADER + (row - list.GetTopIndex()) * ROW;
    }
    Point RowPoint(int row) const { return {100, RowTop(row) + 8}; }
    uint32_t Pixel(int32_t x, int32_t y) { return screen.manager.Screen().Value(x, y); }
};

TEST_F(DrawnListCtrlTest, TypingSelectsTheFirstRowStartingWithTheTypedText) {
    struct Case {
        std::u16string first;
        uint32_t pause;
        std::u16string second;
        std::u16string found;
    };
    const std::vector<Case> cases{
        {u"d", 0, u"s", u"dsc001.jpg"},
        {u"D", 1000, u"S", u"dsc001.jpg"},  // twice the double-tap time still counts
        {u"d", 1001, u"s", u"sea.jpg"},     // a longer pause starts afresh
        {u"s", 200, u"U", u"Sunset over the long harbour wall.jpg"},
        {u"z", 0, u"q", u"zebra.jpg"},      // "zq" matches nothing: "z" stays found
    };
    for (const Case& c : cases) {
        list.SetItemState(-1, 0, LVIS_SELECTED);
        list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
        list.EnsureVisible(0);
        screen.backend.Wait(5000);
        screen.backend.Type(c.first);
        screen.backend.Wait(c.pause);
        screen.backend.Type(c.second);
        screen.Run();
        const int row = RowOf(c.found);
        EXPECT_EQ(Selected(), std::vector<int>{row}) << std::string(c.found.begin(), c.found.end());
        EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), row);
        EXPECT_GE(row, list.GetTopIndex());
        EXPECT_LT(row, list.GetTopIndex() + list.GetCountPerPage());
    }
    EXPECT_EQ(list.textColumns, std::set<int>{NAME});
}

TEST_F(DrawnListCtrlTest, TypingComparesOnlyTheSortedColumn) {
    list.sortColumn = NOTE;  // no text in it
    screen.backend.Type(u"d");
    screen.Run();
    EXPECT_TRUE(Selected().empty());
    list.sortColumn = LOCATION;
    screen.backend.Wait(5000);
    screen.backend.Type(u"c");
    screen.Run();
    EXPECT_EQ(Selected(), std::vector<int>{1});  // the first record on a card
}

TEST_F(DrawnListCtrlTest, RockerWithoutSelectionPagesThenEnterSelectsTheTopRow) {
    ASSERT_EQ(list.GetCountPerPage(), 5);
    struct Step {
        UINT key;
        int top;
        std::vector<int> selected;
        std::vector<int> activated;
    };
    const std::vector<Step> steps{
        {VK_DOWN, 5, {}, {}},    {VK_DOWN, 10, {}, {}},  {VK_UP, 5, {}, {}},
        {VK_RETURN, 5, {5}, {}}, {VK_RETURN, 5, {5}, {5}}, {VK_DOWN, 5, {6}, {5}},
    };
    for (const Step& s : steps) {
        screen.backend.Key(s.key);
        screen.Run();
        EXPECT_EQ(list.GetTopIndex(), s.top) << s.key;
        EXPECT_EQ(Selected(), s.selected) << s.key;
        EXPECT_EQ(list.activated, s.activated) << s.key;
    }
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 6);

    // A list that fits on one page does not move.
    list.SetItemState(-1, 0, LVIS_SELECTED);
    while (list.GetItemCount() > 4)
        list.DeleteItem(list.GetItemCount() - 1);
    screen.backend.Key(VK_DOWN);
    screen.Run();
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_TRUE(Selected().empty());
}

TEST_F(DrawnListCtrlTest, SortedColumnIsShadedOnUnselectedRowsOnly) {
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    screen.manager.PumpMessages();
    if (const char* dir = std::getenv("KV_SCREENSHOT_DIR"))
        WritePng(std::string(dir) + "/listview-drawn.png", screen.manager.Screen());

    const int32_t nameLeft = LOCATION_WIDTH, nameRight = LOCATION_WIDTH + NAME_WIDTH;
    struct Probe {
        int row;
        int32_t x;
        int32_t dy;  // from the row's top
        uint32_t pixel;
    };
    const std::vector<Probe> probes{
        {0, nameLeft, 15, SHADE_PIXEL},        {0, nameRight - 1, 16, SHADE_PIXEL},
        {0, nameLeft - 1, 15, WHITE_PIXEL},     {0, nameRight, 15, WHITE_PIXEL},
        {2, nameRight - 2, 0, SHADE_PIXEL},     {2, 230, 8, WHITE_PIXEL},
        {1, nameRight - 2, 15, HIGHLIGHT_PIXEL}, {1, 10, 16, HIGHLIGHT_PIXEL},
        {4, nameRight - 2, 0, SHADE_PIXEL},
        // Row 3 is focused: its outline is dotted over the highlight.
        {3, nameRight - 2, 8, HIGHLIGHT_PIXEL}, {3, 2, 0, HIGHLIGHT_PIXEL ^ 0xFFFFFF},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(Pixel(p.x, RowTop(p.row) + p.dy), p.pixel) << p.row << " " << p.x;

    // Sorting by location moves the shade.
    list.sortColumn = LOCATION;
    InvalidateRect(&list, nullptr, false);
    screen.manager.PumpMessages();
    EXPECT_EQ(Pixel(nameLeft - 1, RowTop(0) + 15), SHADE_PIXEL);
    EXPECT_EQ(Pixel(nameRight - 1, RowTop(0) + 15), WHITE_PIXEL);
}

TEST_F(DrawnListCtrlTest, CellsShowTheirSymbols) {
    // Row 1 lies on a card; row 0 has a note. Both symbols sit 3 in and 1 down.
    EXPECT_EQ(Pixel(4, RowTop(1) + 2), BLUE_PIXEL);
    EXPECT_EQ(Pixel(3, RowTop(1) + 1), WHITE_PIXEL);  // the key colour shows through
    EXPECT_EQ(Pixel(4, RowTop(0) + 2), WHITE_PIXEL);
    const int32_t noteLeft = LOCATION_WIDTH + NAME_WIDTH;
    EXPECT_EQ(Pixel(noteLeft + 4, RowTop(0) + 2), 0xFF0000u);
    EXPECT_EQ(Pixel(noteLeft + 4, RowTop(1) + 2), WHITE_PIXEL);
}

TEST_F(DrawnListCtrlTest, ARowWithoutARecordIsBlank) {
    list.recordless = 2;
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    InvalidateRect(&list, nullptr, false);
    screen.manager.PumpMessages();
    for (int32_t x : {5, 100, 230})
        EXPECT_EQ(Pixel(x, RowTop(2) + 8), WHITE_PIXEL) << x;
}

TEST_F(DrawnListCtrlTest, HoldOpensTheMenuOfARowWithARecordOnly) {
    while (list.GetItemCount() > 4)
        list.DeleteItem(list.GetItemCount() - 1);
    list.recordless = 3;
    screen.manager.PumpMessages();
    struct Case {
        Point p;
        int record;  // -1: no menu
    };
    const std::vector<Case> cases{
        {RowPoint(1), 1},
        {RowPoint(3), -1},                       // no record
        {{100, RowTop(4) + 8}, -1},              // below the last row
        {{100, LIST_TOP + 5}, -1},               // the header
    };
    for (const Case& c : cases) {
        list.menus.clear();
        screen.backend.Hold(c.p);
        screen.backend.Wait(1000);
        screen.Run();
        if (c.record < 0) {
            EXPECT_TRUE(list.menus.empty()) << c.p.y;
            continue;
        }
        ASSERT_EQ(list.menus.size(), 1u);
        EXPECT_EQ(list.menus[0].first, list.records[size_t(c.record)].get());
        EXPECT_EQ(list.menus[0].second, c.p);
    }
}

TEST_F(DrawnListCtrlTest, SelectionChangesAndDragsReachTheirOperations) {
    screen.backend.Tap(RowPoint(1));
    screen.backend.Wait(1000);
    screen.backend.Tap(RowPoint(3));
    screen.backend.Wait(1000);
    screen.backend.Down(RowPoint(2));
    screen.backend.Move({100, RowTop(2) + 20});
    screen.backend.Up({100, RowTop(2) + 20});
    screen.Run();
    const std::vector<std::pair<int, bool>> expected{
        {1, true}, {1, false}, {3, true}, {3, false}, {2, true}};
    EXPECT_EQ(list.selections, expected);
    EXPECT_EQ(list.drags, std::vector<int>{2});
}

// The ink of what DrawCellText drew on a white canvas: first and last column.
std::pair<int32_t, int32_t> InkColumns(const Canvas& canvas) {
    int32_t first = -1, last = -1;
    for (int32_t x = 0; x < canvas.bitmap->Width(); ++x)
        for (int32_t y = 0; y < canvas.bitmap->Height(); ++y)
            if (canvas.bitmap->Value(x, y) != WHITE_PIXEL) {
                if (first < 0)
                    first = x;
                last = x;
            }
    return {first, last};
}

TEST(DrawnListCellText, StaysInsideTheCellAlignedByTheHeaderFormat) {
    // The UI fonts (fonts-dejavu-core) are among the build's dependencies.
    ASSERT_TRUE(GetUiFont(UiFont::Normal)) << "no font files";
    struct Case {
        std::u16string text;
        int format;
        int32_t minFirst, maxFirst, minLast, maxLast;
    };
    // Cell 10..90: text between 13 and 87.
    const std::vector<Case> cases{
        {u"Sunset over the long harbour wall", HDF_LEFT, 13, 14, 60, 86},
        {u"ab", HDF_LEFT, 13, 14, 14, 30},
        {u"ab", HDF_RIGHT, 60, 85, 80, 86},
        {u"ab", HDF_CENTER, 40, 50, 50, 60},
    };
    for (const Case& c : cases) {
        Canvas canvas(100, 17);
        CDrawnListCtrl::DrawCellText(canvas.dc, 10, 0, 90, 17, c.text, c.format);
        const auto [first, last] = InkColumns(canvas);
        EXPECT_GE(first, c.minFirst) << c.format;
        EXPECT_LE(first, c.maxFirst) << c.format;
        EXPECT_GE(last, c.minLast) << c.format;
        EXPECT_LE(last, c.maxLast) << c.format;
    }
}

}  // namespace
