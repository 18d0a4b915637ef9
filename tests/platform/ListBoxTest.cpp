#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/png/PngWriter.h"
#include "platform/window/WindowClass.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr Rect kFull{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
// A framed box of five 17-pixel rows: rows start at y 11, 28, 45, ...
constexpr Rect kBox{10, 10, 130, 10 + 5 * 17 + 2};
constexpr int32_t kRowX = 40;
constexpr int kId = 1020;

int32_t RowY(int row) { return kBox.top + 1 + 17 * row + 8; }
uint32_t Pixel(int colourIndex) { return PixelFromColour(GetSysColor(colourIndex)); }

// The item messages of both list kinds, so that one table drives both.
struct Protocol {
    const char* name;
    UINT add, insert, remove, reset, getText, getData, setData, count, setSel, getSel, find;
    uint32_t sortStyle;
    std::function<std::unique_ptr<Window>()> make;
};

const Protocol kListBox{"list box", LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                        LB_GETTEXT, LB_GETITEMDATA, LB_SETITEMDATA, LB_GETCOUNT, LB_SETCURSEL,
                        LB_GETCURSEL, LB_FINDSTRINGEXACT, LBS_SORT,
                        [] { return std::make_unique<ListBoxControl>(); }};
const Protocol kComboBox{"drop-down list", CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING,
                         CB_RESETCONTENT, CB_GETLBTEXT, CB_GETITEMDATA, CB_SETITEMDATA, CB_GETCOUNT,
                         CB_SETCURSEL, CB_GETCURSEL, CB_FINDSTRINGEXACT,
                         CBS_SORT | CBS_DROPDOWNLIST,
                         [] { return std::make_unique<ComboBoxControl>(); }};

LPARAM Text(const char16_t* text) { return reinterpret_cast<LPARAM>(text); }

class ItemProtocolTest : public ::testing::TestWithParam<Protocol> {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    std::unique_ptr<Window> list;

    void SetUp() override { ASSERT_TRUE(parent.Create(nullptr, kFull, 0, u"parent", WS_VISIBLE)); }
    void Make(bool sorted) {
        list = GetParam().make();
        const uint32_t style =
            WS_CHILD | WS_VISIBLE | WS_BORDER | (sorted ? GetParam().sortStyle : 0);
        ASSERT_TRUE(list->Create(&parent, kBox, kId, u"", style));
    }
    LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) {
        return screen.manager.SendMessage(list.get(), message, w, l);
    }
    std::u16string TextAt(int index) {
        char16_t buffer[64] = {};
        const LRESULT length =
            Send(GetParam().getText, WPARAM(index), reinterpret_cast<LPARAM>(buffer));
        return length < 0 ? u"<err>" : std::u16string(buffer, size_t(length));
    }
    std::vector<std::u16string> Texts() {
        std::vector<std::u16string> out;
        for (int i = 0; i < Send(GetParam().count); ++i)
            out.push_back(TextAt(i));
        return out;
    }
    std::vector<LPARAM> Data() {
        std::vector<LPARAM> out;
        for (int i = 0; i < Send(GetParam().count); ++i)
            out.push_back(Send(GetParam().getData, WPARAM(i)));
        return out;
    }
};

TEST_P(ItemProtocolTest, AddingPlacesItemsAndTheirDataTravelWithThem) {
    struct Case {
        const char* name;
        bool sorted;
        std::vector<std::u16string> added;
        std::vector<LRESULT> indexes;          // what each add answered
        std::vector<std::u16string> order;     // the final order
        std::vector<LPARAM> data;              // data of the final order (= add number)
    };
    const Case cases[] = {
        {"unsorted appends", false, {u"pear", u"Apple", u"fig"}, {0, 1, 2},
         {u"pear", u"Apple", u"fig"}, {0, 1, 2}},
        {"sorted without regard to case", true, {u"pear", u"apple", u"Fig", u"banana"},
         {0, 0, 1, 1},
         {u"apple", u"banana", u"Fig", u"pear"}, {1, 3, 2, 0}},
        {"equal texts keep the order of adding", true,
         {u"Zoo", u"apple", u"APPLE", u"Apple", u"aardvark"},
         {0, 0, 1, 2, 0}, {u"aardvark", u"apple", u"APPLE", u"Apple", u"Zoo"}, {4, 1, 2, 3, 0}},
        {"texts that are prefixes sort first", true, {u"Ab", u"A", u"abc"}, {0, 0, 2},
         {u"A", u"Ab", u"abc"}, {1, 0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.sorted);
        std::vector<LRESULT> indexes;
        for (size_t i = 0; i < c.added.size(); ++i) {
            const LRESULT index = Send(GetParam().add, 0, Text(c.added[i].c_str()));
            indexes.push_back(index);
            EXPECT_EQ(Send(GetParam().setData, WPARAM(index), LPARAM(i)), 0);
        }
        EXPECT_EQ(indexes, c.indexes);
        EXPECT_EQ(Texts(), c.order);
        EXPECT_EQ(Data(), c.data);
    }
}

TEST_P(ItemProtocolTest, InsertDeleteResetAndTheSelectionFollowsItsItem) {
    const Protocol& p = GetParam();
    Make(true);
    Send(p.add, 0, Text(u"b"));
    Send(p.add, 0, Text(u"d"));
    // Inserting places the item where asked, also in a sorted list.
    EXPECT_EQ(Send(p.insert, 0, Text(u"z")), 0);
    EXPECT_EQ(Send(p.insert, WPARAM(-1), Text(u"a")), 3);
    EXPECT_EQ(Send(p.insert, 9, Text(u"x")), LB_ERR);
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"z", u"b", u"d", u"a"}));
    for (int i = 0; i < 4; ++i)
        Send(p.setData, WPARAM(i), 100 + i);

    EXPECT_EQ(Send(p.setSel, 2), 2);  // "d"
    Send(p.insert, 0, Text(u"y"));
    EXPECT_EQ(Send(p.getSel), 3);
    EXPECT_EQ(Send(p.remove, 0), 4);  // the count left
    EXPECT_EQ(Send(p.getSel), 2);
    EXPECT_EQ(Send(p.remove, 1), 3);  // "b", before the selection
    EXPECT_EQ(Send(p.getSel), 1);
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"z", u"d", u"a"}));
    EXPECT_EQ(Data(), (std::vector<LPARAM>{100, 102, 103}));
    EXPECT_EQ(Send(p.remove, 1), 2);  // the selected item itself
    EXPECT_EQ(Send(p.getSel), LB_ERR);
    EXPECT_EQ(Send(p.remove, 7), LB_ERR);
    EXPECT_EQ(Send(p.remove, WPARAM(-1)), LB_ERR);

    // Exact search: without regard to case, after the start, wrapping round.
    EXPECT_EQ(Send(p.find, WPARAM(-1), Text(u"A")), 1);
    EXPECT_EQ(Send(p.find, 1, Text(u"a")), 1);
    EXPECT_EQ(Send(p.find, WPARAM(-1), Text(u"")), LB_ERR);
    EXPECT_EQ(Send(p.find, WPARAM(-1), Text(u"zz")), LB_ERR);

    EXPECT_EQ(Send(p.setSel, 9), LB_ERR);
    EXPECT_EQ(Send(p.getSel), LB_ERR);
    EXPECT_EQ(Send(p.getData, 5), LB_ERR);
    EXPECT_EQ(Send(p.setData, 5, 1), LB_ERR);
    EXPECT_EQ(TextAt(5), u"<err>");
    Send(p.setSel, 0);
    Send(p.reset);
    EXPECT_EQ(Send(p.count), 0);
    EXPECT_EQ(Send(p.getSel), LB_ERR);
    EXPECT_EQ(TextAt(0), u"<err>");
}

INSTANTIATE_TEST_SUITE_P(Lists, ItemProtocolTest, ::testing::Values(kListBox, kComboBox),
                         [](const ::testing::TestParamInfo<Protocol>& info) {
                             return info.param.add == LB_ADDSTRING ? "ListBox" : "ComboBox";
                         });

// A list box that counts its paints.
class CountingListBox : public ListBoxControl {
public:
    int paints = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        paints += message == WM_PAINT;
        return ListBoxControl::WindowProc(message, wParam, lParam);
    }
};

class ListBoxTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    CountingListBox box;

    void SetUp() override {
        parent.SetBackgroundColour(RGB(255, 255, 255));
        ASSERT_TRUE(parent.Create(nullptr, kFull, 0, u"parent", WS_VISIBLE));
    }
    void Make(int items, uint32_t style = LBS_NOTIFY) {
        ASSERT_TRUE(box.Create(&parent, kBox, kId, u"", WS_CHILD | WS_VISIBLE | WS_BORDER | style,
                               CS_DBLCLKS));
        for (int i = 0; i < items; ++i)
            box.AddString(u"Item " + std::u16string(1, char16_t(u'A' + i)));
        screen.manager.PumpMessages();
        log.clear();
    }
    // The notification codes the parent heard, each checked for its id and sender.
    std::vector<uint16_t> Notifications() {
        std::vector<uint16_t> codes;
        for (const Seen& s : Only(log, {WM_COMMAND})) {
            EXPECT_EQ(LOWORD(s.wParam), kId);
            EXPECT_EQ(s.lParam, LPARAM(HWND(&box)));
            codes.push_back(HIWORD(s.wParam));
        }
        log.clear();
        return codes;
    }
    uint32_t At(int32_t x, int32_t y) { return screen.manager.Screen().Value(x, y); }
};

TEST_F(ListBoxTest, UserChangesNotifyAndProgramChangesDoNot) {
    Make(4);
    struct Step {
        const char* what;
        std::function<void()> act;
        int selection;
        std::vector<uint16_t> codes;
    };
    // Taps apart in time, so that two in a row are not a double tap.
    auto tap = [&](int row) {
        return [&, row] {
            screen.backend.Wait(DOUBLE_TAP_TIME_MS + 1);
            screen.backend.Tap({kRowX, RowY(row)});
            screen.Run();
        };
    };
    auto key = [&](UINT k) { return [&, k] { screen.backend.Key(k); screen.Run(); }; };
    const Step steps[] = {
        {"LB_SETCURSEL", [&] { screen.manager.SendMessage(&box, LB_SETCURSEL, 2, 0); }, 2, {}},
        {"tap on another row", tap(1), 1, {LBN_SELCHANGE}},
        {"tap on the selected row", tap(1), 1, {}},
        {"tap below the last row", tap(4), 1, {}},
        {"Down", key(VK_DOWN), 2, {LBN_SELCHANGE}},
        {"End", key(VK_END), 3, {LBN_SELCHANGE}},
        {"Down on the last row", key(VK_DOWN), 3, {}},
        {"Up", key(VK_UP), 2, {LBN_SELCHANGE}},
        {"Home", key(VK_HOME), 0, {LBN_SELCHANGE}},
        {"Up on the first row", key(VK_UP), 0, {}},
        {"SetCurSel(-1)", [&] { box.SetCurSel(-1); }, -1, {}},
        {"Down without a selection", key(VK_DOWN), 0, {LBN_SELCHANGE}},
        {"double tap", [&] {
             screen.backend.Tap({kRowX, RowY(3)});
             screen.backend.Tap({kRowX, RowY(3)});
             screen.Run();
         }, 3, {LBN_SELCHANGE, LBN_DBLCLK}},
        {"drag over the rows", [&] {
             screen.backend.Down({kRowX, RowY(0)});
             screen.backend.Move({kRowX, RowY(1)});
             screen.backend.Move({kRowX, RowY(2)});
             screen.backend.Up({kRowX, RowY(2)});
             screen.Run();
         }, 2, {LBN_SELCHANGE}},
        {"LB_DELETESTRING of the selection",
         [&] { screen.manager.SendMessage(&box, LB_DELETESTRING, 2, 0); }, -1, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(box.GetCurSel(), s.selection);
        EXPECT_EQ(Notifications(), s.codes);
    }
    EXPECT_EQ(screen.manager.GetFocus(), &box);  // the first tap gave it the focus
    EXPECT_EQ(screen.manager.GetCapture(), nullptr);
}

TEST_F(ListBoxTest, WithoutNotifyStyleTapsSelectSilently) {
    Make(3, 0);
    screen.backend.Tap({kRowX, RowY(2)});
    screen.backend.Key(VK_UP);
    screen.Run();
    EXPECT_EQ(box.GetCurSel(), 1);
    EXPECT_EQ(Notifications(), std::vector<uint16_t>{});
}

TEST_F(ListBoxTest, ScrollsToKeepTheSelectionVisible) {
    Make(3);
    EXPECT_FALSE(box.ScrollBar().IsVisibleFlag());
    for (int i = 3; i < 20; ++i)
        box.AddString(u"Item " + std::u16string(1, char16_t(u'A' + i)));
    ASSERT_TRUE(box.ScrollBar().IsVisibleFlag());
    SetFocus(&box);
    const Rect bar = box.ScrollBar().GetWindowRect();
    EXPECT_EQ(bar.right, kBox.right - 1);
    EXPECT_EQ(bar.Width(), GetSystemMetrics(SM_CXVSCROLL));

    struct Step {
        const char* what;
        std::function<void()> act;
        int selection;
        int top;
    };
    auto key = [&](UINT k) { return [&, k] { screen.backend.Key(k); screen.Run(); }; };
    auto tap = [&](Point p) { return [&, p] { screen.backend.Tap(p); screen.Run(); }; };
    const Step steps[] = {
        {"SetCurSel below the rows", [&] { box.SetCurSel(12); }, 12, 8},
        {"End", key(VK_END), 19, 15},
        {"Page Up (a page less one row)", key(VK_PRIOR), 15, 15},
        {"Home", key(VK_HOME), 0, 0},
        {"Page Down", key(VK_NEXT), 4, 0},
        {"bar's down arrow", tap({bar.left + 6, bar.bottom - 4}), 4, 1},
        {"tap on the first row shown", tap({kRowX, RowY(0)}), 1, 1},
        {"drag the thumb to the end", [&] {
             screen.backend.Down({bar.left + 6, bar.top + 16});
             screen.backend.Move({bar.left + 6, bar.bottom + 40});
             screen.backend.Up({bar.left + 6, bar.bottom + 40});
             screen.Run();
         }, 1, 15},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(box.GetCurSel(), s.selection);
        EXPECT_EQ(box.GetTopIndex(), s.top);
        EXPECT_EQ(screen.manager.SendMessage(&box, LB_GETTOPINDEX, 0, 0), s.top);
        EXPECT_EQ(box.ScrollBar().GetScrollPos(), s.top);
    }
    // Items removed until they fit: the bar goes and the top comes back.
    while (box.GetCount() > 4)
        box.DeleteString(0);
    EXPECT_FALSE(box.ScrollBar().IsVisibleFlag());
    EXPECT_EQ(box.GetTopIndex(), 0);
}

TEST_F(ListBoxTest, NothingIsPaintedWhileRedrawIsOff) {
    Make(2);
    const uint32_t highlight = Pixel(COLOR_HIGHLIGHT);
    screen.manager.SendMessage(&box, WM_SETREDRAW, 0, 0);
    const int paintsBefore = box.paints;
    box.AddString(u"Another");
    box.SetCurSel(0);
    InvalidateRect(&box, nullptr, true);  // even an explicit request paints nothing
    screen.manager.PumpMessages();
    EXPECT_EQ(At(kBox.left + 3, RowY(0)), 0xFFFFFFu);
    EXPECT_EQ(box.paints - paintsBefore, 1);  // validated only

    screen.manager.SendMessage(&box, WM_SETREDRAW, 1, 0);
    screen.manager.PumpMessages();
    EXPECT_EQ(At(kBox.left + 3, RowY(0)), highlight);
    EXPECT_EQ(At(kBox.left + 3, RowY(1)), 0xFFFFFFu);
    // The frame, and dark text on the unselected row.
    EXPECT_EQ(At(kBox.left, RowY(1)), Pixel(COLOR_WINDOWFRAME));
    int dark = 0;
    for (int32_t y = RowY(1) - 8; y < RowY(1) + 8; ++y)
        for (int32_t x = kBox.left + 1; x < kBox.right - 1; ++x)
            dark += At(x, y) < 0x404040;
    EXPECT_GT(dark, 20);
    // Text on the selected one, in light colours.
    int light = 0;
    for (int32_t y = RowY(0) - 8; y < RowY(0) + 8; ++y)
        for (int32_t x = kBox.left + 1; x < kBox.right - 1; ++x)
            light += At(x, y) != highlight && (At(x, y) & 0xFF) > 0x80;
    EXPECT_GT(light, 20);
}

TEST_F(ListBoxTest, RegisteredClassTakesDoubleTaps) {
    RegisterListBoxClass();
    EXPECT_EQ(GetWindowClassStyle(WC_LISTBOX) & CS_DBLCLKS, CS_DBLCLKS);
    std::unique_ptr<Window> made = CreateWindowOfClass(WC_LISTBOX, &parent, kBox, 7, u"",
                                                       WS_CHILD | WS_VISIBLE | LBS_SORT);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(screen.manager.SendMessage(made.get(), LB_ADDSTRING, 0, Text(u"b")), 0);
    EXPECT_EQ(screen.manager.SendMessage(made.get(), LB_ADDSTRING, 0, Text(u"A")), 0);
}

TEST_F(ListBoxTest, Screenshot) {
    Make(0, LBS_NOTIFY | LBS_SORT);
    for (const char16_t* name : {u"Vacation", u"Family", u"Work", u"Unfiled", u"Pets", u"Garden",
                                 u"Birthday party with a very long name"})
        box.AddString(name);
    box.SetCurSel(box.FindStringExact(-1, u"pets"));
    SetFocus(&box);
    screen.manager.PumpMessages();
    EXPECT_EQ(box.GetText(box.GetCurSel()), u"Pets");
    if (const char* keep = std::getenv("KV_KEEP_SCREENSHOTS"))
        WritePng(std::string(keep) + "/listbox.png", screen.manager.Screen());
}

}  // namespace
