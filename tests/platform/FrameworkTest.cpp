#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/Application.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/Document.h"
#include "platform/framework/FrameWindow.h"
#include "platform/shell/Menu.h"
#include "platform/framework/View.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr UINT CMD_SHARED = 100;
constexpr UINT CMD_FRAME_ONLY = 101;
constexpr UINT CMD_APP_ONLY = 102;
constexpr UINT CMD_NOBODY = 103;
constexpr UINT CMD_RANGE_FIRST = 200;
constexpr UINT CMD_RANGE_LAST = 210;

// Each level of the route writes its name when it takes a command.
std::vector<std::string>* g_taken = nullptr;

class TestView : public View {
public:
    TestView() {
        OnCommand(CMD_SHARED, [] { g_taken->push_back("view"); });
        OnCommandRange(CMD_RANGE_FIRST, CMD_RANGE_LAST,
                       [](UINT id) { g_taken->push_back("view " + std::to_string(id)); });
        OnUpdateCommand(CMD_RANGE_FIRST, [](CommandUi& ui) {
            ui.Enable(false);
            ui.SetText(u"Not now");
        });
    }
    int initialUpdates = 0;
    void OnInitialUpdate() override { ++initialUpdates; }
};

class TestDocument : public Document {
public:
    TestDocument() { OnCommand(CMD_SHARED, [] { g_taken->push_back("document"); }); }
};

class TestFrame : public FrameWindow {
public:
    explicit TestFrame(bool failCreate = false) : m_failCreate(failCreate) {
        OnCommand(CMD_SHARED, [] { g_taken->push_back("frame"); });
        OnCommand(CMD_FRAME_ONLY, [] { g_taken->push_back("frame"); });
        OnUpdateCommand(CMD_FRAME_ONLY, [](CommandUi& ui) { ui.SetCheck(1); });
    }
    bool LoadFrame(UINT) override { return Create({0, 26, 240, 294}, u"Test"); }

protected:
    int OnCreate() override { return m_failCreate ? -1 : 0; }

private:
    bool m_failCreate;
};

class TestApp : public Application {
public:
    TestApp() { OnCommand(CMD_APP_ONLY, [] { g_taken->push_back("application"); }); }
};

struct FrameworkTest : ::testing::Test {
    std::vector<std::string> taken;
    HeadlessScreen screen;
    TestApp app;
    void SetUp() override { g_taken = &taken; }
    void TearDown() override { g_taken = nullptr; }

    bool Open(bool withDocumentHandler = true, bool failFrame = false) {
        app.AddDocTemplate(std::make_unique<DocTemplate>(
            128,
            [withDocumentHandler]() -> std::unique_ptr<Document> {
                if (withDocumentHandler)
                    return std::make_unique<TestDocument>();
                return std::make_unique<Document>();
            },
            [failFrame] { return std::make_unique<TestFrame>(failFrame); },
            [] { return std::make_unique<TestView>(); }));
        return app.OnFileNew();
    }
    FrameWindow& Frame() { return *app.m_pMainWnd; }
};

TEST_F(FrameworkTest, CommandsTravelViewDocumentFrameApplication) {
    ASSERT_TRUE(Open());
    SendMessage(&Frame(), WM_COMMAND, CMD_SHARED, 0);
    SendMessage(&Frame(), WM_COMMAND, CMD_FRAME_ONLY, 0);
    SendMessage(&Frame(), WM_COMMAND, CMD_APP_ONLY, 0);
    SendMessage(&Frame(), WM_COMMAND, 205, 0);
    EXPECT_FALSE(Frame().OnCmdMsg(CMD_NOBODY, CN_COMMAND, nullptr));
    EXPECT_EQ(taken, (std::vector<std::string>{"view", "frame", "application", "view 205"}));
}

TEST_F(FrameworkTest, DocumentComesBeforeFrame) {
    ASSERT_TRUE(Open());
    // Take the view's handler out of the way by asking the document directly
    // through a frame whose view does not know the command.
    auto* view = static_cast<TestView*>(Frame().GetActiveView());
    ASSERT_NE(view, nullptr);
    Frame().GetDocument()->OnCmdMsg(CMD_SHARED, CN_COMMAND, nullptr);
    EXPECT_EQ(taken, std::vector<std::string>{"document"});
    EXPECT_EQ(view->initialUpdates, 1);
}

TEST_F(FrameworkTest, UpdateStatesAlongTheRoute) {
    ASSERT_TRUE(Open());
    const CommandUi ranged = Frame().QueryCommand(CMD_RANGE_FIRST);
    EXPECT_FALSE(ranged.IsEnabled());
    EXPECT_EQ(ranged.GetText().value_or(u""), u"Not now");
    // A handler without an update handler is enabled.
    EXPECT_TRUE(Frame().QueryCommand(CMD_RANGE_FIRST + 1).IsEnabled());
    EXPECT_TRUE(Frame().QueryCommand(CMD_RANGE_FIRST + 1).Touched());
    EXPECT_EQ(Frame().QueryCommand(CMD_FRAME_ONLY).GetCheck(), 1);
    EXPECT_FALSE(Frame().QueryCommand(CMD_NOBODY).Touched());
}

TEST_F(FrameworkTest, OpeningMenuAppliesStatesAndGreysUnhandledCommands) {
    ASSERT_TRUE(Open());
    Menu menu;
    menu.AppendItem(MF_STRING | MF_GRAYED, CMD_SHARED, u"Shared");
    menu.AppendItem(MF_STRING, CMD_RANGE_FIRST, u"First");
    menu.AppendItem(MF_SEPARATOR, 0, u"");
    menu.AppendItem(MF_STRING, CMD_FRAME_ONLY, u"Frame");
    menu.AppendItem(MF_STRING, CMD_NOBODY, u"Nobody");
    SendMessage(&Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(&menu), 0);
    EXPECT_EQ(menu.GetMenuState(CMD_SHARED, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_NE(menu.GetMenuState(CMD_RANGE_FIRST, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(menu.GetItemText(CMD_RANGE_FIRST, MF_BYCOMMAND), u"Not now");
    EXPECT_NE(menu.GetMenuState(CMD_FRAME_ONLY, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_NE(menu.GetMenuState(CMD_NOBODY, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(FrameworkTest, AcceleratorsBecomeCommandsOnlyWithTheirModifiers) {
    ASSERT_TRUE(Open());
    Frame().ActivateFrame();
    Frame().SetAccelerators({{'R', true, false, CMD_APP_ONLY}});
    screen.backend.Key('R');
    screen.backend.Key('R', {VK_CONTROL});
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(taken, std::vector<std::string>{"application"});
}

TEST_F(FrameworkTest, ActivatingTheFrameGivesItsViewTheFocus) {
    ASSERT_TRUE(Open());
    WindowManager& manager = screen.manager;
    View* view = Frame().GetActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    Frame().ActivateFrame();
    EXPECT_EQ(manager.GetActiveWindow(), &Frame());
    EXPECT_EQ(manager.GetFocus(), view);
    // Hidden, the view hands the focus back to the frame, which keeps it.
    view->ShowWindow(false);
    EXPECT_EQ(manager.GetFocus(), &Frame());
}

TEST_F(FrameworkTest, ExitClosesTheFrameAndEndsTheLoop) {
    ASSERT_TRUE(Open());
    PostMessage(&Frame(), WM_COMMAND, ID_APP_EXIT, 0);
    MSG msg;
    EXPECT_EQ(app.Run(), 0);
    EXPECT_FALSE(Frame().IsAlive());
    EXPECT_FALSE(screen.manager.PeekMessage(msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(FrameworkTest, FailedFrameCreationFailsTheNewDocument) {
    EXPECT_FALSE(Open(true, true));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(screen.manager.TopLevelWindows().empty());
}

TEST_F(FrameworkTest, ViewFillsTheFrameClientAndFollowsItsSize) {
    ASSERT_TRUE(Open());
    View* view = Frame().GetActiveView();
    EXPECT_EQ(view->GetRect(), (Rect{0, 0, 240, 268}));
    Frame().MoveWindow({0, 0, 240, 320});
    EXPECT_EQ(view->GetRect(), (Rect{0, 0, 240, 320}));
}

}  // namespace
