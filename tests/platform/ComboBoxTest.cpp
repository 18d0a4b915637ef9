#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/DropListWindow.h"
#include "platform/png/PngWriter.h"
#include "platform/window/WindowClass.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr Rect kFull{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
constexpr int kId = 1000;
constexpr int32_t kRow = 17;  // row height of the dropped list
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr uintptr_t kProbeTimer = 9;
const std::vector<std::u16string> kColumns{u"Location", u"Name", u"Category", u"Size",
                                           u"Dimensions", u"Date", u"Note"};

uint32_t Pixel(int colourIndex) { return PixelFromColour(GetSysColor(colourIndex)); }
Point Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// The middle of row `row` of a dropped list at `list` (screen coordinates).
Point RowPoint(const Rect& list, int row) {
    return {list.left + 30, list.top + 1 + kRow * row + 8};
}

class ComboBoxTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    ComboBoxControl combo;
    // Runs while the list is dropped (from a timer armed at CBN_DROPDOWN).
    std::function<void()> whileDropped;

    void SetUp() override {
        parent.SetBackgroundColour(kGreen);
        parent.handler = [&](UINT m, WPARAM w, LPARAM, LRESULT&) {
            if (m == WM_COMMAND && HIWORD(w) == CBN_DROPDOWN && whileDropped)
                screen.manager.SetTimer(&parent, kProbeTimer, 0);
            if (m == WM_TIMER && w == kProbeTimer) {
                screen.manager.KillTimer(&parent, kProbeTimer);
                whileDropped();
            }
            return false;
        };
        ASSERT_TRUE(parent.Create(nullptr, kFull, 0, u"parent", WS_VISIBLE));
    }
    // A dialog-template height (list included) is cut to the box.
    void Make(int32_t top, const std::vector<std::u16string>& items, uint32_t style = 0) {
        ASSERT_TRUE(combo.Create(&parent, {20, top, 140, top + 100}, kId, u"",
                                 WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | style));
        for (const std::u16string& item : items)
            combo.AddString(item);
        screen.manager.PumpMessages();
        log.clear();
    }
    std::vector<uint16_t> Notifications() {
        std::vector<uint16_t> codes;
        for (const Seen& s : Only(log, {WM_COMMAND})) {
            EXPECT_EQ(LOWORD(s.wParam), kId);
            EXPECT_EQ(s.lParam, LPARAM(HWND(&combo)));
            codes.push_back(HIWORD(s.wParam));
        }
        log.clear();
        return codes;
    }
    uint32_t At(Point p) { return screen.manager.Screen().Value(p.x, p.y); }
};

TEST_F(ComboBoxTest, TapDropsTheListAndATapOnARowSelectsIt) {
    Make(40, kColumns);
    EXPECT_EQ(combo.GetRect(), (Rect{20, 40, 140, 40 + ComboBoxControl::BOX_HEIGHT}));
    const Rect list = combo.GetDroppedControlRect();
    EXPECT_EQ(list, (Rect{20, 59, 140, 59 + 7 * kRow + 2}));

    screen.backend.Tap(Centre(combo.GetWindowRect()));
    screen.backend.Tap(RowPoint(list, 2));
    screen.Run();
    EXPECT_EQ(Notifications(), (std::vector<uint16_t>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.GetLBText(2), u"Category");
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(screen.manager.TopLevelWindows().size(), 1u);
    EXPECT_EQ(screen.manager.GetFocus(), &combo);
    EXPECT_EQ(screen.manager.GetCapture(), nullptr);
    // What the list covered is the parent's again.
    screen.manager.PumpMessages();
    EXPECT_EQ(At(RowPoint(list, 2)), PixelFromColour(kGreen));
    EXPECT_EQ(At({list.left, list.bottom - 1}), PixelFromColour(kGreen));
}

TEST_F(ComboBoxTest, ClosingWaysAndWhatTheyNotify) {
    Make(40, kColumns);
    const Point box = Centre(combo.GetWindowRect());
    const Rect list = combo.GetDroppedControlRect();
    struct Case {
        const char* what;
        std::function<void()> script;
        int selection;
        std::vector<uint16_t> codes;
        bool closesItself = true;
    };
    HeadlessBackend& in = screen.backend;
    const Case cases[] = {
        {"tap outside", [&] { in.Tap(box); in.Tap({200, 300}); }, 1, {CBN_DROPDOWN, CBN_CLOSEUP}},
        {"tap on the box again", [&] { in.Tap(box); in.Wait(1000); in.Tap(box); }, 1,
         {CBN_DROPDOWN, CBN_CLOSEUP}},
        {"tap on the selected row", [&] { in.Tap(box); in.Tap(RowPoint(list, 1)); }, 1,
         {CBN_DROPDOWN, CBN_CLOSEUP}},
        {"drag from the box to a row",
         [&] { in.Down(box); in.Move(RowPoint(list, 4)); in.Up(RowPoint(list, 4)); }, 4,
         {CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}},
        {"Down drops, Down moves, Enter chooses",
         [&] { in.Key(VK_DOWN); in.Key(VK_DOWN); in.Key(VK_RETURN); }, 2,
         {CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}},
        {"Enter drops, Escape dismisses",
         [&] { in.Key(VK_RETURN); in.Key(VK_DOWN); in.Key(VK_ESCAPE); }, 1,
         {CBN_DROPDOWN, CBN_CLOSEUP}},
        {"input ends while dropped", [&] { in.Tap(box); }, 1, {CBN_DROPDOWN, CBN_CLOSEUP}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        combo.SetCurSel(1);
        SetFocus(&combo);
        log.clear();
        c.script();
        // Had the list stayed open, this tap would choose row 5.
        if (c.closesItself) {
            in.Wait(1000);
            in.Tap(RowPoint(list, 5));
        }
        screen.Run();
        EXPECT_EQ(combo.GetCurSel(), c.selection);
        EXPECT_EQ(Notifications(), c.codes);
        EXPECT_FALSE(combo.GetDroppedState());
        EXPECT_EQ(screen.manager.TopLevelWindows().size(), 1u);
    }
}

TEST_F(ComboBoxTest, DroppedListShowsTheSelectionAndClosesOnRequest) {
    Make(40, kColumns);
    combo.SetCurSel(1);
    SetFocus(&combo);
    screen.manager.PumpMessages();
    // Focused and closed, the box shows its text highlighted.
    const Point field{24, 49};
    EXPECT_EQ(At(field), Pixel(COLOR_HIGHLIGHT));
    const Rect list = combo.GetDroppedControlRect();
    bool probed = false;
    whileDropped = [&] {
        probed = true;
        EXPECT_EQ(screen.manager.SendMessage(&combo, CB_GETDROPPEDSTATE, 0, 0), 1);
        ASSERT_EQ(screen.manager.TopLevelWindows().size(), 2u);
        EXPECT_EQ(screen.manager.TopLevelWindows().back()->GetRect(), list);
        EXPECT_EQ(At({list.left, list.top + 5}), Pixel(COLOR_WINDOWFRAME));
        EXPECT_EQ(At({list.left + 2, RowPoint(list, 0).y}), Pixel(COLOR_WINDOW));
        EXPECT_EQ(At({list.left + 2, RowPoint(list, 1).y}), Pixel(COLOR_HIGHLIGHT));
        EXPECT_EQ(At(field), Pixel(COLOR_WINDOW));  // no highlight in the box while dropped
        if (const char* keep = std::getenv("KV_KEEP_SCREENSHOTS"))
            WritePng(std::string(keep) + "/combo-dropped.png", screen.manager.Screen());
        screen.manager.SendMessage(&combo, CB_SHOWDROPDOWN, 0, 0);
    };
    // Had the list stayed open, this tap would choose row 5.
    screen.backend.Wait(10);
    screen.backend.Tap(RowPoint(list, 5));
    screen.manager.SendMessage(&combo, CB_SHOWDROPDOWN, 1, 0);
    EXPECT_TRUE(probed);
    screen.Run();
    EXPECT_EQ(Notifications(), (std::vector<uint16_t>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_EQ(combo.GetCurSel(), 1);
    screen.manager.PumpMessages();
    EXPECT_EQ(At(field), Pixel(COLOR_HIGHLIGHT));
    EXPECT_EQ(At(RowPoint(list, 1)), PixelFromColour(kGreen));
}

TEST_F(ComboBoxTest, NearTheBottomTheListDropsUp) {
    Make(290, kColumns, CBS_SORT);
    const Rect list = combo.GetDroppedControlRect();
    EXPECT_EQ(list, (Rect{20, 290 - (7 * kRow + 2), 140, 290}));
    screen.backend.Tap(Centre(combo.GetWindowRect()));
    screen.backend.Tap(RowPoint(list, 6));
    screen.Run();
    EXPECT_EQ(combo.GetLBText(combo.GetCurSel()), u"Size");  // the last in sorted order
    EXPECT_EQ(Notifications(), (std::vector<uint16_t>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}));
}

TEST(DropListWindowTest, PlacedBelowOrAboveWithAtMostEightRows) {
    struct Case {
        Rect anchor;
        int items;
        Rect expected;
    };
    const int32_t eight = 8 * kRow + 2;
    const Case cases[] = {
        {{0, 100, 100, 119}, 3, {0, 119, 100, 119 + 3 * kRow + 2}},
        {{0, 100, 100, 119}, 30, {0, 119, 100, 119 + eight}},     // at most eight rows
        {{0, 100, 100, 119}, 0, {0, 119, 100, 119 + kRow + 2}},   // an empty list has one
        {{0, 182, 100, 201}, 30, {0, 182 - eight, 100, 182}},     // 119 below: up
        {{0, 300 - eight, 100, 320 - eight}, 30, {0, 320 - eight, 100, 320}},  // just fits below
        // Neither side has room for eight rows: the larger side with fewer rows.
        {{0, 130, 100, 210}, 30, {0, 130 - (7 * kRow + 2), 100, 130}},
        {{0, 110, 100, 190}, 30, {0, 190, 100, 190 + 7 * kRow + 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anchor.top);
        EXPECT_EQ(DropListWindow::PlaceFor(c.anchor, c.items), c.expected);
    }
}

TEST_F(ComboBoxTest, LongListsScrollInsideTheDroppedList) {
    std::vector<std::u16string> items;
    for (int i = 0; i < 12; ++i)
        items.push_back(u"Duration " + std::u16string(1, char16_t(u'a' + i)));
    Make(40, items);
    const Rect list = combo.GetDroppedControlRect();
    ASSERT_EQ(list.Height(), 8 * kRow + 2);
    const Point downArrow{list.right - 7, list.bottom - 7};
    HeadlessBackend& in = screen.backend;
    // Two steps down with the list's own scroll bar, then a row.
    in.Tap(Centre(combo.GetWindowRect()));
    in.Tap(downArrow);
    in.Wait(1000);
    in.Tap(downArrow);
    in.Tap(RowPoint(list, 0));
    screen.Run();
    EXPECT_EQ(combo.GetCurSel(), 2);
    // A selection below the first rows is scrolled into view when dropped.
    combo.SetCurSel(11);
    in.Tap(Centre(combo.GetWindowRect()));
    in.Tap(RowPoint(list, 0));
    screen.Run();
    EXPECT_EQ(combo.GetCurSel(), 4);
}

TEST_F(ComboBoxTest, RegisteredClassCutsTheHeight) {
    RegisterComboBoxClass();
    std::unique_ptr<Window> made = CreateWindowOfClass(
        WC_COMBOBOX, &parent, {10, 10, 100, 200}, 5, u"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRect(), (Rect{10, 10, 100, 10 + ComboBoxControl::BOX_HEIGHT}));
    EXPECT_EQ(screen.manager.SendMessage(made.get(), CB_ADDSTRING, 0,
                                         reinterpret_cast<LPARAM>(u"x")), 0);
}

}  // namespace
