#include <gtest/gtest.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <chrono>

#include "platform/window/InputScript.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(InputScriptTest, ParsesEveryCommand) {
    const char* script =
        "# comment\n"
        "tap 10 20\n"
        "\n"
        "  HOLD 0 319  \r\n"
        "down 1 2\nmove 3 4\nup 5 6\n"
        "key Down\nkey ctrl+shift+a\n"
        "type Grüße  x\n"
        "wait 1500\n"
        "shot out/first.PNG\n"
        "Sleep 250\n";
    std::vector<ScriptStep> steps;
    const ScriptError error = ParseInputScript(script, steps);
    ASSERT_EQ(error.line, 0) << error.message;
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(steps[0].action, ScriptAction::Tap);
    EXPECT_EQ(steps[0].point, (Point{10, 20}));
    EXPECT_EQ(steps[0].line, 2);
    EXPECT_EQ(steps[1].action, ScriptAction::Hold);
    EXPECT_EQ(steps[1].point, (Point{0, 319}));
    EXPECT_EQ(steps[4].action, ScriptAction::Up);
    EXPECT_EQ(steps[5].key, VK_DOWN);
    EXPECT_EQ(steps[6].key, uint32_t('A'));
    EXPECT_EQ(steps[6].modifiers, (std::vector<uint32_t>{VK_CONTROL, VK_SHIFT}));
    EXPECT_EQ(steps[7].text, u"Grüße  x");
    EXPECT_EQ(steps[8].ms, 1500u);
    EXPECT_EQ(steps[9].file, "out/first.PNG");
    EXPECT_EQ(steps[10].action, ScriptAction::Sleep);
    EXPECT_EQ(steps[10].ms, 250u);
}

TEST(InputScriptTest, ABadLineIsReportedWithItsNumber) {
    const std::string bad[] = {
        "tap 10",          "tap 10 20 30",   "tap 240 5",     "tap 5 320",  "tap -1 5",
        "tap x 5",         "tap 1e2 5",      "tap 10 20x",    "hold",       "key",
        "key Foo",         "key Shift+",     "key Alt+A",     "key A B",    "type",
        "wait",            "wait -5",        "wait 3600001",  "wait 99999999999999999999",
        "sleep",           "sleep 60001",    "sleep 5 5",
        "shot",            "shot out.jpg",   "shot .png",     "jump 1 2",   std::string("tap 1\0 2", 8),
    };
    for (const std::string& line : bad) {
        SCOPED_TRACE(line);
        // Two good lines and a blank one before the bad one.
        std::string script = "tap 1 1\n\nkey Enter\n";
        script += line;
        script += "\ntap 2 2\n";
        std::vector<ScriptStep> steps;
        const ScriptError error = ParseInputScript(script, steps);
        EXPECT_EQ(error.line, 4);
        EXPECT_FALSE(error.message.empty());
        EXPECT_EQ(steps.size(), 2u);
    }
}

TEST(InputScriptTest, AScriptDrivesTheHeadlessScreenAndEndsTheLoop) {
    TempDir dir;
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow window(&log);
    window.ignored = {WM_PAINT, WM_ERASEBKGND, WM_SHOWWINDOW, WM_CREATE, WM_SETFOCUS,
                      WM_ACTIVATE};
    window.SetBackgroundColour(RGB(0, 128, 0));
    ASSERT_TRUE(window.Create(nullptr, {0, 0, 240, 320}, 0, u"", WS_VISIBLE, CS_DBLCLKS));
    screen.manager.SetFocus(&window);
    const std::string script = "tap 10 20\ntap 10 20\nwait 600\nkey Shift+Up\ntype hi\nshot " +
                               (dir / "s.png") + "\n";
    std::vector<ScriptStep> steps;
    ASSERT_EQ(ParseInputScript(script, steps).line, 0);
    screen.backend.Play(steps);
    const uint32_t start = screen.backend.Clock().Now();
    screen.Run();
    EXPECT_TRUE(screen.backend.Finished());
    EXPECT_EQ(screen.backend.Clock().Now() - start, 600u);
    std::vector<UINT> messages;
    for (const Seen& s : log)
        messages.push_back(s.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                           WM_LBUTTONUP, WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP,
                                           WM_KEYUP, WM_CHAR, WM_CHAR}));
    EXPECT_EQ(screen.backend.ShotsWritten(), 1);
    EXPECT_EQ(screen.manager.Screen().Value(100, 100), 0x008000u);
    EXPECT_FALSE(ReadHostFile(dir / "s.png").empty());
}

// An outside event (a timer of the kernel standing in for a file copied
// in by another program) that comes during a sleep is handled before the
// lines after the sleep, the real time passes, and the clock stands still.
TEST(InputScriptTest, ASleepHandlesOutsideEventsInRealTimeWithTheClockStill) {
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow window(&log);
    window.ignored = {WM_PAINT, WM_ERASEBKGND, WM_SHOWWINDOW, WM_CREATE, WM_SETFOCUS, WM_ACTIVATE};
    ASSERT_TRUE(window.Create(nullptr, {0, 0, 240, 320}, 0, u"", WS_VISIBLE));
    screen.manager.SetFocus(&window);
    const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    ASSERT_GE(timer, 0);
    itimerspec due{};
    due.it_value.tv_nsec = 20 * 1000 * 1000;
    ASSERT_EQ(timerfd_settime(timer, 0, &due, nullptr), 0);
    screen.manager.AddEventSource(timer, [&] {
        uint64_t expirations = 0;
        if (read(timer, &expirations, sizeof expirations) > 0)
            PostMessage(&window, WM_APP, 0, 0);
    });
    std::vector<ScriptStep> steps;
    ASSERT_EQ(ParseInputScript("sleep 120\nkey A\n", steps).line, 0);
    screen.backend.Play(steps);
    const uint32_t clock = screen.backend.Clock().Now();
    const auto start = std::chrono::steady_clock::now();
    screen.Run();
    const auto slept = std::chrono::steady_clock::now() - start;
    screen.manager.RemoveEventSource(timer);
    close(timer);

    std::vector<UINT> messages;
    for (const Seen& s : log)
        messages.push_back(s.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_APP, WM_KEYDOWN, WM_KEYUP}));
    EXPECT_GE(slept, std::chrono::milliseconds(120));
    EXPECT_EQ(screen.backend.Clock().Now(), clock);
}

TEST(InputScriptTest, AShotThatCannotBeWrittenIsReported) {
    TempDir dir;
    HeadlessScreen screen;
    screen.backend.Shot(dir / "missing/folder/s.png");
    screen.Run();
    EXPECT_EQ(screen.backend.ShotsWritten(), 0);
    EXPECT_NE(screen.backend.LastShotError(), 0u);
}

}  // namespace
