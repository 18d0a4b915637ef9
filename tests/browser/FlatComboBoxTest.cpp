#include <gtest/gtest.h>

#include "browser/FlatComboBox.h"
#include "platform/window/ModalResponder.h"
#include "platform/png/PngWriter.h"
#include "platform/shell/PopupMenuWindow.h"
#include "platform/window/WindowClass.h"
#include "tests/platform/ModalTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr COLORREF kBar = RGB(192, 192, 192);
constexpr uint32_t kBarPixel = PixelFromColour(kBar);
constexpr uint32_t kInk = 0x000000;
constexpr UINT kAll = 32926, kCard = 5001;

// The shape of a selector's popup: the items live in the first submenu.
std::unique_ptr<Menu> LocationMenu() {
    auto items = std::make_unique<Menu>();
    items->AppendItem(MF_STRING, kAll, u"All");
    items->AppendItem(MF_STRING, kCard, u"Storage Card");
    auto menu = std::make_unique<Menu>();
    menu->AppendSubMenu(std::move(items), u"Location");
    return menu;
}

class FlatComboBoxTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow view{&log};
    IdleSteps idle;
    std::unique_ptr<Window> window;
    CFlatComboBox* combo = nullptr;

    void SetUp() override {
        ASSERT_TRUE(CFlatComboBox::RegisterClass());
        EXPECT_EQ(GetWindowClassStyle(u"flatcombobox"), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
        ASSERT_TRUE(view.Create(nullptr, {0, 26, 240, 294}, 0, u"view", WS_VISIBLE));
        view.SetBackgroundColour(RGB(255, 255, 255));
        view.ignored = {WM_PAINT, WM_ERASEBKGND};
        // The parent answers a choice with the new text, as the browser view does.
        view.handler = [this](UINT m, WPARAM w, LPARAM, LRESULT&) {
            if (m == WM_COMMAND && LOWORD(w) == kCard) combo->SetText(u"Storage Card");
            return false;
        };
        window = CreateWindowOfClass(FLAT_COMBO_BOX_CLASS, &view, {3, 2, 115, 18}, 1007, u"",
                                     WS_CHILD | WS_VISIBLE);
        combo = dynamic_cast<CFlatComboBox*>(window.get());
        ASSERT_NE(combo, nullptr);
        combo->SetBackgroundColour(kBar);
        combo->SetPromptText(u"Select Location");
        combo->SetText(u"All");
        combo->SetMenu(LocationMenu());
        screen.manager.PumpMessages();
        log.clear();
    }
    int32_t TextEnd() const { return combo->GetContentStart() + 2 + combo->GetTextWidth(); }
    Point OnText() const { return combo->ClientToScreen({combo->GetContentStart() + 4, 8}); }
    Point OnTriangle() const { return combo->ClientToScreen({TextEnd() + 6, 8}); }
    uint32_t At(int32_t clientX, int32_t clientY) {
        const Point p = combo->ClientToScreen({clientX, clientY});
        return screen.manager.Screen().Value(p.x, p.y);
    }
    // The pressed frame: its top and bottom rows and both sides in ink.
    bool FrameShown() {
        const int32_t x0 = combo->GetContentStart(), right = TextEnd() + 14 - 1;
        const int32_t bottom = combo->GetClientRect().Height() - 2;
        for (int32_t x = x0; x <= right; ++x)
            if (At(x, 0) != kInk || At(x, bottom) != kInk) return false;
        for (int32_t y = 0; y <= bottom; ++y)
            if (At(x0, y) != kInk || At(right, y) != kInk) return false;
        return true;
    }
    std::vector<Seen> Commands() const { return Only(log, {WM_COMMAND}); }
};

struct OpenState {
    bool open = false;
    bool pressed = true;
    bool frame = true;
    std::u16string shown;
};

TEST_F(FlatComboBoxTest, TapOnTheTriangleOpensAtOnceBelowWithThePrompt) {
    ModalResponder responder;
    OpenState state;
    responder.onMenu = [&](const ShownMenu&) {
        state = {combo->IsMenuOpen(), combo->IsPressed(), FrameShown(), combo->GetDisplayedText()};
        return kCard;
    };
    screen.backend.Tap(OnTriangle());
    screen.Run();
    ASSERT_EQ(responder.menus.size(), 1u);
    const ShownMenu& shown = responder.menus[0];
    EXPECT_EQ(shown.anchor, (Point{3, 26 + 18}));  // client left + x0, client bottom
    EXPECT_EQ(shown.owner, &view);
    EXPECT_EQ(shown.flags, TPM_LEFTALIGN);
    ASSERT_EQ(shown.items.size(), 2u);
    EXPECT_EQ(shown.items[1].id, kCard);
    EXPECT_TRUE(state.open);
    EXPECT_FALSE(state.pressed);
    EXPECT_FALSE(state.frame);
    EXPECT_EQ(state.shown, u"Select Location");
    // The command went to the parent, whose new text shows once closed.
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].wParam, kCard);
    EXPECT_FALSE(combo->IsMenuOpen());
    EXPECT_EQ(combo->GetDisplayedText(), u"Storage Card");
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FlatComboBoxTest, TapOnTheTextShowsTheFrameAndOpensOnRelease) {
    ModalResponder responder;
    OpenState state;
    responder.onMenu = [&](const ShownMenu&) {
        state = {combo->IsMenuOpen(), combo->IsPressed(), FrameShown(), combo->GetDisplayedText()};
        return 0u;
    };
    bool frameWhileDown = false, pressedWhileDown = false;
    size_t menusWhileDown = 99;
    screen.backend.Down(OnText());
    idle.Then([&] {
        frameWhileDown = FrameShown();
        pressedWhileDown = combo->IsPressed();
        menusWhileDown = responder.menus.size();
        screen.backend.Up(OnText());
    });
    screen.Run();
    EXPECT_TRUE(frameWhileDown);
    EXPECT_TRUE(pressedWhileDown);
    EXPECT_EQ(menusWhileDown, 0u);
    EXPECT_EQ(responder.menus.size(), 1u);
    EXPECT_TRUE(state.open);
    EXPECT_FALSE(state.pressed);
    EXPECT_FALSE(state.frame);
    EXPECT_TRUE(Commands().empty());  // dismissed
    EXPECT_EQ(combo->GetDisplayedText(), u"All");
}

TEST_F(FlatComboBoxTest, ReleaseOffTheTextOpensNothing) {
    const Point outside{200, 150};
    for (bool toTriangle : {true, false}) {
        ModalResponder responder;
        responder.onMenu = [](const ShownMenu&) { return kCard; };
        const Point off = toTriangle ? OnTriangle() : outside;
        screen.backend.Down(OnText());
        screen.backend.Move(off);
        screen.backend.Up(off);
        screen.Run();
        EXPECT_TRUE(responder.menus.empty());
        EXPECT_FALSE(combo->IsPressed());
        EXPECT_FALSE(FrameShown());
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_TRUE(Commands().empty());
    }
}

TEST_F(FlatComboBoxTest, TextsSetWhileOpenShowAtTheRightTime) {
    ModalResponder responder;
    std::u16string afterSetText, afterSetPrompt;
    responder.onMenu = [&](const ShownMenu&) {
        combo->SetText(u"Internal");
        afterSetText = combo->GetDisplayedText();
        combo->SetPromptText(u"Pick");
        afterSetPrompt = combo->GetDisplayedText();
        return 0u;
    };
    screen.backend.Tap(OnTriangle());
    screen.Run();
    EXPECT_EQ(afterSetText, u"Select Location");
    EXPECT_EQ(afterSetPrompt, u"Pick");
    EXPECT_EQ(combo->GetDisplayedText(), u"Internal");
    EXPECT_EQ(combo->GetText(), u"Internal");
    // While closed, both take effect as they come.
    combo->SetPromptText(u"Select Location");
    EXPECT_EQ(combo->GetDisplayedText(), u"Internal");
    combo->SetText(u"All");
    EXPECT_EQ(combo->GetDisplayedText(), u"All");
}

TEST_F(FlatComboBoxTest, RightAlignedContentEndsOnePixelBeforeTheEdge) {
    const auto font = Font::Create(16, FW_BOLD);
    ASSERT_NE(font, nullptr);
    combo->SetLeftAligned(false);
    const int32_t width = combo->GetClientRect().Width();
    EXPECT_EQ(combo->GetContentStart(), width - (2 + 0 + font->MeasureWidth(u"All") + 14) - 1);
    ModalResponder responder;
    int32_t promptWidth = 0, promptHeight = 0;
    responder.onMenu = [&](const ShownMenu&) {
        promptWidth = combo->GetTextWidth();
        promptHeight = combo->GetFontHeight();
        return 0u;
    };
    screen.backend.Tap(OnTriangle());
    screen.Run();
    ASSERT_EQ(responder.menus.size(), 1u);
    // Opening shows the prompt first, so the anchor follows the prompt's
    // width; the prompt, too wide at the selector's font, is drawn whole in
    // a smaller one and starts inside the selector.
    const int32_t x0 = width - (2 + promptWidth + 14) - 1;
    EXPECT_EQ(responder.menus[0].anchor, (Point{3 + x0, 26 + 18}));
    EXPECT_GE(x0, 0);
    EXPECT_LT(promptHeight, CFlatComboBox::FONT_HEIGHT);
    EXPECT_EQ(promptWidth, Font::Create(promptHeight, FW_BOLD)->MeasureWidth(u"Select Location")) << "not cut";
}

TEST_F(FlatComboBoxTest, TriangleRowsOfSevenFiveThreeOne) {
    for (bool left : {true, false}) {
        combo->SetLeftAligned(left);
        const int32_t x = TextEnd() + 3, y = combo->GetClientRect().Height() / 2;
        for (int32_t row = 0; row < 4; ++row) {
            for (int32_t dx = -1; dx <= 7; ++dx) {
                const bool ink = dx >= row && dx < 7 - row;
                EXPECT_EQ(At(x + dx, y + row), ink ? kInk : kBarPixel) << row << ' ' << dx;
            }
        }
        EXPECT_EQ(At(x + 3, y - 1), kBarPixel);
        EXPECT_EQ(At(x + 3, y + 4), kBarPixel);
        // The text starts after the left margin, on the background colour.
        EXPECT_EQ(At(combo->GetContentStart(), y), kBarPixel);
    }
}

TEST_F(FlatComboBoxTest, TwoSelectorsOnTheBarWithAMenuOpen) {
    auto second = CreateWindowOfClass(FLAT_COMBO_BOX_CLASS, &view, {120, 2, 245, 18}, 1008, u"",
                                      WS_CHILD | WS_VISIBLE);
    auto* category = dynamic_cast<CFlatComboBox*>(second.get());
    ASSERT_NE(category, nullptr);
    category->SetBackgroundColour(kBar);
    category->SetText(u"Unfiled");
    category->SetLeftAligned(false);
    Rect popup;
    screen.backend.Tap(OnTriangle());
    idle.Then([&] {
        WritePng("/tmp/menus-flatcombo.png", screen.manager.Screen());
        const auto levels = TopLevelOf<PopupMenuWindow>(screen.manager);
        ASSERT_EQ(levels.size(), 1u);
        popup = levels[0]->GetWindowRect();
        screen.backend.Tap(Centre(levels[0]->GetItemScreenRect(1)));
    });
    screen.Run();
    EXPECT_EQ(popup.left, 3);
    EXPECT_EQ(popup.top, 44);
    EXPECT_EQ(combo->GetDisplayedText(), u"Storage Card");
}

}  // namespace
