#include "platform/controls/ToolBar.h"

#include <gtest/gtest.h>

#include "tests/platform/GdiTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr int32_t IMAGE = 15;
// Each image: a 2-px transparent border around an 11 x 11 square of its colour.
constexpr COLORREF IMAGE_COLOURS[] = {RGB(200, 0, 0), RGB(0, 0, 200), RGB(0, 120, 0)};
constexpr UINT CMD_A = 100, CMD_B = 101, CMD_C = 102;
const Rect BAR_RECT{0, 294, 240, 320};
const Rect TOOLBAR_RECT{40, 2, 216, 26};  // where the menu bar puts it

std::unique_ptr<Bitmap> MakeStrip() {
    auto strip = Bitmap::Create(IMAGE * 3, IMAGE, 32);
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t y = 0; y < IMAGE; ++y)
            for (int32_t x = 0; x < IMAGE; ++x) {
                const bool inside = x >= 2 && x < 13 && y >= 2 && y < 13;
                strip->SetValue(i * IMAGE + x, y,
                                PixelFromColour(inside ? IMAGE_COLOURS[i] : TOOLBAR_KEY_COLOUR));
            }
    return strip;
}

class ToolBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create(nullptr, {0, 26, 240, 294}, 0, u"frame", WS_VISIBLE));
        ASSERT_TRUE(bar.Create(nullptr, BAR_RECT, 0, u"", WS_VISIBLE));
        ASSERT_TRUE(toolBar.Create(&bar, TOOLBAR_RECT, 0, u"", WS_CHILD | WS_VISIBLE));
        ASSERT_TRUE(toolBar.AddButtons(MakeStrip(), IMAGE, IMAGE,
                                       {{CMD_A, 0}, {CMD_B, 1}, {0, 0}, {CMD_C, 2}}));
        toolBar.SetToolTips({u"List View", u"Detail View", u"Thumbnail View"});
        toolBar.SetOwner(&owner);
        screen.manager.PumpMessages();
    }

    // Screen point of a point in a button.
    Point At(UINT command, int32_t dx = 10, int32_t dy = 10) const {
        const Rect r = toolBar.ButtonRect(command);
        return toolBar.ClientToScreen({r.left + dx, r.top + dy});
    }
    // Screen pixel at a point of a button, as 0x00RRGGBB.
    uint32_t Pixel(UINT command, int32_t dx, int32_t dy) {
        const Point p = At(command, dx, dy);
        return screen.manager.Screen().Value(p.x, p.y);
    }
    std::vector<Seen> Commands() const { return Only(log, {WM_COMMAND}); }

    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow owner{&log};
    Window bar;
    ToolBar toolBar;
};

TEST_F(ToolBarTest, ButtonsAreLaidOutLeftToRightCentredInTheBar) {
    // The tool bar is 24 high, so 22-high buttons start at y 1.
    EXPECT_EQ(toolBar.ButtonRect(CMD_A), (Rect{0, 1, 23, 23}));
    EXPECT_EQ(toolBar.ButtonRect(CMD_B), (Rect{23, 1, 46, 23}));
    EXPECT_EQ(toolBar.ButtonRect(CMD_C), (Rect{52, 1, 75, 23}));  // after a 6-px separator
    EXPECT_TRUE(toolBar.ButtonRect(0).IsEmpty());
    EXPECT_TRUE(toolBar.ButtonRect(999).IsEmpty());
    EXPECT_FALSE(toolBar.PressButton(999, true));
    EXPECT_FALSE(toolBar.EnableButton(999, false));
}

TEST_F(ToolBarTest, AddButtonsRefusesImagesOutsideTheStrip) {
    ToolBar other;
    ASSERT_TRUE(other.Create(&bar, TOOLBAR_RECT, 0, u"", WS_CHILD));
    EXPECT_FALSE(other.AddButtons(MakeStrip(), IMAGE, IMAGE, {{CMD_A, 3}}));
    EXPECT_FALSE(other.AddButtons(nullptr, IMAGE, IMAGE, {{CMD_A, 0}}));
    EXPECT_FALSE(other.AddButtons(MakeStrip(), 0, IMAGE, {{CMD_A, 0}}));
    EXPECT_TRUE(other.AddButtons(MakeStrip(), IMAGE, IMAGE, {{CMD_A, 2}, {0, 99}}));
}

TEST_F(ToolBarTest, TapsOnEnabledButtonsSendTheirCommandToTheOwner) {
    toolBar.EnableButton(CMD_C, false);
    struct Case {
        const char* what;
        std::vector<std::pair<InputKind, Point>> steps;
        std::vector<UINT> commands;
    };
    const Rect sep{46, 1, 52, 23};
    const Case cases[] = {
        {"tap", {{InputKind::StylusDown, At(CMD_A)}, {InputKind::StylusUp, At(CMD_A)}}, {CMD_A}},
        {"tap on the separator",
         {{InputKind::StylusDown, toolBar.ClientToScreen({sep.left + 3, 10})},
          {InputKind::StylusUp, toolBar.ClientToScreen({sep.left + 3, 10})}},
         {}},
        {"tap on a disabled button",
         {{InputKind::StylusDown, At(CMD_C)}, {InputKind::StylusUp, At(CMD_C)}},
         {}},
        {"down on one, up on another",
         {{InputKind::StylusDown, At(CMD_A)}, {InputKind::StylusMove, At(CMD_B)},
          {InputKind::StylusUp, At(CMD_B)}},
         {}},
        {"slid off and back",
         {{InputKind::StylusDown, At(CMD_B)}, {InputKind::StylusMove, At(CMD_A)},
          {InputKind::StylusMove, At(CMD_B)}, {InputKind::StylusUp, At(CMD_B)}},
         {CMD_B}},
    };
    for (const Case& c : cases) {
        log.clear();
        for (const auto& [kind, point] : c.steps) screen.backend.Queue({kind, point, 0, 0});
        screen.Run();
        std::vector<UINT> got;
        for (const Seen& s : Commands()) {
            got.push_back(LOWORD(s.wParam));
            EXPECT_EQ(s.hwnd, &owner);
            EXPECT_EQ(s.lParam, LPARAM(HWND(&toolBar)));
        }
        EXPECT_EQ(got, c.commands) << c.what;
        EXPECT_EQ(GetCapture(), nullptr) << c.what;
    }
}

TEST_F(ToolBarTest, WithoutAnOwnerTheParentGetsTheCommand) {
    std::vector<Seen> barLog;
    LoggingWindow parent(&barLog);
    ASSERT_TRUE(parent.Create(nullptr, BAR_RECT, 0, u"", WS_VISIBLE));
    ToolBar own;
    ASSERT_TRUE(own.Create(&parent, TOOLBAR_RECT, 0, u"", WS_CHILD | WS_VISIBLE));
    ASSERT_TRUE(own.AddButtons(MakeStrip(), IMAGE, IMAGE, {{CMD_B, 1}}));
    screen.backend.Tap(own.ClientToScreen({10, 10}));
    screen.Run();
    const auto commands = Only(barLog, {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0].wParam), CMD_B);
    EXPECT_TRUE(Commands().empty());
}

// The image sits at (4, 3) in its button; its coloured square at +2..+12.
TEST_F(ToolBarTest, PressedAndDisabledButtonsLookSo) {
    const uint32_t face = PixelFromColour(TOOLBAR_FACE);
    const uint32_t red = PixelFromColour(IMAGE_COLOURS[0]);
    const uint32_t blue = PixelFromColour(IMAGE_COLOURS[1]);
    const uint32_t green = PixelFromColour(IMAGE_COLOURS[2]);

    EXPECT_EQ(Pixel(CMD_A, 0, 0), face) << "a plain button is flat";
    EXPECT_EQ(Pixel(CMD_A, 4 + 1, 3 + 1), face) << "key pixels show the face";
    EXPECT_EQ(Pixel(CMD_A, 4 + 2, 3 + 2), red);
    EXPECT_EQ(Pixel(CMD_A, 4 + 12, 3 + 12), red);

    ASSERT_TRUE(toolBar.PressButton(CMD_B, true));
    ASSERT_TRUE(toolBar.EnableButton(CMD_C, false));
    screen.manager.PumpMessages();
    EXPECT_TRUE(toolBar.IsButtonPressed(CMD_B));
    EXPECT_FALSE(toolBar.IsButtonPressed(CMD_A));
    EXPECT_FALSE(toolBar.IsButtonEnabled(CMD_C));
    EXPECT_TRUE(toolBar.IsButtonEnabled(CMD_B));

    // Pressed: a dark frame top and left, light bottom and right, a darker
    // face, and the image one pixel down and right.
    EXPECT_EQ(Pixel(CMD_B, 0, 0), PixelFromColour(TOOLBAR_DARK_SHADOW));
    EXPECT_EQ(Pixel(CMD_B, 1, 1), PixelFromColour(TOOLBAR_SHADOW));
    EXPECT_EQ(Pixel(CMD_B, 22, 21), PixelFromColour(TOOLBAR_HIGHLIGHT));
    EXPECT_EQ(Pixel(CMD_B, 4 + 2, 3 + 2), PixelFromColour(TOOLBAR_PRESSED_FACE));
    EXPECT_EQ(Pixel(CMD_B, 4 + 3, 3 + 3), blue);
    EXPECT_EQ(Pixel(CMD_B, 4 + 13, 3 + 13), blue);

    // Disabled: the square in shadow grey with a white edge below and to
    // the right, no trace of its colour.
    EXPECT_EQ(Pixel(CMD_C, 4 + 2, 3 + 2), PixelFromColour(TOOLBAR_SHADOW));
    EXPECT_EQ(Pixel(CMD_C, 4 + 12, 3 + 12), PixelFromColour(TOOLBAR_SHADOW));
    EXPECT_EQ(Pixel(CMD_C, 4 + 13, 3 + 13), PixelFromColour(TOOLBAR_HIGHLIGHT));
    EXPECT_EQ(Pixel(CMD_C, 4 + 1, 3 + 1), face);
    for (int32_t y = 0; y < 22; ++y)
        for (int32_t x = 0; x < 23; ++x) ASSERT_NE(Pixel(CMD_C, x, y), green) << x << "," << y;

    // Back to normal.
    toolBar.PressButton(CMD_B, false);
    toolBar.EnableButton(CMD_C, true);
    screen.manager.PumpMessages();
    EXPECT_EQ(Pixel(CMD_B, 0, 0), face);
    EXPECT_EQ(Pixel(CMD_B, 4 + 2, 3 + 2), blue);
    EXPECT_EQ(Pixel(CMD_C, 4 + 2, 3 + 2), green);
}

TEST_F(ToolBarTest, ButtonLooksPressedWhileTheStylusIsOnIt) {
    screen.backend.Down(At(CMD_A));
    screen.Run();
    EXPECT_EQ(Pixel(CMD_A, 0, 0), PixelFromColour(TOOLBAR_DARK_SHADOW));
    screen.backend.Move(At(CMD_B));
    screen.Run();
    EXPECT_EQ(Pixel(CMD_A, 0, 0), PixelFromColour(TOOLBAR_FACE)) << "slid off";
    screen.backend.Up(At(CMD_B));
    screen.Run();
    EXPECT_TRUE(Commands().empty());
}

TEST_F(ToolBarTest, HoldingAButtonShowsItsToolTipAboveTheBarAndDoesNotClick) {
    struct Case {
        UINT command;
        const char16_t* tip;
    };
    // The separator takes no text: the third text belongs to the third button.
    for (const Case& c : {Case{CMD_A, u"List View"}, Case{CMD_C, u"Thumbnail View"}}) {
        log.clear();
        screen.backend.Down(At(c.command));
        screen.backend.Wait(HOLD_TIME_MS);
        screen.Run();
        ASSERT_TRUE(toolBar.ShownToolTip().has_value());
        EXPECT_EQ(*toolBar.ShownToolTip(), c.tip);
        const Rect bubble = toolBar.Bubble().GetWindowRect();
        EXPECT_EQ(bubble.bottom, BAR_RECT.top - 2);
        EXPECT_EQ(bubble.left, toolBar.ClientToScreen({toolBar.ButtonRect(c.command).left, 0}).x);
        const Bitmap& shot = screen.manager.Screen();
        EXPECT_EQ(shot.Value(bubble.left, bubble.top), PixelFromColour(TOOLTIP_FRAME));
        EXPECT_EQ(shot.Value(bubble.left + 2, bubble.top + 1), PixelFromColour(TOOLTIP_BACKGROUND));

        screen.backend.Up(At(c.command));
        screen.Run();
        EXPECT_FALSE(toolBar.ShownToolTip().has_value());
        EXPECT_TRUE(Commands().empty()) << "the lift after a hold is no tap";
    }
    // A short press is still a tap.
    screen.backend.Down(At(CMD_A));
    screen.backend.Wait(HOLD_TIME_MS / 2);
    screen.backend.Up(At(CMD_A));
    screen.Run();
    EXPECT_FALSE(toolBar.ShownToolTip().has_value());
    EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(ToolBarTest, BubbleStaysOnTheScreenNearItsRightEdge) {
    ToolBar wide;
    ASSERT_TRUE(wide.Create(&bar, {200, 2, 240, 26}, 0, u"", WS_CHILD | WS_VISIBLE));
    ASSERT_TRUE(wide.AddButtons(MakeStrip(), IMAGE, IMAGE, {{CMD_A, 0}}));
    wide.SetToolTips({u"Slide show preferences"});
    screen.backend.Down(wide.ClientToScreen({10, 10}));
    screen.backend.Wait(HOLD_TIME_MS);
    screen.Run();
    ASSERT_TRUE(wide.ShownToolTip().has_value());
    EXPECT_EQ(wide.Bubble().GetWindowRect().right, SCREEN_WIDTH);
    EXPECT_LT(wide.Bubble().GetWindowRect().left, 200);
    screen.backend.Up(wide.ClientToScreen({10, 10}));
    screen.Run();
}

}  // namespace
