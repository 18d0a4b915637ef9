#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/base/DeviceFolder.h"
#include "platform/base/ShellChangeWatcher.h"
#include "tests/support/DispatchUntil.h"
#include "tests/support/TestSupport.h"

namespace {
struct Recorder : ShellChangeSink {
    std::vector<ShellChange> changes;
    void OnShellChange(const ShellChange& change) override { changes.push_back(change); }
};

class ShellChangeWatcherTest : public ::testing::Test {
protected:
    TempDir root;
    ShellChangeWatcher watcher;
    Recorder recorder;

    void SetUp() override {
        MakeHostDirs(root / "My Documents/Kestrelview");
        ASSERT_EQ(0u, watcher.Start(DeviceFolder(root.Path())));
    }
    // Collects the changes that arrive until `count` of them have come.
    std::vector<ShellChange> Drain(size_t count = 1) {
        recorder.changes.clear();
        EXPECT_TRUE(DispatchUntil(watcher, recorder, [&] { return recorder.changes.size() >= count; }))
            << "only " << recorder.changes.size() << " of " << count << " changes came";
        return recorder.changes;
    }
};
}  // namespace

TEST_F(ShellChangeWatcherTest, FilesAreReportedWhenCompleteRenamedAndDeleted) {
    WriteHostFile(root / "My Documents/Kestrelview/a.jpg", {1, 2, 3});
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::Create, u"\\My Documents\\Kestrelview\\a.jpg", u""}}), Drain());

    std::filesystem::rename(root / "My Documents/Kestrelview/a.jpg", root / "My Documents/b.jpg");
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::RenameItem, u"\\My Documents\\Kestrelview\\a.jpg",
                                         u"\\My Documents\\b.jpg"}}),
              Drain());

    std::filesystem::remove(root / "My Documents/b.jpg");
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::Delete, u"\\My Documents\\b.jpg", u""}}), Drain());
}

TEST_F(ShellChangeWatcherTest, NewFoldersAreWatchedAndMovesOutAreDeletions) {
    MakeHostDirs(root / "My Documents/Kestrelview/Trip");
    WriteHostFile(root / "My Documents/Kestrelview/Trip/c.jpg", {1});
    const ShellChange created{ShellEvent::Create, u"\\My Documents\\Kestrelview\\Trip\\c.jpg", u""};
    recorder.changes.clear();
    EXPECT_TRUE(DispatchUntil(watcher, recorder, [&] {
        return !recorder.changes.empty() && recorder.changes.back() == created;
    }));

    TempDir outside;
    std::filesystem::rename(root / "My Documents/Kestrelview/Trip/c.jpg", outside / "c.jpg");
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::Delete, u"\\My Documents\\Kestrelview\\Trip\\c.jpg", u""}}),
              Drain());
    std::filesystem::rename(outside / "c.jpg", root / "My Documents/Kestrelview/c.jpg");
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::Create, u"\\My Documents\\Kestrelview\\c.jpg", u""}}), Drain());
}

TEST_F(ShellChangeWatcherTest, ALinkInTheRootIsACardThatComesAndGoes) {
    TempDir card;
    MakeHostDirs(card / "DCIM/100CAMRA");
    ASSERT_EQ(0, symlink(card.Path().c_str(), (root / "Storage Card").c_str()));
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::DriveAdd, u"\\Storage Card", u""}}), Drain());

    // The card's folders are watched from then on.
    WriteHostFile(card / "DCIM/100CAMRA/p.jpg", {1});
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::Create, u"\\Storage Card\\DCIM\\100CAMRA\\p.jpg", u""}}),
              Drain());

    ASSERT_EQ(0, unlink((root / "Storage Card").c_str()));
    EXPECT_EQ((std::vector<ShellChange>{{ShellEvent::DriveRemoved, u"\\Storage Card", u""}}), Drain());
}

void PrintTo(const ShellChange& c, std::ostream* os) {
    static const char* kNames[] = {"DriveAdd", "DriveRemoved", "Create", "Delete", "RenameItem"};
    *os << kNames[static_cast<int>(c.event)] << "(" << ::testing::PrintToString(c.path1) << ", "
        << ::testing::PrintToString(c.path2) << ")";
}
