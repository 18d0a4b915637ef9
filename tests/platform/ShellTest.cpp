#include <gtest/gtest.h>

#include "platform/shell/InputPanelWindow.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MenuBar.h"
#include "platform/window/ModalResponder.h"
#include "platform/shell/Shell.h"
#include "platform/shell/TaskBar.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

struct ShellTest : ::testing::Test {
    HeadlessScreen screen;
    Shell shell;
    std::vector<Seen> log;
    LoggingWindow frame{&log};

    void SetUp() override {
        frame.ignored = {WM_PAINT, WM_ERASEBKGND, WM_SHOWWINDOW, WM_CREATE, WM_SIZE};
        ASSERT_TRUE(frame.Create(nullptr, {0, 26, 240, 294}, 0, u"Kestrelview", WS_VISIBLE));
    }
};

TEST_F(ShellTest, InputPanelChangesAreBroadcastAndReported) {
    SIPINFO info;
    ASSERT_TRUE(SipGetInfo(info));
    EXPECT_FALSE(info.fdwFlags & SIPF_ON);
    EXPECT_EQ(info.rcVisibleDesktop, (Rect{0, 26, 240, 294}));
    EXPECT_EQ(info.rcSipRect, (Rect{0, 214, 240, 294}));

    ASSERT_TRUE(SipShowIM(true));
    ASSERT_TRUE(SipGetInfo(info));
    EXPECT_TRUE(info.fdwFlags & SIPF_ON);
    EXPECT_EQ(info.rcVisibleDesktop, (Rect{0, 26, 240, 214}));
    EXPECT_TRUE(shell.GetInputPanel().IsWindowVisible());
    SipShowIM(true);  // no change, no message
    SipShowIM(false);
    const std::vector<Seen> changes = Only(log, {WM_SETTINGCHANGE});
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].wParam, SPI_SETSIPINFO);
    EXPECT_FALSE(shell.GetInputPanel().IsWindowVisible());

    SIPINFO wrongSize;
    wrongSize.cbSize = 12;
    EXPECT_FALSE(SipGetInfo(wrongSize));
}

TEST_F(ShellTest, PanelKeysTypeIntoTheFocusedWindowWithoutTakingFocus) {
    std::vector<Seen> editLog;
    LoggingWindow edit(&editLog);
    ASSERT_TRUE(edit.Create(&frame, {10, 10, 100, 30}, 5, u"", WS_CHILD | WS_VISIBLE));
    SetFocus(&edit);
    SipShowIM(true);
    auto tapKey = [&](char16_t ch, uint32_t vk = 0) {
        for (const auto& key : shell.GetInputPanel().Keys())
            if ((vk && key.vk == vk) || (!vk && key.ch == ch)) {
                const Point p = shell.GetInputPanel().ClientToScreen(
                    {(key.rect.left + key.rect.right) / 2, (key.rect.top + key.rect.bottom) / 2});
                screen.backend.Tap(p);
                return;
            }
        FAIL() << "no key";
    };
    tapKey(0, VK_SHIFT);
    tapKey(u'k');
    tapKey(u'v');
    tapKey(0, VK_BACK);
    screen.Run();
    std::vector<WPARAM> typed;
    for (const Seen& s : Only(editLog, {WM_CHAR}))
        typed.push_back(s.wParam);
    EXPECT_EQ(typed, (std::vector<WPARAM>{u'K', u'v', VK_BACK}));
    EXPECT_EQ(GetFocus(), &edit);
}

TEST_F(ShellTest, FullScreenFlagsHideAndShowTheBars) {
    EXPECT_TRUE(shell.IsTaskBarVisible());
    EXPECT_TRUE(SHFullScreen(&frame, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON));
    EXPECT_FALSE(shell.IsTaskBarVisible());
    EXPECT_FALSE(shell.IsPanelButtonVisible());
    SIPINFO info;
    ASSERT_TRUE(SipGetInfo(info));
    EXPECT_EQ(info.rcVisibleDesktop.top, 0);
    EXPECT_TRUE(SHFullScreen(&frame, SHFS_SHOWTASKBAR));
    EXPECT_TRUE(shell.IsTaskBarVisible());
    EXPECT_FALSE(shell.IsPanelButtonVisible());
    EXPECT_FALSE(SHFullScreen(nullptr, SHFS_SHOWTASKBAR));
}

TEST_F(ShellTest, WaitCursorNestsAndBeepsCount) {
    {
        WaitCursor outer;
        {
            WaitCursor inner;
            EXPECT_EQ(shell.WaitCursorDepth(), 2);
        }
        EXPECT_EQ(shell.WaitCursorDepth(), 1);
    }
    EXPECT_EQ(shell.WaitCursorDepth(), 0);
    shell.EndWaitCursor();  // an extra end does not go below zero
    EXPECT_EQ(shell.WaitCursorDepth(), 0);
    MessageBeep();
    EXPECT_EQ(shell.BeepCount(), 1);
}

TEST_F(ShellTest, TaskBarShowsTheFrontWindowsTitleAndTheClock) {
    shell.GetTaskBar().SetClockSource([] { return std::u16string(u"12:34"); });
    EXPECT_EQ(shell.GetTaskBar().ShownTitle(), u"Kestrelview");
    UpdateWindow(&shell.GetTaskBar());
    // Some title and clock pixels are drawn in the foreground colour.
    auto lit = [&](int32_t x0, int32_t x1) {
        int count = 0;
        for (int32_t y = 0; y < TASK_BAR_HEIGHT; ++y)
            for (int32_t x = x0; x < x1; ++x)
                count += screen.manager.Screen().Value(x, y) != PixelFromColour(TaskBar::BACKGROUND);
        return count;
    };
    EXPECT_GT(lit(0, 100), 20);
    EXPECT_GT(lit(190, 240), 20);
    EXPECT_EQ(lit(120, 180), 0);
}

TEST_F(ShellTest, MenuBarOpensItsMenuUpwardsForTheOwner) {
    MenuBar bar;
    ASSERT_TRUE(bar.Create(&frame, 0));
    auto menu = std::make_unique<Menu>();
    auto tools = std::make_unique<Menu>();
    tools->AppendItem(MF_STRING, 42, u"Answer");
    menu->AppendSubMenu(std::move(tools), u"Tools");
    ASSERT_TRUE(bar.InsertMenuBar(std::move(menu), u"Tools"));
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return UINT(42); };
    const Rect button = bar.MenuButtonRect();
    screen.backend.Tap(bar.ClientToScreen({button.left + 5, 10}));
    screen.Run();
    ASSERT_EQ(responder.menus.size(), 1u);
    EXPECT_EQ(responder.menus[0].anchor, (Point{0, 294}));
    EXPECT_TRUE(responder.menus[0].flags & TPM_BOTTOMALIGN);
    const std::vector<Seen> commands = Only(log, {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0].wParam), 42);
}

TEST_F(ShellTest, PanelButtonTogglesThePanelUnlessHidden) {
    MenuBar bar;
    ASSERT_TRUE(bar.Create(&frame, 0));
    const Rect button = bar.PanelButtonRect();
    const Point centre = bar.ClientToScreen({(button.left + button.right) / 2, 13});
    screen.backend.Tap(centre);
    screen.Run();
    EXPECT_TRUE(shell.IsInputPanelOn());
    screen.backend.Tap(centre);
    screen.Run();
    EXPECT_FALSE(shell.IsInputPanelOn());

    MenuBar hidden;
    ASSERT_TRUE(hidden.Create(&frame, SHCMBF_HIDESIPBUTTON));
    EXPECT_FALSE(hidden.IsPanelButtonShown());
    screen.backend.Tap(centre);
    screen.Run();
    EXPECT_FALSE(shell.IsInputPanelOn());
}

}  // namespace
