#include <gtest/gtest.h>

#include <new>

#include "platform/gdi/DeviceContext.h"
#include "platform/base/Time.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr Rect kFull{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};

class WindowManagerTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow top{&log};
    LoggingWindow a{&log};
    LoggingWindow b{&log};

    void SetUp() override {
        ASSERT_TRUE(top.Create(nullptr, kFull, 0, u"top", WS_VISIBLE));
        ASSERT_TRUE(a.Create(&top, {0, 0, 120, 100}, 1, u"a", WS_CHILD | WS_VISIBLE));
        ASSERT_TRUE(b.Create(&top, {120, 0, 240, 100}, 2, u"b", WS_CHILD | WS_VISIBLE));
        screen.manager.PumpMessages();  // first paints
        log.clear();
    }
    std::vector<UINT> Messages() const {
        std::vector<UINT> out;
        for (const Seen& s : log)
            out.push_back(s.message);
        return out;
    }
};

TEST_F(WindowManagerTest, SendRunsAtOncePostWaitsForTheLoop) {
    a.handler = [&](UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (m == WM_USER + 1)  // nested send from inside a handler
            r = screen.manager.SendMessage(&b, WM_USER + 2, 0, 0) + 1;
        return m == WM_USER + 1;
    };
    b.handler = [](UINT m, WPARAM, LPARAM, LRESULT& r) {
        r = 41;
        return m == WM_USER + 2;
    };
    EXPECT_TRUE(screen.manager.PostMessage(&a, WM_USER + 3, 7, 8));
    EXPECT_EQ(screen.manager.SendMessage(&a, WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    screen.manager.PumpMessages();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2], (Seen{&a, WM_USER + 3, 7, 8}));
}

TEST_F(WindowManagerTest, PeekWithoutRemovingKeepsOrderAndFiltersByRangeAndWindow) {
    screen.manager.PostMessage(&a, WM_USER, 0, 0);
    screen.manager.PostMessage(&a, WM_LBUTTONDOWN, 0, 0);
    screen.manager.PostMessage(&b, WM_KEYDOWN, VK_LEFT, 0);
    MSG msg;
    // What a cancel check asks, twice: the message stays queued.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(screen.manager.PeekMessage(msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
        EXPECT_EQ(msg.message, WM_KEYDOWN);
        EXPECT_EQ(msg.wParam, VK_LEFT);
    }
    ASSERT_TRUE(screen.manager.PeekMessage(msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, &a);
    EXPECT_FALSE(screen.manager.PeekMessage(msg, &b, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE));
    EXPECT_TRUE(screen.manager.PeekMessage(msg, &top, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE))
        << "a parent's filter takes its children's messages";
    EXPECT_TRUE(log.empty());
    screen.manager.PumpMessages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_USER, WM_LBUTTONDOWN, WM_KEYDOWN}));
    EXPECT_FALSE(screen.manager.PeekMessage(msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(WindowManagerTest, PeekPollsInputThatArrivesWhileBusy) {
    screen.manager.SetFocus(&a);
    log.clear();
    screen.backend.Key(VK_DOWN);
    screen.backend.Tap({130, 10});
    MSG msg;
    ASSERT_TRUE(screen.manager.PeekMessage(msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, &a);
    EXPECT_EQ(msg.wParam, VK_DOWN);
    ASSERT_TRUE(screen.manager.PeekMessage(msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, &b);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 10);  // client coordinates of b
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 10);
    screen.manager.PumpMessages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP, WM_LBUTTONUP}));
}

TEST(RegisteredMessages, SameNameSameIdWithoutRegardToCase) {
    const UINT first = RegisterWindowMessage(u"Kestrel-Test-Refresh");
    const UINT again = RegisterWindowMessage(u"KESTREL-TEST-refresh");
    const UINT other = RegisterWindowMessage(u"Kestrel-Test-Other");
    EXPECT_GE(first, WM_REGISTERED_FIRST);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(RegisterWindowMessage(u""), 0u);
}

TEST_F(WindowManagerTest, TimersFireInDueOrderWithTheirIdsAndOnlyWhenIdle) {
    std::vector<std::pair<uint32_t, WPARAM>> fired;
    const uint32_t start = GetTickCount();
    a.handler = [&](UINT m, WPARAM id, LPARAM, LRESULT&) {
        if (m == WM_TIMER)
            fired.push_back({GetTickCount() - start, id});
        return m == WM_TIMER;
    };
    screen.manager.SetTimer(&a, 1002, 300);
    screen.manager.SetTimer(&a, 1000, 999);
    screen.manager.SetTimer(&a, 1000, 100);  // re-arming replaces
    screen.manager.SetTimer(&a, 1001, 100);
    screen.manager.SetTimer(&a, 7, 50);
    EXPECT_TRUE(screen.manager.KillTimer(&a, 7));
    EXPECT_FALSE(screen.manager.KillTimer(&a, 7));
    screen.backend.Wait(300);
    screen.Run();
    const std::vector<std::pair<uint32_t, WPARAM>> expected{
        {100, 1000}, {100, 1001}, {200, 1000}, {200, 1001}, {300, 1002}, {300, 1000}, {300, 1001}};
    EXPECT_EQ(fired, expected);

    // A due timer waits behind a posted message.
    fired.clear();
    screen.backend.Clock().Advance(100);
    screen.manager.PostMessage(&a, WM_USER, 0, 0);
    log.clear();
    screen.manager.PumpMessages();
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_USER, WM_TIMER, WM_TIMER}));
}

TEST_F(WindowManagerTest, ZeroTimerFiresOncePerTickAndDiesWithItsWindow) {
    int count = 0;
    b.handler = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        count += m == WM_TIMER;
        return m == WM_TIMER;
    };
    screen.manager.SetTimer(&b, 1, 0);
    screen.manager.PumpMessages();
    EXPECT_EQ(count, 1);
    screen.backend.Clock().Advance(1);
    screen.manager.PumpMessages();
    EXPECT_EQ(count, 2);
    screen.manager.PostMessage(&b, WM_USER, 0, 0);
    b.Destroy();
    EXPECT_FALSE(screen.manager.HasTimer(&b, 1));
    EXPECT_FALSE(screen.manager.IsWindow(&b));
    EXPECT_EQ(screen.manager.SendMessage(&b, WM_USER, 0, 0), 0);
    screen.backend.Clock().Advance(1);
    log.clear();
    screen.manager.PumpMessages();
    EXPECT_TRUE(Only(log, {WM_USER, WM_TIMER}).empty());
}

TEST_F(WindowManagerTest, ModalLoopsNestAndEndByTheirFlags) {
    bool innerDone = false;
    bool outerDone = false;
    std::vector<std::string> order;
    a.handler = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == WM_USER) {
            order.push_back("inner starts");
            EXPECT_EQ(screen.manager.RunModalLoop([&] { return innerDone; }), 0);
            order.push_back("inner ended");
        } else if (m == WM_TIMER) {
            order.push_back("timer");
            innerDone = true;
            screen.manager.KillTimer(&a, 5);
            screen.manager.PostMessage(&a, WM_USER + 1, 0, 0);
        } else if (m == WM_USER + 1) {
            order.push_back("outer flag");
            outerDone = true;
        }
        return false;
    };
    screen.manager.PostMessage(&a, WM_USER, 0, 0);
    screen.manager.SetTimer(&a, 5, 1000);
    screen.backend.Wait(5000);
    EXPECT_EQ(screen.manager.RunModalLoop([&] { return outerDone; }), 0);
    EXPECT_EQ(order, (std::vector<std::string>{"inner starts", "timer", "inner ended",
                                               "outer flag"}));
    EXPECT_FALSE(screen.backend.Finished()) << "the loop waited only as long as needed";
}

TEST_F(WindowManagerTest, ModalLoopEndedByQuitPassesTheQuitOutward) {
    screen.manager.PostMessage(&a, WM_USER, 0, 0);
    screen.manager.PostQuitMessage(3);
    EXPECT_EQ(screen.manager.RunModalLoop([] { return false; }), -1);
    MSG msg;
    EXPECT_FALSE(screen.manager.GetMessage(msg));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    // With no input left, a loop that is never told to end still ends.
    EXPECT_EQ(screen.manager.RunModalLoop([] { return false; }), -1);
}

TEST_F(WindowManagerTest, FocusMovesWithNoticesAndFallsBackToTheParent) {
    EXPECT_EQ(screen.manager.SetFocus(&a), nullptr);
    EXPECT_EQ(screen.manager.SetFocus(&b), &a);
    // Focusing a child of an inactive window activates it first, which
    // gives the window itself the focus on the way.
    EXPECT_EQ(log, (std::vector<Seen>{{&top, WM_ACTIVATE, WA_ACTIVE, 0},
                                      {&top, WM_SETFOCUS, 0, 0},
                                      {&top, WM_KILLFOCUS, WPARAM(HWND(&a)), 0},
                                      {&a, WM_SETFOCUS, WPARAM(HWND(&top)), 0},
                                      {&a, WM_KILLFOCUS, WPARAM(HWND(&b)), 0},
                                      {&b, WM_SETFOCUS, WPARAM(HWND(&a)), 0}}));
    screen.backend.Key(VK_RETURN);
    screen.backend.Type(u"x");
    screen.Run();
    std::vector<Seen> keys = Only(log, {WM_KEYDOWN, WM_KEYUP, WM_CHAR});
    ASSERT_EQ(keys.size(), 4u);
    for (const Seen& k : keys)
        EXPECT_EQ(k.hwnd, &b);
    EXPECT_EQ(keys[1].message, WM_CHAR);  // Enter gives a carriage return
    EXPECT_EQ(keys[1].wParam, u'\r');
    EXPECT_EQ(keys[3].wParam, u'x');

    b.ShowWindow(false);
    EXPECT_EQ(screen.manager.GetFocus(), &top);
    screen.manager.SetFocus(&a);
    a.Destroy();
    EXPECT_EQ(screen.manager.GetFocus(), &top);
}

TEST_F(WindowManagerTest, HidingTheFocusedChildPassesTheFocusToItsParentInOrder) {
    LoggingWindow inner{&log};
    ASSERT_TRUE(inner.Create(&a, {0, 0, 50, 50}, 3, u"inner", WS_CHILD | WS_VISIBLE));
    screen.manager.SetFocus(&inner);
    log.clear();
    a.ShowWindow(false);  // holds the focus through its child
    EXPECT_EQ(screen.manager.GetFocus(), &top);
    EXPECT_EQ(Only(log, {WM_SETFOCUS, WM_KILLFOCUS}),
              (std::vector<Seen>{{&inner, WM_KILLFOCUS, WPARAM(HWND(&top)), 0},
                                 {&top, WM_SETFOCUS, WPARAM(HWND(&inner)), 0}}));
}

TEST_F(WindowManagerTest, ClosingTheActiveWindowGivesActivationAndFocusBack) {
    screen.manager.SetFocus(&b);
    LoggingWindow box{&log};
    ASSERT_TRUE(box.Create(nullptr, {20, 20, 200, 200}, 0, u"box", WS_VISIBLE));
    log.clear();
    screen.manager.SetFocus(&box);
    EXPECT_EQ(screen.manager.GetActiveWindow(), &box);
    box.Destroy();
    EXPECT_EQ(screen.manager.GetActiveWindow(), &top);
    EXPECT_EQ(screen.manager.GetFocus(), &top);
    EXPECT_EQ(Only(log, {WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS}),
              (std::vector<Seen>{{&top, WM_ACTIVATE, WA_INACTIVE, LPARAM(HWND(&box))},
                                 {&box, WM_ACTIVATE, WA_ACTIVE, LPARAM(HWND(&top))},
                                 {&b, WM_KILLFOCUS, WPARAM(HWND(&box)), 0},
                                 {&box, WM_SETFOCUS, WPARAM(HWND(&b)), 0},
                                 // While it goes, the box loses the focus and is deactivated.
                                 {&box, WM_KILLFOCUS, 0, 0},
                                 {&box, WM_ACTIVATE, WA_INACTIVE, LPARAM(HWND(&top))},
                                 {&top, WM_ACTIVATE, WA_ACTIVE, LPARAM(HWND(&box))},
                                 {&top, WM_SETFOCUS, 0, 0}}));
    // Keys with the focus nowhere go to the active window.
    screen.manager.SetFocus(nullptr);
    log.clear();
    screen.backend.Key(VK_DOWN);
    screen.Run();
    const std::vector<Seen> keys = Only(log, {WM_KEYDOWN, WM_KEYUP});
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].hwnd, &top);
}

TEST_F(WindowManagerTest, StaleHandleIsRefusedAfterAnotherWindowTakesItsPlace) {
    // The second window is built in the very memory of the first.
    alignas(LoggingWindow) unsigned char storage[sizeof(LoggingWindow)];
    auto* first = new (storage) LoggingWindow(&log);
    ASSERT_TRUE(first->Create(&top, {0, 100, 100, 200}, 7, u"first", WS_CHILD | WS_VISIBLE));
    const HWND stale = first->GetHwnd();
    first->~LoggingWindow();
    auto* second = new (storage) LoggingWindow(&log);
    ASSERT_TRUE(second->Create(&top, {0, 100, 100, 200}, 7, u"second", WS_CHILD | WS_VISIBLE));
    ASSERT_EQ(static_cast<void*>(second), static_cast<void*>(storage));
    EXPECT_NE(second->GetHwnd(), stale);
    screen.manager.PumpMessages();
    log.clear();

    EXPECT_FALSE(screen.manager.IsWindow(stale));
    EXPECT_EQ(screen.manager.FromHandle(stale), nullptr);
    EXPECT_EQ(screen.manager.SendMessage(stale, WM_USER, 1, 2), 0);
    EXPECT_FALSE(screen.manager.PostMessage(stale, WM_USER, 1, 2));
    EXPECT_EQ(screen.manager.SetTimer(stale, 5, 0), 0u);
    EXPECT_EQ(screen.manager.SetFocus(stale), nullptr);
    EXPECT_EQ(screen.manager.SetCapture(stale), nullptr);
    EXPECT_EQ(screen.manager.SetActiveWindow(stale), nullptr);
    EXPECT_EQ(screen.manager.GetDC(stale), nullptr);
    screen.manager.InvalidateRect(stale, nullptr, true);
    EXPECT_TRUE(screen.manager.GetUpdateRect(second->GetHwnd()).IsEmpty());
    EXPECT_FALSE(top.IsChild(stale));
    MSG msg;
    EXPECT_FALSE(screen.manager.PeekMessage(msg, stale, 0, 0, PM_NOREMOVE));
    screen.manager.PumpMessages();
    EXPECT_TRUE(log.empty()) << "the new window heard something meant for the old one";
    EXPECT_EQ(screen.manager.GetFocus(), nullptr);
    EXPECT_FALSE(screen.manager.HasTimer(second->GetHwnd(), 5));
    second->~LoggingWindow();
}

TEST_F(WindowManagerTest, StylusGoesToTheHitWindowOrTheCapturingOne) {
    a.handler = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == WM_LBUTTONDOWN)
            screen.manager.SetCapture(&a);
        if (m == WM_LBUTTONUP)
            screen.manager.ReleaseCapture();
        return false;
    };
    screen.backend.Down({10, 10});
    screen.backend.Move({200, 50});  // over b, but a holds the stylus
    screen.backend.Up({200, 50});
    screen.backend.Wait(1000);
    screen.backend.Tap({200, 150});  // below both children: the top window
    screen.Run();
    const std::vector<Seen> stylus =
        Only(log, {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_CAPTURECHANGED});
    const std::vector<Seen> expected{
        {&a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10)},
        {&a, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 50)},
        {&a, WM_LBUTTONUP, 0, MAKELPARAM(200, 50)},
        {&a, WM_CAPTURECHANGED, 0, 0},
        {&top, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150)},
        {&top, WM_LBUTTONUP, 0, MAKELPARAM(200, 150)},
    };
    EXPECT_EQ(stylus, expected);
    EXPECT_EQ(screen.manager.GetCapture(), nullptr);
}

TEST_F(WindowManagerTest, HiddenAndDisabledChildrenLetTheStylusThrough) {
    a.ShowWindow(false);
    b.EnableWindow(false);
    screen.backend.Tap({10, 10});
    screen.backend.Wait(1000);
    screen.backend.Tap({130, 10});
    screen.Run();
    const std::vector<Seen> downs = Only(log, {WM_LBUTTONDOWN});
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].hwnd, &top);
    EXPECT_EQ(downs[1].hwnd, &top);
    EXPECT_EQ(downs[1].lParam, MAKELPARAM(130, 10));
}

TEST_F(WindowManagerTest, ShiftAndCtrlTravelWithTheStylus) {
    screen.backend.Queue({InputKind::KeyDown, {}, VK_SHIFT, 0});
    screen.backend.Queue({InputKind::KeyDown, {}, VK_CONTROL, 0});
    screen.backend.Down({5, 5});
    screen.backend.Queue({InputKind::KeyUp, {}, VK_SHIFT, 0});
    screen.backend.Up({5, 5});
    screen.Run();
    const std::vector<Seen> stylus = Only(log, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(stylus.size(), 2u);
    EXPECT_EQ(stylus[0].wParam, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(stylus[1].wParam, MK_CONTROL);
    EXPECT_NE(screen.manager.GetKeyState(VK_CONTROL) & 0x8000, 0);
    EXPECT_EQ(screen.manager.GetKeyState(VK_SHIFT) & 0x8000, 0);
}

struct TapCase {
    const char* name;
    uint32_t classStyle;
    uint32_t gapMs;
    int32_t secondX;
    UINT secondMessage;
};

TEST_F(WindowManagerTest, DoubleTapNeedsTheClassStyleAQuickSecondTapAndTheSamePlace) {
    const TapCase cases[] = {
        {"quick double tap", CS_DBLCLKS, 100, 20, WM_LBUTTONDBLCLK},
        {"at the time limit", CS_DBLCLKS, DOUBLE_TAP_TIME_MS, 20, WM_LBUTTONDBLCLK},
        {"too slow", CS_DBLCLKS, DOUBLE_TAP_TIME_MS + 1, 20, WM_LBUTTONDOWN},
        {"too far", CS_DBLCLKS, 100, 20 + DOUBLE_TAP_DISTANCE + 1, WM_LBUTTONDOWN},
        {"class without double taps", 0, 100, 20, WM_LBUTTONDOWN},
    };
    for (const TapCase& c : cases) {
        SCOPED_TRACE(c.name);
        a.SetClassStyle(c.classStyle);
        screen.backend.Wait(5000);  // forget earlier taps
        screen.backend.Tap({20, 20});
        screen.backend.Wait(c.gapMs);
        screen.backend.Tap({c.secondX, 20});
        log.clear();
        screen.Run();
        const std::vector<Seen> downs = Only(log, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
        ASSERT_EQ(downs.size(), 2u);
        EXPECT_EQ(downs[0].message, WM_LBUTTONDOWN);
        EXPECT_EQ(downs[1].message, c.secondMessage);
    }
}

TEST_F(WindowManagerTest, TapAndHoldIsAPressHeldStillForHalfASecond) {
    struct HoldCase {
        const char* name;
        std::function<void(HeadlessBackend&)> input;
        int expected;
    };
    const HoldCase cases[] = {
        {"held", [](HeadlessBackend& h) { h.Hold({30, 30}); }, GN_CONTEXTMENU},
        {"tapped", [](HeadlessBackend& h) { h.Tap({30, 30}); }, 0},
        {"released early",
         [](HeadlessBackend& h) {
             h.Down({30, 30});
             h.Wait(HOLD_TIME_MS - 1);
             h.Up({30, 30});
         },
         0},
        {"small wobble",
         [](HeadlessBackend& h) {
             h.Down({30, 30});
             h.Wait(200);
             h.Move({30 + HOLD_SLOP, 30});
             h.Wait(400);
             h.Up({30, 30});
         },
         GN_CONTEXTMENU},
        {"dragged away",
         [](HeadlessBackend& h) {
             h.Down({30, 30});
             h.Wait(200);
             h.Move({30 + HOLD_SLOP + 1, 30});
             h.Wait(400);
             h.Up({30, 30});
         },
         0},
    };
    std::vector<int> results;
    a.handler = [&](UINT m, WPARAM, LPARAM l, LRESULT&) {
        if (m == WM_LBUTTONDOWN)
            results.push_back(screen.manager.RecognizeHold(&a, {GET_X_LPARAM(l), GET_Y_LPARAM(l)}));
        return false;
    };
    for (const HoldCase& c : cases) {
        SCOPED_TRACE(c.name);
        results.clear();
        log.clear();
        screen.backend.Wait(5000);
        c.input(screen.backend);
        screen.Run();
        EXPECT_EQ(results, std::vector<int>{c.expected});
        EXPECT_EQ(Only(log, {WM_LBUTTONUP}).size(), 1u) << "the release is still delivered";
    }
}

TEST_F(WindowManagerTest, CreateFailsWhenTheHandlerRefuses) {
    LoggingWindow refused{&log};
    refused.handler = [](UINT m, WPARAM, LPARAM, LRESULT& r) {
        r = -1;
        return m == WM_CREATE;
    };
    EXPECT_FALSE(refused.Create(&top, {0, 0, 10, 10}, 9, u"", WS_CHILD | WS_VISIBLE));
    EXPECT_FALSE(refused.IsAlive());
    EXPECT_EQ(top.GetDlgItem(9), nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    EXPECT_EQ(top.GetDlgItem(2), &b);
}

TEST_F(WindowManagerTest, InvalidationsJoinIntoOnePaintOfTheirBoundingBox) {
    std::vector<Rect> painted;
    b.handler = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m != WM_PAINT)
            return false;
        PAINTSTRUCT ps;
        screen.manager.BeginPaint(&b, ps);
        painted.push_back(ps.rcPaint);
        screen.manager.EndPaint(&b, ps);
        return true;
    };
    const Rect r1{2, 3, 10, 12};
    const Rect r2{30, 40, 35, 45};
    screen.manager.InvalidateRect(&b, &r1, false);
    screen.manager.InvalidateRect(&b, &r2, false);
    screen.manager.PumpMessages();
    EXPECT_EQ(painted, (std::vector<Rect>{{2, 3, 35, 45}}));
    EXPECT_EQ(screen.manager.GetUpdateRect(&b), Rect{});
    screen.manager.PumpMessages();
    EXPECT_EQ(painted.size(), 1u);
}

TEST_F(WindowManagerTest, AParentPaintsAroundItsChildrenAndErasesWithItsColour) {
    top.SetBackgroundColour(RGB(255, 0, 0));
    a.SetBackgroundColour(RGB(0, 0, 255));
    b.ShowWindow(false);
    screen.manager.InvalidateRect(&top, nullptr, true);
    screen.manager.PumpMessages();
    const Bitmap& shot = screen.manager.Screen();
    EXPECT_EQ(shot.Value(5, 5), 0x0000FFu);     // child a
    EXPECT_EQ(shot.Value(119, 99), 0x0000FFu);  // a's last pixel
    EXPECT_EQ(shot.Value(120, 5), 0xFF0000u);   // where hidden b was
    EXPECT_EQ(shot.Value(5, 100), 0xFF0000u);

    // The parent painting everything still leaves the child's pixels alone.
    top.handler = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m != WM_PAINT)
            return false;
        PAINTSTRUCT ps;
        DeviceContext* dc = screen.manager.BeginPaint(&top, ps);
        dc->FillSolidRect(top.GetClientRect(), RGB(0, 255, 0));
        screen.manager.EndPaint(&top, ps);
        return true;
    };
    const Rect middle{100, 50, 140, 150};
    screen.manager.InvalidateRect(&top, &middle, false);
    a.handler = [](UINT m, WPARAM, LPARAM, LRESULT&) { return m == WM_PAINT; };  // paints nothing
    screen.manager.PumpMessages();
    EXPECT_EQ(shot.Value(110, 60), 0x0000FFu);
    EXPECT_EQ(shot.Value(125, 60), 0x00FF00u);
    EXPECT_EQ(shot.Value(150, 120), 0xFF0000u);  // outside the invalid part
    EXPECT_EQ(screen.manager.GetUpdateRect(&a), Rect{}) << "a handler that paints nothing is validated";
}

TEST_F(WindowManagerTest, MovingAndResizingReportsTheNewSizeAndRepaints) {
    a.MoveWindow({10, 20, 60, 50});
    EXPECT_EQ(a.GetWindowRect(), (Rect{10, 20, 60, 50}));
    EXPECT_EQ(a.ClientToScreen({1, 1}), (Point{11, 21}));
    const std::vector<Seen> sizes = Only(log, {WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].lParam, MAKELPARAM(50, 30));
    EXPECT_FALSE(screen.manager.GetUpdateRect(&a).IsEmpty());
    EXPECT_FALSE(screen.manager.GetUpdateRect(&top).IsEmpty());
}

}  // namespace

// The release of a key that ended a modal screen arrives after the screen
// is gone; it must not reach the window below, but later releases must.
TEST(KeyReleaseDropTest, OnlyTheAwaitedReleaseIsDropped) {
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow window(&log);
    ASSERT_TRUE(window.Create(nullptr, {0, 0, 240, 320}, 0, u"", WS_VISIBLE));
    SetFocus(&window);
    screen.manager.DropNextKeyUp(VK_RETURN);
    screen.backend.Queue({InputKind::KeyUp, {}, VK_ESCAPE, 0});
    screen.backend.Queue({InputKind::KeyUp, {}, VK_RETURN, 0});
    screen.backend.Key(VK_RETURN);
    screen.Run();
    const std::vector<Seen> keys = Only(log, {WM_KEYDOWN, WM_KEYUP});
    const std::vector<Seen> expected = {{&window, WM_KEYUP, VK_ESCAPE, 1},
                                        {&window, WM_KEYDOWN, VK_RETURN, 1},
                                        {&window, WM_KEYUP, VK_RETURN, 1}};
    EXPECT_EQ(keys, expected);
}
