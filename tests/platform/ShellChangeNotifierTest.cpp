#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/shell/Shell.h"
#include "platform/shell/ShellChangeNotifier.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

// What a window was told, copied out of the record before freeing it.
struct Heard {
    uint32_t size;
    uint32_t event;
    std::u16string path1;
    std::u16string path2;
    bool operator==(const Heard&) const = default;
};

void PrintTo(const Heard& h, std::ostream* os) {
    *os << "{" << h.size << ", 0x" << std::hex << h.event << std::dec << ", "
        << std::string(h.path1.begin(), h.path1.end()) << ", "
        << std::string(h.path2.begin(), h.path2.end()) << "}";
}

class Listener : public Window {
public:
    std::vector<Heard> heard;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_FILECHANGEINFO)
            return DefWindowProc(message, wParam, lParam);
        auto* record = reinterpret_cast<FILECHANGENOTIFY*>(lParam);
        const FILECHANGEINFO& info = record->fci;
        heard.push_back({info.cbSize, info.wEventId, info.dwItem1 ? info.dwItem1 : u"",
                         info.dwItem2 ? info.dwItem2 : u""});
        SHChangeNotifyFree(record);
        return 0;
    }
};

constexpr uint32_t ALL_FIVE =
    SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADD;

class ShellChangeNotifierTest : public ::testing::Test {
protected:
    TempDevice device;
    TempDir card;
    HeadlessScreen screen;
    Shell shell;
    Listener window;

    void SetUp() override {
        MakeHostDirs(device.Host("My Documents/Kestrelview"));
        WriteHostFile(device.Host("My Documents/Kestrelview/old.jpg"), {1, 2, 3});
        ASSERT_TRUE(window.Create(nullptr, {0, 0, 10, 10}, 0, u"listener", 0));
        // The deadline for an outside event; the loop ends sooner when it comes.
        screen.backend.SetOutsideEventWait(5000);
    }
    bool Register(uint32_t mask = ALL_FIVE) {
        SHCHANGENOTIFYENTRY entry;
        entry.dwEventMask = mask;
        return SHChangeNotifyRegister(&window, entry);
    }
    // Runs the message loop until the window has heard something, then lets
    // whatever else is already waiting arrive.
    std::vector<Heard> Loop() {
        window.heard.clear();
        screen.manager.RunModalLoop([&] { return !window.heard.empty(); });
        screen.manager.DispatchEventSources(0);
        screen.manager.PumpMessages();
        return window.heard;
    }
};

TEST_F(ShellChangeNotifierTest, EachChangeOfTheDeviceFolderReachesTheWindowAsOneNotification) {
    ASSERT_TRUE(Register());
    const std::string folder = device.Host("My Documents/Kestrelview/");
    struct Case {
        const char* what;
        std::function<void()> change;
        Heard expected;
    };
    const Case cases[] = {
        {"create", [&] { WriteHostFile(folder + "new.jpg", {1}); },
         {36, SHCNE_CREATE, u"\\My Documents\\Kestrelview\\new.jpg", u""}},
        {"rename", [&] { std::rename((folder + "new.jpg").c_str(), (folder + "renamed.jpg").c_str()); },
         {36, SHCNE_RENAMEITEM, u"\\My Documents\\Kestrelview\\new.jpg",
          u"\\My Documents\\Kestrelview\\renamed.jpg"}},
        {"delete", [&] { ::unlink((folder + "old.jpg").c_str()); },
         {36, SHCNE_DELETE, u"\\My Documents\\Kestrelview\\old.jpg", u""}},
        {"card in", [&] { ASSERT_EQ(::symlink(card.Path().c_str(), device.Host("Storage Card").c_str()), 0); },
         {36, SHCNE_DRIVEADD, u"\\Storage Card", u""}},
        {"card out", [&] { ::unlink(device.Host("Storage Card").c_str()); },
         {36, SHCNE_DRIVEREMOVED, u"\\Storage Card", u""}},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_EQ(Loop(), std::vector<Heard>{c.expected}) << c.what;
    }
    EXPECT_EQ(shell.ChangeNotifier().OutstandingRecords(), 0u);
}

TEST_F(ShellChangeNotifierTest, InjectedChangesFollowTheMaskWithoutAFileSystem) {
    shell.ChangeNotifier().UseFileSystem(false);
    ASSERT_TRUE(Register(SHCNE_CREATE | SHCNE_DRIVEADD));
    EXPECT_FALSE(shell.ChangeNotifier().IsWatching());
    screen.backend.SetOutsideEventWait(0);
    ShellChangeNotifier& notifier = shell.ChangeNotifier();
    notifier.Inject({ShellEvent::Delete, u"\\a.jpg", u""});
    notifier.Inject({ShellEvent::Create, u"\\b.jpg", u""});
    notifier.Inject({ShellEvent::DriveAdd, u"\\CF Card", u""});
    screen.Run();
    EXPECT_EQ(window.heard, (std::vector<Heard>{{36, SHCNE_CREATE, u"\\b.jpg", u""},
                                                {36, SHCNE_DRIVEADD, u"\\CF Card", u""}}));
    // Deregistered, the window hears nothing more.
    window.heard.clear();
    EXPECT_TRUE(SHChangeNotifyDeregister(&window));
    notifier.Inject({ShellEvent::Create, u"\\c.jpg", u""});
    screen.Run();
    EXPECT_TRUE(window.heard.empty());
    EXPECT_EQ(notifier.OutstandingRecords(), 0u);
}

TEST_F(ShellChangeNotifierTest, WatchingStartsWithTheFirstRegistrationAndEndsWithTheLast) {
    ShellChangeNotifier& notifier = shell.ChangeNotifier();
    EXPECT_FALSE(notifier.IsWatching());
    ASSERT_TRUE(Register());
    EXPECT_TRUE(notifier.IsWatching());
    EXPECT_EQ(screen.manager.EventDescriptors().size(), 1u);
    SHCHANGENOTIFYENTRY folder;
    folder.pszWatchDir = u"\\My Documents";
    EXPECT_FALSE(SHChangeNotifyRegister(&window, folder)) << "only the whole tree is watched";
    EXPECT_TRUE(SHChangeNotifyDeregister(&window));
    EXPECT_FALSE(notifier.IsWatching());
    EXPECT_TRUE(screen.manager.EventDescriptors().empty());
    EXPECT_FALSE(SHChangeNotifyDeregister(&window));
}

}  // namespace
