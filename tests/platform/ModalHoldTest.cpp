#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/shell/Dialog.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MessageBoxWindow.h"
#include "tests/platform/ModalTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr UINT HELD = WM_APP + 1;
constexpr UINT OTHER = WM_APP + 2;

// A modal screen opened over `owner`, closed by the Escape key that the
// test queues while it is open.
struct ModalCase {
    const char* name;
    std::function<void(HWND owner, IdleSteps& idle, HeadlessScreen& screen)> open;
};

void Escape(HeadlessScreen& screen) { screen.backend.Key(VK_ESCAPE); }

const ModalCase CASES[] = {
    {"message box", [](HWND owner, IdleSteps&, HeadlessScreen&) {
         MessageBoxW(owner, u"Are you sure?", u"Kestrelview", MB_YESNO);
     }},
    {"popup menu", [](HWND owner, IdleSteps&, HeadlessScreen&) {
         Menu menu;
         menu.AppendItem(MF_STRING, 100, u"Delete");
         TrackPopupMenu(menu, TPM_RETURNCMD, 50, 100, owner);
     }},
    {"dialog", [](HWND owner, IdleSteps&, HeadlessScreen&) {
         Dialog dialog(u"Details");
         dialog.DoModal(owner);
     }},
    // The box closes first; the dialog below it still holds the message.
    {"message box over a dialog", [](HWND owner, IdleSteps& idle, HeadlessScreen& screen) {
         Dialog dialog(u"Details");
         idle.Then([&] {
             MessageBoxW(&dialog, u"Are you sure?", u"Kestrelview", MB_OK);
             idle.Then([&] { Escape(screen); });
         });
         dialog.DoModal(owner);
     }},
};

TEST(ModalHoldTest, HeldMessagesWaitInOrderUntilTheLastModalScreenCloses) {
    for (const ModalCase& c : CASES) {
        SCOPED_TRACE(c.name);
        HeadlessScreen screen;
        std::vector<Seen> log;
        LoggingWindow target(&log);
        ASSERT_TRUE(target.Create(nullptr, {0, 26, 240, 294}, 0, u"target", WS_VISIBLE));
        target.handler = [](UINT, WPARAM, LPARAM, LRESULT&) { return false; };
        IdleSteps idle;
        screen.manager.HoldWhileModal(&target, HELD);
        screen.manager.PumpMessages();
        log.clear();

        // One held message waits from before the screen opened, one comes
        // while it is open; another kind of message is not held.
        PostMessage(&target, HELD, 1, 0);
        std::vector<Seen> whileOpen;
        idle.Then([&] {
            PostMessage(&target, HELD, 2, 0);
            PostMessage(&target, OTHER, 3, 0);
            idle.Then([&] {
                EXPECT_GE(screen.manager.ModalDepth(), 1);
                whileOpen = Only(log, {HELD, OTHER});
                Escape(screen);
            });
        });
        c.open(&target, idle, screen);
        const std::vector<Seen> atClose = Only(log, {HELD, OTHER});
        EXPECT_EQ(screen.manager.ModalDepth(), 0);
        screen.manager.PumpMessages();
        const std::vector<Seen> after = Only(log, {HELD, OTHER});

        const Seen other{&target, OTHER, 3, 0};
        EXPECT_EQ(whileOpen, std::vector<Seen>{other});
        EXPECT_EQ(atClose, std::vector<Seen>{other});
        EXPECT_EQ(after, (std::vector<Seen>{other, {&target, HELD, 1, 0}, {&target, HELD, 2, 0}}));
    }
}

TEST(ModalHoldTest, AnotherWindowsMessagesAndAGoneWindowsHoldsAreNotKept) {
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow holder(&log);
    LoggingWindow other(&log);
    ASSERT_TRUE(holder.Create(nullptr, {0, 26, 240, 294}, 0, u"holder", 0));
    ASSERT_TRUE(other.Create(nullptr, {0, 26, 240, 294}, 0, u"other", 0));
    screen.manager.HoldWhileModal(&holder, HELD);
    screen.manager.EnterModal();
    PostMessage(&holder, HELD, 1, 0);
    PostMessage(&other, HELD, 2, 0);
    screen.manager.PumpMessages();
    EXPECT_EQ(Only(log, {HELD}), (std::vector<Seen>{{&other, HELD, 2, 0}}));
    screen.manager.LeaveModal();
    screen.manager.PumpMessages();
    EXPECT_EQ(Only(log, {HELD}), (std::vector<Seen>{{&other, HELD, 2, 0}, {&holder, HELD, 1, 0}}));

    // A destroyed window's holds go with it: whatever window comes next
    // (perhaps under the same handle) holds nothing.
    holder.Destroy();
    log.clear();
    LoggingWindow next(&log);
    ASSERT_TRUE(next.Create(nullptr, {0, 26, 240, 294}, 0, u"next", 0));
    screen.manager.EnterModal();
    PostMessage(&next, HELD, 3, 0);
    screen.manager.PumpMessages();
    screen.manager.LeaveModal();
    EXPECT_EQ(Only(log, {HELD}), (std::vector<Seen>{{&next, HELD, 3, 0}}));
}

}  // namespace
