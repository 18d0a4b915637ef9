#include <gtest/gtest.h>

#include <functional>

#include "platform/window/InputCancel.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

// A busy piece of work asks between steps; what the user did meanwhile
// decides, and the message that cancelled is still there afterwards.
TEST(InputCancelTest, ArrowsAndTapsCancelOtherKeysAreDropped) {
    struct Case {
        const char* what;
        std::function<void(HeadlessBackend&)> input;
        bool cancels;
        UINT leftFirst;  // the first message still waiting, 0 = none
    };
    const Case cases[] = {
        {"nothing", [](HeadlessBackend&) {}, false, 0},
        {"arrow", [](HeadlessBackend& b) { b.Key(VK_DOWN); }, true, WM_KEYDOWN},
        {"Enter", [](HeadlessBackend& b) { b.Key(VK_RETURN); }, false, 0},
        {"tap", [](HeadlessBackend& b) { b.Tap({50, 50}); }, true, WM_LBUTTONDOWN},
        {"Enter then tap", [](HeadlessBackend& b) { b.Key(VK_RETURN); b.Tap({50, 50}); }, true, WM_LBUTTONDOWN},
    };
    for (const Case& c : cases) {
        HeadlessScreen screen;
        std::vector<Seen> log;
        LoggingWindow window{&log};
        ASSERT_TRUE(window.Create(nullptr, {0, 0, 240, 320}, 0, u"busy", WS_VISIBLE));
        screen.manager.SetFocus(&window);
        c.input(screen.backend);
        screen.manager.BeginBusy();
        EXPECT_EQ(InputCancel().ShouldCancel(), c.cancels) << c.what;
        screen.manager.EndBusy();
        MSG msg;
        const bool waiting = screen.manager.PeekMessage(msg, nullptr, WM_KEYFIRST, WM_MOUSELAST, PM_NOREMOVE);
        EXPECT_EQ(waiting ? msg.message : 0u, c.leftFirst) << c.what;
        EXPECT_TRUE(Only(log, {WM_KEYDOWN, WM_KEYUP, WM_LBUTTONDOWN}).empty()) << c.what << ": nothing ran";
    }
}

TEST(InputCancelTest, TheBusyCursorFollowsTheNestedDepth) {
    struct RecordingBackend : HeadlessBackend {
        std::vector<bool> shown;
        void SetBusy(bool busy) override { shown.push_back(busy); }
    } backend;
    WindowManager manager{&backend};
    manager.BeginBusy();
    manager.BeginBusy();
    manager.EndBusy();
    EXPECT_EQ(manager.BusyDepth(), 1);
    manager.EndBusy();
    manager.EndBusy();  // one too many changes nothing
    EXPECT_EQ(manager.BusyDepth(), 0);
    EXPECT_EQ(backend.shown, (std::vector<bool>{true, false}));
}

}  // namespace
