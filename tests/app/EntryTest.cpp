#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/KestrelviewEntry.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/framework/SingleInstance.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr char16_t PROGRAM[] = u"/opt/kestrelview/bin/kestrelview";

struct EntryTest : ::testing::Test {
    TempDevice device;
    bool backendMade = false;

    LaunchOptions Options(std::u16string commandLine, std::u16string program = PROGRAM) {
        LaunchOptions options;
        options.commandLine = std::move(commandLine);
        options.deviceRoot = device.Root();
        options.programPath = std::move(program);
        options.handOverSleepMs = 1;
        return options;
    }
    // A backend with no input: the program starts and its loop ends at once.
    std::function<std::unique_ptr<DisplayBackend>()> Backend() {
        return [this] {
            backendMade = true;
            return std::make_unique<HeadlessBackend>();
        };
    }
};

TEST_F(EntryTest, SecondStartHandsOverAndEndsWithMinusOne) {
    const struct {
        std::u16string commandLine;
        std::vector<std::u16string> delivered;
    } cases[] = {
        {u"", {}},
        {u"\\My Documents\\a.jpg", {u"\\My Documents\\a.jpg"}},
    };
    for (const auto& c : cases) {
        SingleInstance running(device.Root(), PROGRAM);
        ASSERT_EQ(running.Acquire(), 0u);
        running.SetMainWindowReady(true);
        backendMade = false;
        EXPECT_EQ(KestrelviewMain(Options(c.commandLine), Backend()), -1);
        EXPECT_FALSE(backendMade);
        int broughtToFront = 0;
        std::vector<std::u16string> delivered;
        running.TakeRequests([&] { ++broughtToFront; },
                             [&](std::u16string_view text) { delivered.emplace_back(text); });
        EXPECT_EQ(broughtToFront, 1);
        EXPECT_EQ(delivered, c.delivered);
    }
}

TEST_F(EntryTest, ACopyFromAnotherPathStartsOnItsOwn) {
    SingleInstance running(device.Root(), u"/elsewhere/kestrelview");
    ASSERT_EQ(running.Acquire(), 0u);
    running.SetMainWindowReady(true);
    EXPECT_EQ(KestrelviewMain(Options(u""), Backend()), 0);
    EXPECT_TRUE(backendMade);
}

TEST_F(EntryTest, ARunningCopyWithoutItsWindowIsWaitedForThenIgnored) {
    SingleInstance running(device.Root(), PROGRAM);
    ASSERT_EQ(running.Acquire(), 0u);
    EXPECT_EQ(KestrelviewMain(Options(u""), Backend()), 0);
    EXPECT_TRUE(backendMade);
}

TEST_F(EntryTest, NoDisplayMeansNoStart) {
    EXPECT_EQ(KestrelviewMain(Options(u""), [] { return std::unique_ptr<DisplayBackend>(); }), -1);
}

}  // namespace
