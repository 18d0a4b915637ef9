#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "platform/controls/ButtonControl.h"
#include "platform/controls/EditControl.h"
#include "platform/fonts/Font.h"
#include "platform/controls/StaticControl.h"
#include "platform/fonts/SystemFont.h"
#include "tests/platform/GdiTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr Rect kFull{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;

uint32_t Pixel(COLORREF colour) { return PixelFromColour(colour); }

// A parent window that logs what its controls tell it.
class ControlsTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow parent{&log};

    void SetUp() override {
        ASSERT_NE(GetUiFont(UiFont::Normal), nullptr) << "font files missing";
        parent.SetBackgroundColour(RGB(255, 255, 255));
        ASSERT_TRUE(parent.Create(nullptr, kFull, 0, u"parent", WS_VISIBLE));
        parent.ignored = {WM_PAINT, WM_ERASEBKGND, WM_DRAWITEM};
    }
    void Pump() { screen.manager.PumpMessages(); }
    // Runs the loop until the queued input is used up.
    void Run() { screen.Run(); }
    uint32_t At(int32_t x, int32_t y) { return screen.manager.Screen().Value(x, y); }
    // Notifications (WM_COMMAND high words) sent by `control`.
    std::vector<uint16_t> Notes(HWND control) const {
        std::vector<uint16_t> out;
        for (const Seen& s : log)
            if (s.message == WM_COMMAND && s.lParam == LPARAM(control))
                out.push_back(HIWORD(s.wParam));
        return out;
    }
    // Ink (pixels other than `background`) inside a screen rectangle.
    int Ink(const Rect& r, uint32_t background = WHITE_PIXEL) {
        int n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                n += At(x, y) != background;
        return n;
    }
    // Leftmost and rightmost inked columns inside a screen rectangle.
    std::pair<int32_t, int32_t> InkSpan(const Rect& r) {
        int32_t lo = r.right;
        int32_t hi = -1;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                if (At(x, y) != WHITE_PIXEL) {
                    lo = std::min(lo, x);
                    hi = std::max(hi, x);
                }
        return {lo, hi};
    }
};

// ---- static ----------------------------------------------------------------

TEST_F(ControlsTest, StaticAlignsTextAsItsStyleSays) {
    struct Case {
        uint32_t style;
        int32_t minLeft, maxLeft, minRight, maxRight;
    };
    const int32_t width = GetUiFont(UiFont::Normal)->MeasureWidth(u"Size:");
    const Case cases[] = {
        {SS_LEFT, 10, 12, 10 + width - 4, 10 + width},
        {SS_RIGHT, 210 - width, 210 - width + 4, 206, 210},
        {SS_CENTER, 110 - width / 2 - 2, 110 - width / 2 + 3, 110 + width / 2 - 4, 110 + width / 2 + 2},
    };
    for (const Case& c : cases) {
        StaticControl label;
        ASSERT_TRUE(label.Create(&parent, {10, 10, 210, 30}, 5, u"Size:", kChild | c.style));
        Pump();
        const auto [left, right] = InkSpan({10, 10, 210, 30});
        EXPECT_GE(left, c.minLeft) << c.style;
        EXPECT_LE(left, c.maxLeft) << c.style;
        EXPECT_GE(right, c.minRight) << c.style;
        EXPECT_LE(right, c.maxRight) << c.style;
        label.Destroy();
        Pump();
    }
}

TEST_F(ControlsTest, StaticWrapsWordsAndRepaintsOnNewText) {
    StaticControl label;
    ASSERT_TRUE(label.Create(&parent, {0, 0, 80, 60}, 5, u"", kChild));
    Pump();
    EXPECT_EQ(Ink({0, 0, 80, 60}), 0);
    label.SetWindowText(u"Categorize all images currently displayed");
    EXPECT_FALSE(screen.manager.GetUpdateRect(&label).IsEmpty());
    Pump();
    EXPECT_GT(Ink({0, 0, 80, UI_FONT_HEIGHT}), 0);
    EXPECT_GT(Ink({0, UI_FONT_HEIGHT, 80, 2 * UI_FONT_HEIGHT}), 0) << "no second line";
    EXPECT_EQ(label.GetWindowText(), u"Categorize all images currently displayed");
}

TEST_F(ControlsTest, IconStaticDrawsItsBitmapAndHiddenStaticKeepsItsRect) {
    StaticControl icon;
    ASSERT_TRUE(icon.Create(&parent, {20, 30, 60, 70}, 5, u"", kChild | SS_ICON));
    auto bitmap = Bitmap::Create(4, 3, 32);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            bitmap->SetValue(x, y, 0x00FF0000);
    icon.SetIcon(std::move(bitmap));
    Pump();
    EXPECT_EQ(At(20, 30), 0x00FF0000u);
    EXPECT_EQ(At(23, 32), 0x00FF0000u);
    EXPECT_EQ(At(24, 32), WHITE_PIXEL);

    StaticControl area;
    ASSERT_TRUE(area.Create(&parent, {5, 100, 105, 180}, 1028, u"", WS_CHILD));
    EXPECT_FALSE(area.IsWindowVisible());
    EXPECT_EQ(area.GetWindowRect(), (Rect{5, 100, 105, 180}));
}

// ---- buttons ---------------------------------------------------------------

TEST_F(ControlsTest, TapsClickOnlyWhenReleasedInsideAnEnabledButton) {
    struct Case {
        const char* what;
        uint32_t style;
        bool enabled;
        Point down, up;
        int clicks;
    };
    // The button sits at (20,20)-(100,44) on the screen.
    const Case cases[] = {
        {"tap", BS_PUSHBUTTON, true, {50, 30}, {50, 30}, 1},
        {"default button", BS_DEFPUSHBUTTON, true, {21, 21}, {99, 43}, 1},
        {"slide off", BS_PUSHBUTTON, true, {50, 30}, {150, 30}, 0},
        {"disabled", BS_PUSHBUTTON, false, {50, 30}, {50, 30}, 0},
        {"group box", BS_GROUPBOX, true, {50, 30}, {50, 30}, 0},
        {"check box", BS_CHECKBOX, true, {50, 30}, {50, 30}, 1},
        {"owner-drawn", BS_OWNERDRAW, true, {50, 30}, {50, 30}, 1},
    };
    for (const Case& c : cases) {
        log.clear();
        ButtonControl button;
        ASSERT_TRUE(button.Create(&parent, {20, 20, 100, 44}, 7, u"Note...", kChild | c.style));
        button.EnableWindow(c.enabled);
        screen.backend.Down(c.down);
        screen.backend.Move(c.up);
        screen.backend.Up(c.up);
        Run();
        const auto clicks = Only(log, {WM_COMMAND});
        ASSERT_EQ(int(clicks.size()), c.clicks) << c.what;
        if (c.clicks) {
            EXPECT_EQ(clicks[0], (Seen{&parent, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED),
                                       LPARAM(HWND(&button))}))
                << c.what;
        }
        EXPECT_EQ(screen.manager.GetCapture(), nullptr) << c.what;
    }
}

TEST_F(ControlsTest, PushButtonLooksPressedOnlyWhileTheStylusIsOnIt) {
    ButtonControl button;
    ASSERT_TRUE(button.Create(&parent, {20, 20, 100, 44}, 7, u"OK", kChild | BS_PUSHBUTTON));
    Pump();
    const uint32_t face = At(25, 25);
    EXPECT_EQ(face, Pixel(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(At(20, 30), Pixel(GetSysColor(COLOR_WINDOWFRAME)));

    screen.backend.Down({50, 30});
    Run();
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(At(25, 25), Pixel(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_TRUE(SendMessage(&button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    screen.backend.Move({150, 30});  // still held, but off the button
    Run();
    EXPECT_EQ(At(25, 25), face);
    screen.backend.Move({50, 30});
    screen.backend.Up({50, 30});
    Run();
    EXPECT_EQ(At(25, 25), face);
    EXPECT_EQ(Notes(&button), (std::vector<uint16_t>{BN_CLICKED}));
}

TEST_F(ControlsTest, DisabledButtonIsGreyAndIgnoresClickMessages) {
    ButtonControl enabled, disabled;
    ASSERT_TRUE(enabled.Create(&parent, {0, 0, 100, 24}, 1, u"Rename...", kChild));
    ASSERT_TRUE(disabled.Create(&parent, {0, 30, 100, 54}, 2, u"Rename...", kChild));
    disabled.EnableWindow(false);
    Pump();
    const uint32_t text = Pixel(GetSysColor(COLOR_BTNTEXT));
    const uint32_t grey = Pixel(GetSysColor(COLOR_GRAYTEXT));
    auto count = [&](int32_t top, uint32_t value) {
        int n = 0;
        for (int32_t y = top + 3; y < top + 21; ++y)
            for (int32_t x = 3; x < 97; ++x)
                n += At(x, y) == value;
        return n;
    };
    EXPECT_GT(count(0, text), 0);
    EXPECT_EQ(count(30, text), 0);
    EXPECT_GT(count(30, grey), 0);
    SendMessage(&disabled, BM_CLICK, 0, 0);
    SendMessage(&enabled, BM_CLICK, 0, 0);
    EXPECT_TRUE(Notes(&disabled).empty());
    EXPECT_EQ(Notes(&enabled), (std::vector<uint16_t>{BN_CLICKED}));
}

TEST_F(ControlsTest, CheckBoxesKeepTheirStateAndOnlyTheAutomaticKindToggles) {
    ButtonControl automatic, manual, push;
    ASSERT_TRUE(automatic.Create(&parent, {0, 0, 200, 20}, 1008, u"Ascending Sort",
                                 kChild | BS_AUTOCHECKBOX));
    ASSERT_TRUE(manual.Create(&parent, {0, 30, 200, 50}, 1009, u"Manual", kChild | BS_CHECKBOX));
    ASSERT_TRUE(push.Create(&parent, {0, 60, 200, 80}, 1010, u"Push", kChild | BS_PUSHBUTTON));
    Pump();
    // The check mark's middle, inside the box (rows centred in 20 px).
    const Point mark{5, 3 + 8};
    EXPECT_EQ(At(mark.x, mark.y), WHITE_PIXEL);

    screen.backend.Tap({50, 10});
    screen.backend.Tap({50, 40});
    Run();
    EXPECT_EQ(SendMessage(&automatic, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
    EXPECT_EQ(SendMessage(&manual, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
    EXPECT_EQ(Notes(&manual), (std::vector<uint16_t>{BN_CLICKED}));
    EXPECT_EQ(At(mark.x, mark.y), BLACK_PIXEL);

    screen.backend.Tap({50, 10});
    Run();
    EXPECT_EQ(automatic.GetCheck(), int(BST_UNCHECKED));
    EXPECT_EQ(At(mark.x, mark.y), WHITE_PIXEL);

    SendMessage(&manual, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(&push, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(manual.GetCheck(), int(BST_CHECKED));
    EXPECT_EQ(SendMessage(&push, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
}

TEST_F(ControlsTest, GroupBoxDrawsAFrameWithItsTitle) {
    ButtonControl group;
    ASSERT_TRUE(group.Create(&parent, {10, 10, 210, 110}, -1, u"List View Columns",
                             kChild | BS_GROUPBOX));
    Pump();
    const uint32_t frame = Pixel(GetSysColor(COLOR_BTNSHADOW));
    const int32_t line = 10 + UI_FONT_HEIGHT / 2;
    EXPECT_EQ(At(10, 60), frame);                   // left side
    EXPECT_EQ(At(209, 60), frame);                  // right side
    EXPECT_EQ(At(100, 109), frame);                 // bottom
    EXPECT_EQ(At(205, line), frame);                // top, right of the title
    EXPECT_EQ(At(12, line), frame);                 // top, left of the title
    EXPECT_GT(Ink({17, 10, 120, 10 + UI_FONT_HEIGHT}, frame), 0);  // the title
    EXPECT_EQ(Ink({12, 30, 208, 108}), 0);          // inside is left empty
}

TEST_F(ControlsTest, OwnerDrawnButtonAsksItsParentToDrawEachState) {
    std::vector<DRAWITEMSTRUCT> requests;
    parent.handler = [&](UINT m, WPARAM, LPARAM l, LRESULT& r) {
        if (m != WM_DRAWITEM)
            return false;
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        requests.push_back(*item);
        item->hDC->FillSolidRect(item->rcItem, RGB(0, 128, 0));
        r = 1;
        return true;
    };
    ButtonControl button;
    ASSERT_TRUE(button.Create(&parent, {30, 40, 53, 61}, 2002, u"", kChild | BS_OWNERDRAW));
    Pump();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].CtlType, ODT_BUTTON);
    EXPECT_EQ(requests[0].CtlID, 2002u);
    EXPECT_EQ(requests[0].hwndItem, &button);
    EXPECT_EQ(requests[0].rcItem, (Rect{0, 0, 23, 21}));
    EXPECT_EQ(requests[0].itemAction, ODA_DRAWENTIRE);
    EXPECT_EQ(requests[0].itemState & ODS_SELECTED, 0u);
    EXPECT_EQ(At(30, 40), 0x00008000u);  // drawn through the handed context

    screen.backend.Down({40, 50});
    Run();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests.back().itemState & ODS_SELECTED, ODS_SELECTED);
    screen.backend.Up({40, 50});
    Run();
    EXPECT_EQ(requests.back().itemState & ODS_SELECTED, 0u);
    EXPECT_EQ(Notes(&button), (std::vector<uint16_t>{BN_CLICKED}));
}

TEST_F(ControlsTest, EnterOrSpaceOnTheFocusedButtonClicksIt) {
    ButtonControl button, check;
    ASSERT_TRUE(button.Create(&parent, {0, 0, 80, 24}, 1, u"OK", kChild));
    ASSERT_TRUE(check.Create(&parent, {0, 30, 200, 50}, 2, u"Private", kChild | BS_AUTOCHECKBOX));
    SetFocus(&button);
    screen.backend.Key(VK_RETURN);
    screen.backend.Key(VK_SPACE);
    Run();
    EXPECT_EQ(Notes(&button), (std::vector<uint16_t>{BN_CLICKED, BN_CLICKED}));
    SetFocus(&check);
    screen.backend.Key(VK_SPACE);
    Run();
    EXPECT_EQ(check.GetCheck(), int(BST_CHECKED));
}

// ---- edit ------------------------------------------------------------------

class EditTest : public ControlsTest {
protected:
    EditControl edit;
    std::u16string Text() const { return edit.GetWindowText(); }
    std::pair<uint32_t, uint32_t> Sel() {
        uint32_t start = 99, end = 99;
        SendMessage(&edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                    reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    void Make(uint32_t style, const Rect& rect = {10, 10, 210, 30}) {
        ASSERT_TRUE(edit.Create(&parent, rect, 1030, u"", kChild | style));
        SetFocus(&edit);
        Pump();
        log.clear();
    }
};

TEST_F(EditTest, LimitRefusesTheCharacterTooManyButNotSetTextOrPaste) {
    Make(ES_LEFT);
    SendMessage(&edit, EM_LIMITTEXT, 20, 0);
    EXPECT_EQ(SendMessage(&edit, EM_GETLIMITTEXT, 0, 0), 20);
    screen.backend.Type(u"abcdefghijklmnopqrstu");  // 21 characters
    Run();
    EXPECT_EQ(Text(), u"abcdefghijklmnopqrst");
    const auto notes = Notes(&edit);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), EN_CHANGE), 20);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), EN_MAXTEXT), 1);

    // Replacing a selection stays within the limit, so it is accepted.
    SendMessage(&edit, EM_SETSEL, 0, 2);
    screen.backend.Type(u"Z");
    Run();
    EXPECT_EQ(Text(), u"Zcdefghijklmnopqrst");

    edit.SetWindowText(u"0123456789012345678901234");
    EXPECT_EQ(Text().size(), 25u);
    SendMessage(&edit, EM_SETSEL, 25, 25);
    edit.ReplaceSel(u"+paste");
    EXPECT_EQ(Text(), u"0123456789012345678901234+paste");
}

TEST_F(EditTest, SingleLineScrollsSidewaysToKeepTheCaretInView) {
    Make(ES_LEFT, {10, 10, 70, 30});
    screen.backend.Type(std::u16string(30, u'w'));
    Run();
    const Point end = edit.GetCaretPosition();
    EXPECT_GE(end.x, 3);
    EXPECT_LT(end.x, 60 - 3);
    EXPECT_EQ(At(10 + end.x, 10 + end.y + 5), BLACK_PIXEL);
    screen.backend.Key(VK_HOME);
    Run();
    EXPECT_EQ(edit.GetCaretPosition().x, 3);
}

TEST_F(EditTest, PasswordEditShowsStarsButKeepsTheText) {
    Make(ES_PASSWORD);
    EditControl plain, stars;
    ASSERT_TRUE(plain.Create(&parent, {10, 40, 210, 60}, 1, u"abc", kChild));
    ASSERT_TRUE(stars.Create(&parent, {10, 70, 210, 90}, 2, u"***", kChild));
    edit.SetWindowText(u"abc");
    SetFocus(nullptr);  // no caret in the comparison
    Pump();
    int sameAsStars = 0, sameAsPlain = 0, total = 0;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 200; ++x) {
            const uint32_t shown = At(10 + x, 10 + y);
            sameAsStars += shown == At(10 + x, 70 + y);
            sameAsPlain += shown == At(10 + x, 40 + y);
            ++total;
        }
    EXPECT_EQ(sameAsStars, total);
    EXPECT_LT(sameAsPlain, total);
    std::u16string buffer(10, u'\0');
    SendMessage(&edit, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    EXPECT_EQ(std::u16string(buffer.c_str()), u"abc");
}

TEST_F(EditTest, MultiLineWrapsBetweenWordsAndEnterStartsALineWithCrLf) {
    Make(ES_MULTILINE, {0, 0, 90, 100});
    const std::u16string words = u"the quick brown fox jumps over the lazy dog";
    edit.SetWindowText(words);
    ASSERT_GE(edit.GetLineCount(), 3u);
    std::u16string joined;
    const Font& font = *GetUiFont(UiFont::Normal);
    for (size_t i = 0; i < edit.GetLineCount(); ++i) {
        const std::u16string line = edit.GetLineText(i);
        joined += line;
        if (i + 1 < edit.GetLineCount()) {
            EXPECT_EQ(line.back(), u' ') << "line " << i << " breaks inside a word";
        }
        const std::u16string ink = line.substr(0, line.find_last_not_of(u' ') + 1);
        EXPECT_LE(font.MeasureWidth(ink), 90 - 6) << "line " << i;
    }
    EXPECT_EQ(joined, words);
    // End stays on a wrapped line instead of jumping to the next one.
    screen.backend.Key(VK_END);
    Run();
    EXPECT_EQ(edit.LineFromChar(Sel().first), 0u);
    EXPECT_GT(Sel().first, 0u);

    // A word wider than the line is broken between characters.
    edit.SetWindowText(std::u16string(40, u'w'));
    EXPECT_GE(edit.GetLineCount(), 2u);

    edit.SetWindowText(u"");
    screen.backend.Type(u"ab");
    screen.backend.Key(VK_RETURN);
    screen.backend.Type(u"cd");
    Run();
    EXPECT_EQ(Text(), u"ab\r\ncd");
    EXPECT_EQ(edit.GetLineCount(), 2u);
    EXPECT_EQ(edit.GetLineText(1), u"cd");
    EXPECT_EQ(edit.LineFromChar(6), 1u);
}

TEST_F(EditTest, SingleLineIgnoresEnter) {
    Make(ES_LEFT);
    screen.backend.Type(u"ab");
    screen.backend.Key(VK_RETURN);
    screen.backend.Type(u"cd");
    Run();
    EXPECT_EQ(Text(), u"abcd");
}

TEST_F(EditTest, TypingReplacesTheSelection) {
    Make(ES_LEFT);
    edit.SetWindowText(u"hello world");
    SendMessage(&edit, EM_SETSEL, 0, 5);
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{0, 5}));
    screen.backend.Type(u"J");
    Run();
    EXPECT_EQ(Text(), u"J world");
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{1, 1}));
    SendMessage(&edit, EM_SETSEL, 0, -1);  // everything
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{0, 7}));
    screen.backend.Key(VK_BACK);
    Run();
    EXPECT_EQ(Text(), u"");
}

TEST_F(EditTest, KeysMoveTheCaretAndEditAroundIt) {
    Make(ES_MULTILINE, {0, 0, 200, 100});
    struct Step {
        std::vector<UINT> keys;
        uint32_t caret;
        std::u16string text;
    };
    // Text "abc" CR LF "abcd": the caret steps over the line break as one,
    // and Up/Down keep the column.
    const std::u16string start = u"abc\r\nabcd";
    const Step steps[] = {
        {{VK_END}, 3, start},
        {{VK_RIGHT}, 5, start},
        {{VK_END}, 9, start},
        {{VK_LEFT, VK_LEFT}, 7, start},
        {{VK_UP}, 2, start},
        {{VK_DOWN}, 7, start},
        {{VK_HOME}, 5, start},
        {{VK_LEFT}, 3, start},
        {{VK_RIGHT}, 5, start},
        {{VK_BACK}, 3, u"abcabcd"},
        {{VK_HOME, VK_DELETE}, 0, u"bcabcd"},
        {{VK_END, VK_DELETE}, 6, u"bcabcd"},
        {{VK_LEFT, VK_LEFT, VK_LEFT}, 3, u"bcabcd"},
    };
    edit.SetWindowText(start);
    for (const Step& s : steps) {
        for (UINT key : s.keys)
            screen.backend.Key(key);
        Run();
        EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{s.caret, s.caret})) << s.keys[0];
        EXPECT_EQ(Text(), s.text) << s.keys[0];
    }
    screen.backend.Key(VK_RIGHT, {VK_SHIFT});
    screen.backend.Key(VK_RIGHT, {VK_SHIFT});
    Run();
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{3, 5}));
}

TEST_F(EditTest, TapPlacesTheCaretAndMovesTheFocus) {
    Make(ES_LEFT);
    EditControl other;
    ASSERT_TRUE(other.Create(&parent, {10, 40, 210, 60}, 1031, u"", kChild));
    edit.SetWindowText(u"abcdef");
    SetFocus(&other);
    log.clear();
    screen.backend.Tap({200, 20});  // right of the text
    Run();
    EXPECT_EQ(GetFocus(), &edit);
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{6, 6}));
    EXPECT_EQ(Notes(&other), (std::vector<uint16_t>{EN_KILLFOCUS}));
    EXPECT_EQ(Notes(&edit), (std::vector<uint16_t>{EN_SETFOCUS}));
    screen.backend.Tap({11, 20});  // left of the first character
    Run();
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{0, 0}));
    // The caret is drawn where it stands.
    const Point caret = edit.ClientToScreen(edit.GetCaretPosition());
    EXPECT_EQ(At(caret.x, caret.y + 5), BLACK_PIXEL);
    SetFocus(nullptr);
    Pump();
    EXPECT_EQ(At(caret.x, caret.y + 5), WHITE_PIXEL);
}

TEST_F(EditTest, MultiLineScrollsToKeepTheCaretInView) {
    Make(ES_MULTILINE, {0, 0, 200, 4 + 3 * UI_FONT_HEIGHT});
    ASSERT_EQ(edit.GetVisibleLineCount(), 3u);
    for (int i = 0; i < 5; ++i) {
        screen.backend.Type(u"line");
        screen.backend.Key(VK_RETURN);
    }
    Run();
    EXPECT_EQ(edit.GetLineCount(), 6u);
    EXPECT_EQ(edit.GetFirstVisibleLine(), 3u);
    SendMessage(&edit, EM_SETSEL, 0, 0);
    EXPECT_EQ(edit.GetFirstVisibleLine(), 3u) << "selecting alone does not scroll";
    SendMessage(&edit, EM_SCROLLCARET, 0, 0);
    EXPECT_EQ(edit.GetFirstVisibleLine(), 0u);
    screen.backend.Key(VK_END, {VK_CONTROL});
    Run();
    EXPECT_EQ(edit.GetFirstVisibleLine(), 3u);
}

TEST_F(EditTest, MoveWindowRewrapsAndRepaints) {
    Make(ES_MULTILINE, {0, 0, 200, 100});
    edit.SetWindowText(u"one two three four five six seven");
    Pump();
    const size_t wide = edit.GetLineCount();
    edit.MoveWindow({0, 0, 70, 100});
    EXPECT_GT(edit.GetLineCount(), wide);
    EXPECT_FALSE(screen.manager.GetUpdateRect(&edit).IsEmpty());
    edit.MoveWindow({0, 0, 70, 50}, false);  // the height only
    EXPECT_FALSE(screen.manager.GetUpdateRect(&edit).IsEmpty());
}

}  // namespace
