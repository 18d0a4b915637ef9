#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/ListViewControl.h"
#include "platform/window/WindowClass.h"
#include "tests/platform/GdiTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

// A notification as the parent saw it.
struct Heard {
    int code;
    int item;
    UINT oldState = 0;
    UINT newState = 0;
    bool operator==(const Heard&) const = default;
};

constexpr COLORREF SELECTED_FILL = RGB(0, 0, 128);
constexpr uint32_t SELECTED_PIXEL = 0x000080;

// The owner of a list: answers the row height, draws rows (navy when
// selected, white otherwise) and writes down every notification.
class ListParent : public Window {
public:
    UINT rowHeight = 0;
    std::vector<Heard> heard;
    std::vector<Point> points;  // ptAction of each notification that has one
    std::vector<DRAWITEMSTRUCT> draws;
    std::vector<uintptr_t> senders;
    std::function<LRESULT(const NMHDR&)> answer;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MEASUREITEM) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = rowHeight;
            return 1;
        }
        if (message == WM_DRAWITEM) {
            const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            draws.push_back(draw);
            draw.hDC->FillSolidRect(draw.rcItem, (draw.itemState & ODS_SELECTED)
                                                     ? SELECTED_FILL
                                                     : RGB(255, 255, 255));
            return 1;
        }
        if (message == WM_NOTIFY)
            return Record(*reinterpret_cast<const NMHDR*>(lParam));
        return DefWindowProc(message, wParam, lParam);
    }

private:
    LRESULT Record(const NMHDR& hdr) {
        senders.push_back(hdr.idFrom);
        if (hdr.code == LVN_ITEMCHANGED || hdr.code == LVN_BEGINDRAG) {
            const auto& nm = reinterpret_cast<const NMLISTVIEW&>(hdr);
            heard.push_back({hdr.code, nm.iItem, nm.uOldState, nm.uNewState});
            points.push_back(nm.ptAction);
        } else if (hdr.code == NM_CLICK || hdr.code == NM_DBLCLK) {
            const auto& nm = reinterpret_cast<const NMITEMACTIVATE&>(hdr);
            heard.push_back({hdr.code, nm.iItem});
            points.push_back(nm.ptAction);
        } else if (hdr.code == NM_RECOGNIZEGESTURE) {
            const auto& nm = reinterpret_cast<const NMRGINFO&>(hdr);
            heard.push_back({hdr.code, int(nm.dwItemSpec)});
            points.push_back(nm.ptAction);
        } else {
            const auto& nm = reinterpret_cast<const NMHEADER&>(hdr);
            heard.push_back({hdr.code, nm.iItem});
            points.push_back({nm.pitem ? nm.pitem->cxy : -1, 0});
        }
        return answer ? answer(hdr) : 0;
    }
};

constexpr int32_t LIST_TOP = 20;
constexpr int32_t HEADER = HeaderControl::HEIGHT;   // 19
constexpr int32_t ROW = ListViewControl::DEFAULT_ROW_HEIGHT;  // 17
// Five whole rows and part of a sixth below the header.
constexpr Rect LIST_RECT{0, LIST_TOP, 240, LIST_TOP + HEADER + 5 * ROW + 8};

class ListViewTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    ListParent parent;
    ListViewControl list;

    void SetUp() override {
        ASSERT_TRUE(parent.Create(nullptr, {0, 0, 240, 320}, 0, u"parent", WS_VISIBLE));
    }
    void Make(uint32_t style = 0, int rows = 0, UINT rowHeight = 0) {
        parent.rowHeight = rowHeight;
        ASSERT_TRUE(list.Create(&parent, LIST_RECT, 1001, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT | style));
        list.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, u"Size", LVCFMT_LEFT, 60);
        for (int i = 0; i < rows; ++i)
            list.InsertItem(-1);
        screen.manager.PumpMessages();
        parent.heard.clear();
        parent.points.clear();
        parent.draws.clear();
        parent.senders.clear();
    }
    // Screen point in the middle of a row as shown now.
    Point RowPoint(int row, int32_t x = 50) const {
        return {x, LIST_TOP + HEADER + (row - list.GetTopIndex()) * list.GetRowHeight() + 8};
    }
    std::vector<int> Selected() const {
        std::vector<int> out;
        for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
            out.push_back(i);
        return out;
    }
    std::vector<int> Codes() const {
        std::vector<int> out;
        for (const Heard& h : parent.heard)
            out.push_back(h.code);
        return out;
    }
    void Forget() {
        parent.heard.clear();
        parent.points.clear();
    }
};

TEST_F(ListViewTest, RowHeightIsAskedOnceAndDefaultsToTheFont) {
    struct Case {
        UINT answer;
        int32_t height;
    };
    for (const Case c : {Case{0, ROW}, Case{24, 24}}) {
        ListViewControl other;
        parent.rowHeight = c.answer;
        ASSERT_TRUE(other.Create(&parent, LIST_RECT, 7, u"", WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(other.GetRowHeight(), c.height) << c.answer;
        EXPECT_EQ(other.GetCountPerPage(), (LIST_RECT.Height() - HEADER) / c.height);
        ASSERT_NE(other.GetHeaderCtrl(), nullptr);
        EXPECT_EQ(other.GetHeaderCtrl()->GetParent(), &other);
        EXPECT_EQ(other.GetHeaderCtrl()->GetRect(), (Rect{0, 0, 240, HEADER}));
        other.Destroy();
    }
}

TEST_F(ListViewTest, ColumnsAreTheHeaderItemsAndColumnZeroCanGo) {
    Make();
    EXPECT_EQ(list.InsertColumn(0, u"", LVCFMT_LEFT, 0), 0);
    EXPECT_EQ(list.InsertColumn(9, u"Note", LVCFMT_CENTER | LVCFMT_IMAGE, 20), 3);
    HeaderControl& header = *list.GetHeaderCtrl();
    ASSERT_EQ(header.GetItemCount(), 4);
    const std::vector<std::u16string> texts{u"", u"Name", u"Size", u"Note"};
    const std::vector<int> widths{0, 100, 60, 20};
    for (int i = 0; i < 4; ++i) {
        HDITEM item;
        item.mask = HDI_ALL;
        ASSERT_TRUE(header.GetItem(i, item));
        EXPECT_EQ(item.text, texts[size_t(i)]);
        EXPECT_EQ(item.cxy, widths[size_t(i)]);
        EXPECT_EQ(list.GetColumnWidth(i), widths[size_t(i)]);
    }
    HDITEM note;
    note.mask = HDI_FORMAT;
    header.GetItem(3, note);
    EXPECT_EQ(note.fmt & (HDF_JUSTIFYMASK | HDF_IMAGE), HDF_CENTER | HDF_IMAGE);

    // A width change is told to the list's parent as the header's.
    EXPECT_TRUE(list.SetColumnWidth(1, 120));
    EXPECT_EQ(list.GetColumnWidth(1), 120);
    EXPECT_EQ(parent.heard, (std::vector<Heard>{{HDN_ITEMCHANGED, 1}}));
    EXPECT_EQ(parent.senders, (std::vector<uintptr_t>{uintptr_t(ListViewControl::HEADER_ID)}));

    // Rebuilding: delete column 0 as many times as the header reports.
    for (int n = header.GetItemCount(); n > 0; --n)
        EXPECT_TRUE(list.DeleteColumn(0));
    EXPECT_EQ(header.GetItemCount(), 0);
    EXPECT_FALSE(list.DeleteColumn(0));
    EXPECT_EQ(list.GetColumnWidth(0), 0);
}

TEST_F(ListViewTest, RowsKeepTheirStatesWhenOthersComeAndGo) {
    Make();
    EXPECT_EQ(list.InsertItem(-1), 0);
    EXPECT_EQ(list.InsertItem(-1), 1);
    EXPECT_EQ(list.InsertItem(100), 2);
    EXPECT_EQ(list.InsertItem(1, u"ignored"), 1);
    ASSERT_EQ(list.GetItemCount(), 4);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemData(2, 77);

    list.InsertItem(0);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    EXPECT_EQ(list.GetItemData(3), 77);
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), -1);
    EXPECT_EQ(list.GetNextItem(0, LVNI_ALL), 1);
    EXPECT_FALSE(list.DeleteItem(5));
    EXPECT_FALSE(list.SetItemState(5, LVIS_SELECTED, LVIS_SELECTED));

    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectedCount(), 0);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_ALL), -1);
}

TEST_F(ListViewTest, EveryRowWhoseStateChangesIsNotified) {
    Make(0, 5);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);  // no change, no word
    EXPECT_EQ(list.GetSelectedCount(), 2);
    list.SetItemState(-1, 0, LVIS_SELECTED);
    list.SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    list.SetItemState(4, LVIS_FOCUSED, LVIS_FOCUSED);  // the focus is on one row only
    list.SetItemState(-1, LVIS_FOCUSED, LVIS_FOCUSED);  // ignored
    const std::vector<Heard> expected{
        {LVN_ITEMCHANGED, 1, 0, LVIS_SELECTED},
        {LVN_ITEMCHANGED, 3, 0, LVIS_SELECTED},
        {LVN_ITEMCHANGED, 1, LVIS_SELECTED, 0},
        {LVN_ITEMCHANGED, 3, LVIS_SELECTED, 0},
        {LVN_ITEMCHANGED, 2, 0, LVIS_FOCUSED},
        {LVN_ITEMCHANGED, 2, LVIS_FOCUSED, 0},
        {LVN_ITEMCHANGED, 4, 0, LVIS_FOCUSED},
    };
    EXPECT_EQ(parent.heard, expected);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 4);
}

TEST_F(ListViewTest, SingleSelectionKeepsOneRowSelected) {
    Make(LVS_SINGLESEL, 5);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);  // ignored
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(parent.heard, (std::vector<Heard>{{LVN_ITEMCHANGED, 1, 0, LVIS_SELECTED},
                                                {LVN_ITEMCHANGED, 1, LVIS_SELECTED, 0},
                                                {LVN_ITEMCHANGED, 3, 0, LVIS_SELECTED}}));
}

TEST_F(ListViewTest, GeometryFollowsTheTopRowAndTheSidewaysScroll) {
    Make(0, 20);
    EXPECT_EQ(list.GetCountPerPage(), 5);
    Rect rect;
    ASSERT_TRUE(list.GetItemRect(0, rect));
    EXPECT_EQ(rect, (Rect{0, HEADER, 240, HEADER + ROW}));
    Point position;
    ASSERT_TRUE(list.GetItemPosition(2, position));
    EXPECT_EQ(position, (Point{0, HEADER + 2 * ROW}));
    EXPECT_FALSE(list.GetItemRect(20, rect));

    // Pixels scroll by whole rows, rounded, within 0 .. count - page.
    struct Step {
        int32_t dy;
        int top;
    };
    for (const Step s : {Step{3 * ROW, 3}, Step{8, 3}, Step{9, 4}, Step{-9, 3}, Step{-1000, 0},
                         Step{10000, 15}}) {
        list.Scroll(0, s.dy);
        EXPECT_EQ(list.GetTopIndex(), s.top) << s.dy;
    }
    ASSERT_TRUE(list.GetItemPosition(15, position));
    EXPECT_EQ(position, (Point{0, HEADER}));

    struct Hit {
        Point p;
        int row;
    };
    for (const Hit h : {Hit{{5, 5}, -1}, Hit{{5, HEADER}, 15}, Hit{{239, HEADER + ROW}, 16},
                        Hit{{5, HEADER + 5 * ROW + 3}, -1} /* row 20 does not exist */, Hit{{240, 30}, -1},
                        Hit{{-1, 30}, -1}}) {
        EXPECT_EQ(list.HitTest(h.p), h.row) << h.p.x << "," << h.p.y;
    }

    list.EnsureVisible(2);
    EXPECT_EQ(list.GetTopIndex(), 2);
    list.EnsureVisible(12);
    EXPECT_EQ(list.GetTopIndex(), 8);
    list.EnsureVisible(13, true);  // partly shown is enough
    EXPECT_EQ(list.GetTopIndex(), 8);
    EXPECT_EQ(list.HitTest({5, HEADER + 5 * ROW + 3}), 13);

    // Columns wider than the list scroll sideways, the header with them.
    list.SetColumnWidth(1, 200);  // 300 in all
    list.Scroll(50, 0);
    ASSERT_TRUE(list.GetItemRect(8, rect));
    EXPECT_EQ(rect, (Rect{-50, HEADER, 250, HEADER + ROW}));
    EXPECT_EQ(list.GetHeaderCtrl()->GetRect().left, -50);
    list.Scroll(1000, 0);
    EXPECT_EQ(list.GetScrollX(), 60);
    list.SetColumnWidth(1, 60);
    EXPECT_EQ(list.GetScrollX(), 0);
}

TEST_F(ListViewTest, EachVisibleRowIsDrawnByTheParent) {
    Make(0, 8);
    list.SetColumnWidth(1, 200);  // rows span the columns: 300 pixels
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(&list);
    parent.draws.clear();
    screen.manager.PumpMessages();

    ASSERT_EQ(parent.draws.size(), 6u);  // five whole rows and the part of the sixth
    for (size_t i = 0; i < parent.draws.size(); ++i) {
        const DRAWITEMSTRUCT& d = parent.draws[i];
        EXPECT_EQ(d.CtlType, ODT_LISTVIEW);
        EXPECT_EQ(d.CtlID, 1001u);
        EXPECT_EQ(d.itemID, int(i));
        EXPECT_EQ(d.itemAction, ODA_DRAWENTIRE);
        EXPECT_EQ(d.itemState, i == 1 ? (ODS_SELECTED | ODS_FOCUS) : 0u);
        EXPECT_EQ(d.hwndItem, &list);
        const int32_t top = HEADER + int32_t(i) * ROW;
        EXPECT_EQ(d.rcItem, (Rect{0, top, 300, top + ROW}));
    }
    const Bitmap& pixels = screen.manager.Screen();
    EXPECT_EQ(pixels.Value(10, RowPoint(1).y), SELECTED_PIXEL);
    EXPECT_EQ(pixels.Value(10, RowPoint(0).y), WHITE_PIXEL);

    // Losing the focus redraws the focused row without ODS_FOCUS.
    parent.draws.clear();
    SetFocus(&parent);
    screen.manager.PumpMessages();
    ASSERT_EQ(parent.draws.size(), 1u);
    EXPECT_EQ(parent.draws[0].itemState, ODS_SELECTED);
}

TEST_F(ListViewTest, BelowTheLastRowIsTheWindowColour) {
    Make(0, 2);
    const int32_t y = LIST_TOP + HEADER + 3 * ROW;
    EXPECT_EQ(screen.manager.Screen().Value(100, y), WHITE_PIXEL);
    EXPECT_EQ(screen.manager.Screen().Value(100, LIST_RECT.bottom - 1), WHITE_PIXEL);
}

TEST_F(ListViewTest, RedrawOffSuspendsPaintingUntilSwitchedOn) {
    Make(0, 4);
    SendMessage(&list, WM_SETREDRAW, 0, 0);
    list.DeleteItem(0);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    InvalidateRect(&list, nullptr, true);
    screen.manager.PumpMessages();
    EXPECT_TRUE(parent.draws.empty());
    EXPECT_EQ(screen.manager.Screen().Value(10, RowPoint(0).y), WHITE_PIXEL);

    SendMessage(&list, WM_SETREDRAW, 1, 0);
    screen.manager.PumpMessages();
    EXPECT_EQ(parent.draws.size(), 3u);
    EXPECT_EQ(screen.manager.Screen().Value(10, RowPoint(0).y), SELECTED_PIXEL);
}

TEST_F(ListViewTest, TapSelectsTheRowThenClicks) {
    Make(0, 3);
    screen.backend.Tap(RowPoint(2));
    screen.backend.Wait(1000);
    screen.backend.Tap(RowPoint(0));
    screen.Run();
    const std::vector<Heard> expected{
        {LVN_ITEMCHANGED, 2, 0, LVIS_SELECTED | LVIS_FOCUSED},
        {NM_CLICK, 2},
        {LVN_ITEMCHANGED, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_FOCUSED},
        {LVN_ITEMCHANGED, 2, LVIS_FOCUSED, 0},
        {LVN_ITEMCHANGED, 0, 0, LVIS_SELECTED | LVIS_FOCUSED},
        {NM_CLICK, 0},
    };
    EXPECT_EQ(parent.heard, expected);
    EXPECT_EQ(parent.points.back(), list.ScreenToClient(RowPoint(0)));
    EXPECT_EQ(GetFocus(), &list);

    // Below the last row: nothing stays selected, and the click names no row.
    Forget();
    screen.backend.Wait(1000);
    screen.backend.Tap({50, LIST_RECT.bottom - 2});
    screen.Run();
    EXPECT_EQ(parent.heard, (std::vector<Heard>{{LVN_ITEMCHANGED, 0, LVIS_SELECTED | LVIS_FOCUSED,
                                                 LVIS_FOCUSED},
                                                {NM_CLICK, -1}}));
}

TEST_F(ListViewTest, StylusGesturesMakeTheirOwnNotifications) {
    struct Case {
        const char* name;
        std::function<void(HeadlessBackend&, Point)> input;
        std::vector<int> codes;
    };
    const std::vector<Case> cases{
        {"double tap",
         [](HeadlessBackend& b, Point p) { b.Tap(p); b.Tap(p); },
         {LVN_ITEMCHANGED, NM_CLICK, NM_DBLCLK}},
        {"hold", [](HeadlessBackend& b, Point p) { b.Hold(p); },
         {LVN_ITEMCHANGED, NM_RECOGNIZEGESTURE}},
        {"drag",
         [](HeadlessBackend& b, Point p) {
             b.Down(p);
             b.Move({p.x, p.y + 3});
             b.Move({p.x, p.y + 10});
             b.Up({p.x, p.y + 10});
         },
         {LVN_ITEMCHANGED, LVN_BEGINDRAG}},
        {"wobble",
         [](HeadlessBackend& b, Point p) {
             b.Down(p);
             b.Move({p.x + 3, p.y});
             b.Up({p.x + 3, p.y});
         },
         {LVN_ITEMCHANGED, NM_CLICK}},
    };
    Make(0, 8);
    for (const Case& c : cases) {
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        Forget();
        c.input(screen.backend, RowPoint(3));
        screen.backend.Wait(1000);
        screen.Run();
        EXPECT_EQ(Codes(), c.codes) << c.name;
        EXPECT_EQ(parent.heard.back().item, 3) << c.name;
    }
    // The gesture carries the screen point.
    Forget();
    screen.backend.Hold(RowPoint(1, 70));
    screen.Run();
    ASSERT_EQ(parent.points.size(), 4u);
    EXPECT_EQ(parent.points.back(), RowPoint(1, 70));
}

TEST_F(ListViewTest, ControlTogglesAndShiftExtendsInAMultipleSelection) {
    struct Case {
        uint32_t style;
        std::vector<int> afterControl;  // tap 1, Ctrl-tap 3
        std::vector<int> afterShift;    // then Shift-tap 4
    };
    for (const Case& c : {Case{0, {1, 3}, {3, 4}}, Case{LVS_SINGLESEL, {3}, {4}}}) {
        ListViewControl other;
        ASSERT_TRUE(other.Create(&parent, LIST_RECT, 9, u"", WS_CHILD | WS_VISIBLE | c.style));
        for (int i = 0; i < 8; ++i)
            other.InsertItem(-1);
        auto selected = [&] {
            std::vector<int> out;
            for (int i = other.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = other.GetNextItem(i, LVNI_SELECTED))
                out.push_back(i);
            return out;
        };
        auto modified = [&](UINT key, Point p) {
            screen.backend.Queue({InputKind::KeyDown, {}, key, 0});
            screen.backend.Tap(p);
            screen.backend.Queue({InputKind::KeyUp, {}, key, 0});
            screen.backend.Wait(1000);
        };
        screen.backend.Tap(RowPoint(1));
        screen.backend.Wait(1000);
        modified(VK_CONTROL, RowPoint(3));
        screen.Run();
        EXPECT_EQ(selected(), c.afterControl) << c.style;
        modified(VK_SHIFT, RowPoint(4));
        screen.Run();
        EXPECT_EQ(selected(), c.afterShift) << c.style;
        EXPECT_EQ(other.GetNextItem(-1, LVNI_FOCUSED), 4);
        other.Destroy();
    }
}

TEST_F(ListViewTest, MovementKeysMoveSelectionAndFocusIntoView) {
    struct Case {
        int focused;  // -1: no row focused or selected
        UINT key;
        int row;
        int top;
    };
    const std::vector<Case> cases{
        {-1, VK_DOWN, 0, 0}, {-1, VK_UP, 0, 0},  {4, VK_DOWN, 5, 1},  {5, VK_UP, 4, 1},
        {0, VK_UP, 0, 0},    {0, VK_NEXT, 5, 1}, {10, VK_PRIOR, 5, 5}, {3, VK_END, 19, 15},
        {19, VK_DOWN, 19, 15}, {12, VK_HOME, 0, 0},
    };
    Make(0, 20);
    for (const Case& c : cases) {
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(0);
        if (c.focused >= 0) {
            list.SetItemState(c.focused, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            list.EnsureVisible(c.focused);
        }
        SendMessage(&list, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(Selected(), std::vector<int>{c.row}) << c.focused << " key " << c.key;
        EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), c.row);
        EXPECT_EQ(list.GetTopIndex(), c.top) << c.focused << " key " << c.key;
    }
}

TEST_F(ListViewTest, KeysReachTheFocusedList) {
    Make(0, 20);
    list.SetColumnWidth(1, 200);
    SetFocus(&list);
    screen.backend.Key(VK_DOWN);
    screen.backend.Key(VK_DOWN);
    screen.backend.Key(VK_RIGHT);
    screen.Run();
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_EQ(list.GetScrollX(), ListViewControl::SIDE_STEP);
}

TEST_F(ListViewTest, HeaderTapsAndDividerDragsReachTheParent) {
    Make(0, 3);
    list.InsertColumn(0, u"", LVCFMT_LEFT, 0);  // widths 0, 100, 60
    parent.answer = [](const NMHDR& hdr) -> LRESULT {
        // The second column refuses to be resized.
        return hdr.code == HDN_BEGINTRACK && reinterpret_cast<const NMHEADER&>(hdr).iItem == 2;
    };
    const int32_t y = LIST_TOP + 8;
    screen.backend.Tap({50, y});
    screen.backend.Wait(1000);
    screen.backend.Tap({1, y});  // the hidden first column cannot be grabbed
    screen.backend.Wait(1000);
    screen.backend.Down({161, y});  // the right edge of "Size": refused
    screen.backend.Move({200, y});
    screen.backend.Up({200, y});
    screen.backend.Wait(1000);
    screen.backend.Down({101, y});  // the right edge of "Name"
    screen.backend.Move({120, y});
    screen.backend.Move({230, y});
    screen.backend.Up({230, y});
    parent.draws.clear();
    screen.Run();

    const std::vector<Heard> expected{
        {HDN_ITEMCLICK, 1},   {HDN_ITEMCLICK, 1},   {HDN_BEGINTRACK, 2}, {HDN_BEGINTRACK, 1},
        {HDN_TRACK, 1},       {HDN_ITEMCHANGED, 1}, {HDN_TRACK, 1},      {HDN_ITEMCHANGED, 1},
        {HDN_ENDTRACK, 1},
    };
    EXPECT_EQ(parent.heard, expected);
    for (uintptr_t sender : parent.senders)
        EXPECT_EQ(sender, uintptr_t(ListViewControl::HEADER_ID));
    EXPECT_EQ(parent.points[5].x, 119);  // the width told with the change
    EXPECT_EQ(list.GetColumnWidth(0), 0);
    EXPECT_EQ(list.GetColumnWidth(1), 229);
    EXPECT_EQ(list.GetColumnWidth(2), 60);
    // The rows were drawn again over the wider columns.
    ASSERT_FALSE(parent.draws.empty());
    EXPECT_EQ(parent.draws.back().rcItem.right, 289);
}

TEST_F(ListViewTest, AnEmptyFocusedListAsksOnlyForTheFocusRectangle) {
    Make();
    SetFocus(&list);
    screen.manager.PumpMessages();
    ASSERT_EQ(parent.draws.size(), 1u);
    EXPECT_EQ(parent.draws[0].itemID, -1);
    EXPECT_EQ(parent.draws[0].itemAction, ODA_FOCUS);
    EXPECT_EQ(parent.draws[0].itemState, ODS_FOCUS);
    EXPECT_EQ(parent.draws[0].rcItem, (Rect{0, HEADER, 240, HEADER + ROW}));
}

TEST_F(ListViewTest, TheClassesAreMadeByNameAndAnswerByMessage) {
    RegisterListViewClasses();
    std::unique_ptr<Window> made =
        CreateWindowOfClass(WC_LISTVIEW, &parent, LIST_RECT, 5, u"", WS_CHILD | WS_VISIBLE);
    auto* madeList = dynamic_cast<ListViewControl*>(made.get());
    ASSERT_NE(madeList, nullptr);
    EXPECT_NE(made->GetClassStyle() & CS_DBLCLKS, 0u);
    madeList->InsertColumn(0, u"Name", LVCFMT_RIGHT, 80);

    Window* header = made->GetDlgItem(ListViewControl::HEADER_ID);
    ASSERT_EQ(header, madeList->GetHeaderCtrl());
    EXPECT_EQ(SendMessage(header, HDM_GETITEMCOUNT, 0, 0), 1);
    HDITEM item;
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    ASSERT_EQ(SendMessage(header, HDM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)), 1);
    EXPECT_EQ(item.text, u"Name");
    EXPECT_EQ(item.cxy, 80);
    EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);
    item.mask = HDI_LPARAM;
    item.lParam = 6;
    EXPECT_EQ(SendMessage(header, HDM_INSERTITEM, 9, reinterpret_cast<LPARAM>(&item)), 1);
    EXPECT_EQ(SendMessage(header, HDM_DELETEITEM, 0, 0), 1);
    HDITEM left;
    left.mask = HDI_LPARAM | HDI_WIDTH;
    ASSERT_EQ(SendMessage(header, HDM_GETITEM, 0, reinterpret_cast<LPARAM>(&left)), 1);
    EXPECT_EQ(left.lParam, 6);
    EXPECT_EQ(left.cxy, 0);
    EXPECT_EQ(SendMessage(header, HDM_GETITEM, 1, reinterpret_cast<LPARAM>(&left)), 0);
}

}  // namespace
