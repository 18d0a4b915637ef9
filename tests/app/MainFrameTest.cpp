#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/ImageItem.h"

#include "handheld/RegistryKey.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "browser/KestrelviewHHView.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MenuBar.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/window/ModalResponder.h"
#include "platform/framework/SingleInstance.h"
#include "platform/shell/TaskBar.h"
#include "platform/controls/ToolBar.h"
#include "tests/app/AppTestSupport.h"
#include "viewer/SinglePhotoView.h"

namespace {

struct MainFrameTest : ::testing::Test {
    StartedProgram program;
    void SetUp() override { ASSERT_TRUE(program.Start()); }
    CMainFrame& Frame() { return program.Frame(); }
    CKestrelviewHHView& View() { return *dynamic_cast<CKestrelviewHHView*>(Frame().GetActiveView()); }
    std::u16string ShownPath() { return View().ShownRecord() ? View().ShownRecord()->GetPath() : u""; }
    Point ButtonCentre(UINT command) {
        const Rect r = Frame().GetToolBar()->ButtonRect(command);
        return Frame().GetToolBar()->ClientToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // The Tools menu as it is shown, answered by `choose`.
    ShownMenu OpenTools(UINT choose = 0) {
        ModalResponder responder;
        responder.onMenu = [choose](const ShownMenu&) { return choose; };
        Frame().GetMenuBar()->OpenMenu();
        return responder.menus.empty() ? ShownMenu{} : responder.menus.back();
    }
    static const ShownMenuItem* Item(const ShownMenu& menu, UINT id) {
        for (const ShownMenuItem& item : menu.items)
            if (item.id == id)
                return &item;
        return nullptr;
    }
};

TEST_F(MainFrameTest, FrameSitsBetweenTheBars) {
    EXPECT_EQ(Frame().GetWindowRect(), (Rect{0, 26, 240, 294}));
    EXPECT_EQ(Frame().GetWindowText(), u"Kestrelview");
    EXPECT_EQ(Frame().GetActiveView()->GetRect(), (Rect{0, 0, 240, 268}));
    EXPECT_EQ(Frame().GetMenuBar()->GetWindowRect(), (Rect{0, 294, 240, 320}));
    EXPECT_TRUE(Frame().GetMenuBar()->IsWindowVisible());
    EXPECT_FALSE(Frame().GetMenuBar()->IsPanelButtonShown());
    EXPECT_EQ(program.shell.GetTaskBar().ShownTitle(), u"Kestrelview");
    const auto& tips = Frame().ToolTips();
    EXPECT_EQ(tips[0], u"");
    EXPECT_EQ(tips[1], u"New");
    EXPECT_EQ(tips[8], u"View Preferences");
}

TEST_F(MainFrameTest, FullScreenCoversTheBarsAndAsksOnlyOnce) {
    EXPECT_EQ(Frame().SetFullScreen(true, false), 1);
    EXPECT_EQ(Frame().GetWindowRect(), (Rect{0, 0, 240, 320}));
    EXPECT_FALSE(program.shell.IsTaskBarVisible());
    EXPECT_FALSE(Frame().GetMenuBar()->IsVisibleFlag());
    EXPECT_EQ(Frame().SetFullScreen(true, false), 0);
    EXPECT_EQ(Frame().SetFullScreen(true, true), 1);
    EXPECT_EQ(Frame().SetFullScreen(false, false), 1);
    EXPECT_EQ(Frame().GetWindowRect(), (Rect{0, 26, 240, 294}));
    EXPECT_TRUE(program.shell.IsTaskBarVisible());
    EXPECT_TRUE(Frame().GetMenuBar()->IsVisibleFlag());
    EXPECT_EQ(Frame().SetFullScreen(false, false), 0);
}

TEST_F(MainFrameTest, EnteringFullScreenLowersTheInputPanel) {
    SipShowIM(true);
    Frame().SetFullScreen(true, false);
    EXPECT_FALSE(program.shell.IsInputPanelOn());
    Frame().SetFullScreen(false, false);
}

TEST_F(MainFrameTest, ScopeUndoesOnlyWhatItDidUnlessKept) {
    {
        CFullScreenScope scope(true);
        EXPECT_TRUE(scope.Changed());
        EXPECT_TRUE(Frame().IsFullScreen());
        {
            CFullScreenScope nested(true);
            EXPECT_FALSE(nested.Changed());
        }
        EXPECT_TRUE(Frame().IsFullScreen());
    }
    EXPECT_FALSE(Frame().IsFullScreen());
    {
        CFullScreenScope kept(true);
        kept.Keep();
    }
    EXPECT_TRUE(Frame().IsFullScreen());
    Frame().SetFullScreen(false, false);
}

TEST_F(MainFrameTest, ToolbarModesLeaveExactlyOneButtonPressed) {
    const struct {
        UINT command;
        uint32_t mode;
    } cases[] = {{ID_MODE_GALLERY, VIEW_GALLERY},
                 {ID_MODE_DETAIL, VIEW_DETAIL},
                 {ID_MODE_THUMBNAIL, VIEW_THUMBNAIL},
                 {ID_MODE_LIST, VIEW_LIST}};
    ToolBar* bar = Frame().GetToolBar();
    ASSERT_NE(bar, nullptr);
    // At start the stored mode (the thumbnail grid when none is stored) is pressed.
    EXPECT_TRUE(bar->IsButtonPressed(ID_MODE_THUMBNAIL));
    for (const auto& c : cases) {
        program.screen.backend.Tap(ButtonCentre(c.command));
        program.Run();
        EXPECT_EQ(View().Mode(), c.mode);
        for (UINT other : {ID_MODE_LIST, ID_MODE_DETAIL, ID_MODE_THUMBNAIL, ID_MODE_GALLERY})
            EXPECT_EQ(bar->IsButtonPressed(other), other == c.command) << c.command << " " << other;
    }
}

TEST_F(MainFrameTest, IdleUpdateDisablesTheSlideShowButton) {
    program.screen.backend.Wait(1);
    program.Run();
    EXPECT_FALSE(Frame().GetToolBar()->IsButtonEnabled(ID_SLIDESHOW));
    EXPECT_TRUE(Frame().GetToolBar()->IsButtonEnabled(ID_VIEW_PREFERENCES));
}

TEST_F(MainFrameTest, ToolsMenuShowsCommandStates) {
    const ShownMenu shown = OpenTools();
    ASSERT_NE(Item(shown, ID_SLIDESHOW), nullptr);
    EXPECT_TRUE(Item(shown, ID_SLIDESHOW)->state & MF_GRAYED);
    EXPECT_FALSE(Item(shown, ID_REFRESH)->state & MF_GRAYED);
    EXPECT_FALSE(Item(shown, ID_APP_ABOUT)->state & MF_GRAYED);
    EXPECT_EQ(Item(shown, ID_TOGGLE_PRIVATE)->text, u"Hide Private Images") << "shown by default";
    EXPECT_EQ(shown.anchor, (Point{0, 294}));

    OpenTools(ID_TOGGLE_PRIVATE);
    EXPECT_FALSE(View().ShowsPrivate());
    EXPECT_EQ(Item(OpenTools(), ID_TOGGLE_PRIVATE)->text, u"Show Private Images");
}

TEST_F(MainFrameTest, EveryMenuCommandIsRouted) {
    ModalResponder responder;
    responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    responder.onDialog = [](Window&) { return IDOK; };
    const ShownMenu shown = OpenTools();
    for (const ShownMenuItem& item : shown.items) {
        if (item.id == 0 || item.id == ID_APP_EXIT || (item.state & MF_GRAYED))
            continue;
        EXPECT_TRUE(Frame().OnCmdMsg(item.id, CN_COMMAND, nullptr)) << item.id;
    }
    EXPECT_EQ(responder.dialogs,
              (std::vector<std::u16string>{u"View Preferences", u"Slide Show Preferences", u"Categorize All",
                                           u"Move All", u"Set Password", u"About Kestrelview"}));
    // Every command has its screen: none says it is not there yet.
    for (const ShownMessageBox& box : responder.boxes)
        EXPECT_EQ(box.text.find(u"not available"), std::u16string::npos) << Utf16ToUtf8(box.text);
}

TEST_F(MainFrameTest, ExitEndsTheMessageLoop) {
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_APP_EXIT; };
    program.screen.backend.Tap(Frame().GetMenuBar()->ClientToScreen({10, 13}));
    program.screen.backend.Tap({120, 150});
    EXPECT_EQ(program.Run(), 0);
    EXPECT_FALSE(Frame().IsAlive());
}

TEST_F(MainFrameTest, CopyDataShowsThePathInTheView) {
    const std::u16string path = u"\\My Documents\\Kestrelview\\a.jpg";
    const COPYDATASTRUCT data = MakeCommandLineCopyData(path);
    EXPECT_EQ(data.cbData, (path.size() + 1) * 2);
    SendMessage(&Frame(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(ShownPath(), path);

    // A record without its terminator, or cut mid-character, is read only
    // as far as it goes.
    const char16_t unterminated[] = {u'b', u'.', u'j', u'p', u'g'};
    const COPYDATASTRUCT shortData{0, 9, unterminated};
    SendMessage(&Frame(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&shortData));
    EXPECT_EQ(ShownPath(), u"b.jp");
}

TEST(SinglePhotoStartTest, APathOnTheCommandLineOpensTheSinglePhotoView) {
    StartedProgram program;
    const std::string photo = FixturePath("jpeg/baseline.jpg");
    ASSERT_TRUE(program.Start(Utf8ToUtf16(photo)));
    auto* view = dynamic_cast<CSinglePhotoView*>(program.Frame().GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->LastError(), 0);
    EXPECT_EQ(view->Path(), Utf8ToUtf16(photo));
    program.screen.manager.UpdateWindow(view);
    const Point centre = view->ClientToScreen({120, 134});
    EXPECT_NE(program.screen.manager.Screen().Value(centre.x, centre.y), 0xFFFFFFu);
}

TEST(SinglePhotoStartTest, AMissingFileIsReported) {
    StartedProgram program;
    ASSERT_TRUE(program.Start(u"\\nothing here.jpg"));
    auto* view = dynamic_cast<CSinglePhotoView*>(program.Frame().GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->LastError(), 2);
}

}  // namespace

namespace {

TEST_F(MainFrameTest, CtrlQEndsTheProgram) {
    program.screen.backend.Key('Q');
    program.screen.backend.Key('Q', {VK_CONTROL});
    program.screen.backend.Tap({120, 150});
    EXPECT_EQ(program.Run(), 0);
    EXPECT_FALSE(Frame().IsAlive());
}

}  // namespace

TEST_F(MainFrameTest, ANewDeviceGetsTheJpegClassesItsAssociationWritesTo) {
    EXPECT_EQ(u"jpegfile", ReadRegistryText(HKEY_CLASSES_ROOT, u".jpg", u"", u""));
    EXPECT_EQ(u"jpegfile", ReadRegistryText(HKEY_CLASSES_ROOT, u".jpeg", u"", u""));
    EXPECT_EQ(u"iexplore.exe file:%1",
              ReadRegistryText(HKEY_CLASSES_ROOT, u"jpegfile\\Shell\\Open\\Command", u"", u""));
}
