#include <gtest/gtest.h>

#include "desktop/LastSyncCache.h"
#include "desktop/SideCopy.h"
#include "desktop/SyncTypes.h"
#include "platform/base/WinError.h"
#include "tests/desktop/SyncFixture.h"

namespace {

constexpr time_t kT0 = 1700000000;  // a fixed past time for file stamps

class SyncEngineTest : public SyncFixture {
protected:
    CLastSyncCache LoadCache(const std::string& path) {
        CLastSyncCache cache;
        cache.Load(path);
        return cache;
    }
};

TEST_F(SyncEngineTest, FirstRunCopiesEachSideToTheOtherAndRecordsBoth) {
    Write(InternalHandheld("hand.jpg"), "from the handheld", kT0);
    Write(InternalDesktop("desk.jpg"), "from the desktop", kT0 + 60);

    EXPECT_EQ(0, Run());

    EXPECT_EQ("from the handheld", Read(InternalDesktop("hand.jpg")));
    EXPECT_EQ("from the desktop", Read(InternalHandheld("desk.jpg")));
    EXPECT_TRUE(Saw("Searching for memory cards"));
    EXPECT_TRUE(Saw("Syncing categories"));
    EXPECT_TRUE(Saw("Looking for changes"));
    EXPECT_TRUE(Saw("Copying \"hand.jpg\" to Desktop"));
    EXPECT_TRUE(Saw("Copying \"desk.jpg\" to Handheld"));
    EXPECT_TRUE(messages.empty());

    CLastSyncCache cache = LoadCache(InternalDesktop("_LastSyncCache"));
    ASSERT_EQ(2u, cache.Entries().size());
    EXPECT_EQ("desk.jpg", cache.Entries()[0].name);
    EXPECT_EQ("\\My Documents\\Kestrelview", cache.Entries()[0].folder);
    EXPECT_EQ("hand.jpg", cache.Entries()[1].name);
    // No temporary file is left on either side.
    EXPECT_FALSE(Exists(InternalHandheld("~~KvTempFile~~.~kv")));
    EXPECT_FALSE(Exists(InternalDesktop("~~KvTempFile~~.~kv")));
    // Both copies carry the same time, so a second run copies nothing.
    EXPECT_EQ(0, Run());
    for (const std::string& line : progress) EXPECT_EQ(std::string::npos, line.find("Copying")) << line;
}

TEST_F(SyncEngineTest, DeletionsTravelBothWays) {
    Write(InternalHandheld("a.jpg"), "a", kT0);
    Write(InternalHandheld("b.jpg"), "b", kT0);
    ASSERT_EQ(0, Run());
    ASSERT_TRUE(Exists(InternalDesktop("a.jpg")));

    unlink(InternalDesktop("a.jpg").c_str());
    unlink(InternalHandheld("b.jpg").c_str());
    Write(InternalHandheld("KVFileListCache.fdf"), "cache");
    EXPECT_EQ(0, Run());

    EXPECT_TRUE(Saw("Removing \"a.jpg\" from Handheld"));
    EXPECT_TRUE(Saw("Removing \"b.jpg\" from Desktop"));
    EXPECT_FALSE(Exists(InternalHandheld("a.jpg")));
    EXPECT_FALSE(Exists(InternalDesktop("b.jpg")));
    // The handheld folder changed, so its file-list cache goes.
    EXPECT_FALSE(Exists(InternalHandheld("KVFileListCache.fdf")));
    EXPECT_TRUE(LoadCache(InternalDesktop("_LastSyncCache")).Entries().empty());
}

TEST_F(SyncEngineTest, ChangedOnBothSidesTheHandheldWins) {
    Write(InternalHandheld("a.jpg"), "old", kT0);
    ASSERT_EQ(0, Run());
    Write(InternalHandheld("a.jpg"), "handheld edit", kT0 + 100);
    Write(InternalDesktop("a.jpg"), "desktop edit", kT0 + 200);

    EXPECT_EQ(0, Run());
    EXPECT_EQ("handheld edit", Read(InternalDesktop("a.jpg")));
    EXPECT_EQ("handheld edit", Read(InternalHandheld("a.jpg")));
    EXPECT_FALSE(Saw("Copying \"a.jpg\" to Handheld"));
}

TEST_F(SyncEngineTest, ChangedOnTheDesktopGoesToTheHandheld) {
    Write(InternalHandheld("a.jpg"), "old", kT0);
    ASSERT_EQ(0, Run());
    Write(InternalDesktop("a.jpg"), "desktop edit", kT0 + 200);
    EXPECT_EQ(0, Run());
    EXPECT_EQ("desktop edit", Read(InternalHandheld("a.jpg")));
}

TEST_F(SyncEngineTest, JpegFilesOnlyTravelToTheDesktop) {
    Write(InternalDesktop("desk.jpeg"), "d", kT0);
    Write(InternalHandheld("hand.JPEG"), "h", kT0);
    Write(InternalDesktop("notes.txt"), "t", kT0);
    EXPECT_EQ(0, Run());
    EXPECT_FALSE(Exists(InternalHandheld("desk.jpeg")));
    EXPECT_FALSE(Exists(InternalHandheld("notes.txt")));
    EXPECT_EQ("h", Read(InternalDesktop("hand.JPEG")));
}

TEST_F(SyncEngineTest, NameLimitsFollowTheLocation) {
    AddCard();
    ASSERT_EQ(0, Run());  // gives the card its identity and desktop folder
    std::string volume = Read(Handheld("Storage Card/volID.txt"));
    ASSERT_EQ(16u, volume.size());
    std::string cardDesktop = volume + "/Kestrelview";
    struct Case {
        const char* where;  // desktop folder of the location; "" = the card's
        const char* handheldFolder;
        size_t length;
        int refusedWith;  // 0 = accepted
    } cases[] = {
        {"Internal/Kestrelview", "My Documents/Kestrelview", 31, 0},
        {"Internal/Kestrelview", "My Documents/Kestrelview", 32, 31},
        {"", "Storage Card/My Documents/Kestrelview", 32, 0},
        {"", "Storage Card/My Documents/Kestrelview", 47, 0},
        {"", "Storage Card/My Documents/Kestrelview", 48, 47},
    };
    for (const Case& c : cases) {
        std::string name = std::string(c.length - 4, 'n') + ".jpg";
        std::string where = *c.where ? c.where : cardDesktop;
        Write(Desktop(where + "/" + name), "x", kT0);
        EXPECT_EQ(0, Run());
        std::string refusal = "**** File name \"" + name + "\" is too long; Maximum length is " +
                              std::to_string(c.refusedWith) + ".";
        EXPECT_EQ(c.refusedWith ? 1 : 0, CountMessages(refusal)) << where << " " << c.length;
        EXPECT_EQ(c.refusedWith == 0, Exists(Handheld(std::string(c.handheldFolder) + "/" + name)))
            << where << " " << c.length;
        unlink(Desktop(where + "/" + name).c_str());
    }
}

TEST_F(SyncEngineTest, OverlongHandheldNamesAreRefusedNotCut) {
    std::string name = std::string(60, 'h') + ".jpg";
    Write(InternalHandheld(name), "x", kT0);
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1, CountMessages("**** File name \"" + name + "\" is too long; Maximum length is 47."));
    EXPECT_FALSE(Exists(InternalDesktop(name)));
    EXPECT_TRUE(LoadCache(InternalDesktop("_LastSyncCache")).Entries().empty());
}

TEST_F(SyncEngineTest, DesktopNamesThatAreNoHandheldNameAreRefused) {
    for (const char* name : {"a\\b.jpg", "c:d.jpg"}) Write(InternalDesktop(name), "x", kT0);
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1, CountMessages("**** File name \"a\\b.jpg\" cannot be used on the handheld."));
    EXPECT_EQ(1, CountMessages("**** File name \"c:d.jpg\" cannot be used on the handheld."));
    EXPECT_FALSE(Exists(InternalHandheld("b.jpg")));
    EXPECT_FALSE(Exists(InternalHandheld("c:d.jpg")));
}

TEST_F(SyncEngineTest, CancellingALargeCopyToTheDesktopLeavesNothingHalfDone) {
    Write(InternalHandheld("small.jpg"), "s", kT0);
    ASSERT_EQ(0, Run());
    std::vector<uint8_t> cacheBefore = ReadHostFile(InternalDesktop("_LastSyncCache"));
    Write(InternalHandheld("big.jpg"), Big(10 * CSideCopy::kBlockSize + 5, 'b'), kT0);

    cancelAtTick = 3;
    EXPECT_EQ(0, Run());
    EXPECT_FALSE(Exists(InternalDesktop("big.jpg")));
    EXPECT_FALSE(Exists(InternalDesktop("~~KvTempFile~~.~kv")));
    EXPECT_EQ(cacheBefore, ReadHostFile(InternalDesktop("_LastSyncCache")));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SyncEngineTest, CancellingAnUpdateKeepsTheDesktopCopySoNothingIsLost) {
    Write(InternalHandheld("a.jpg"), "first", kT0);
    ASSERT_EQ(0, Run());
    Write(InternalHandheld("a.jpg"), Big(6 * CSideCopy::kBlockSize, 'u'), kT0 + 100);

    cancelAtTick = 2;
    EXPECT_EQ(0, Run());
    EXPECT_EQ("first", Read(InternalDesktop("a.jpg")));
    // The next run must not take the interrupted copy for a desktop deletion.
    cancelAtTick = 0;
    EXPECT_EQ(0, Run());
    EXPECT_EQ(Big(6 * CSideCopy::kBlockSize, 'u'), Read(InternalHandheld("a.jpg")));
    EXPECT_EQ(Big(6 * CSideCopy::kBlockSize, 'u'), Read(InternalDesktop("a.jpg")));
}

TEST_F(SyncEngineTest, CancellingALargeCopyToTheHandheldLeavesNoTemporaryFile) {
    Write(InternalHandheld("keep.jpg"), "old version", kT0);
    ASSERT_EQ(0, Run());
    Write(InternalDesktop("keep.jpg"), Big(9 * CSideCopy::kBlockSize, 'k'), kT0 + 500);

    cancelAtTick = 4;
    EXPECT_EQ(0, Run());
    EXPECT_FALSE(Exists(InternalHandheld("~~KvTempFile~~.~kv")));
    EXPECT_EQ("old version", Read(InternalHandheld("keep.jpg")));
}

TEST_F(SyncEngineTest, DiskFullShowsOneMessageAndEndsQuietly) {
    struct Case {
        RapiCallKind kind;
        const char* message;
        bool toHandheld;
    } cases[] = {
        {RapiCallKind::ReadFile, "Insufficient memory to copy the file, %s, to the desktop.", false},
        {RapiCallKind::WriteFile, "Insufficient memory to copy the file, %s, to the handheld. ", true},
    };
    for (const Case& c : cases) {
        SetUp();
        Write(InternalHandheld("one.jpg"), "1", kT0);
        Write(InternalHandheld("two.jpg"), "2", kT0);
        Write(InternalDesktop("three.jpg"), "3", kT0);
        Write(InternalDesktop("four.jpg"), "4", kT0);
        FaultInjection::FailCall(c.kind, 1, ERROR_DISK_FULL, 100);
        EXPECT_EQ(0, Run());
        ASSERT_EQ(1u, messages.size());
        std::string path = c.toHandheld ? InternalDesktop("four.jpg") : "\\My Documents\\Kestrelview\\one.jpg";
        std::string expected = c.message;
        expected.replace(expected.find("%s"), 2, path);
        EXPECT_EQ(expected, messages[0]);
        EXPECT_EQ("Kestrelview", captions.back());
        FaultInjection::Reset();
        for (const char* n : {"one.jpg", "two.jpg"}) unlink(InternalHandheld(n).c_str());
        for (const char* n : {"one.jpg", "two.jpg", "three.jpg", "four.jpg", "_LastSyncCache"})
            unlink(InternalDesktop(n).c_str());
        unlink(InternalHandheld("four.jpg").c_str());
        unlink(InternalHandheld("three.jpg").c_str());
    }
}

TEST_F(SyncEngineTest, OtherCopyErrorsAreReportedAndTheRunGoesOn) {
    Write(InternalHandheld("bad.jpg"), "1", kT0);
    Write(InternalHandheld("good.jpg"), "2", kT0);
    FaultInjection::FailPath(RapiCallKind::ReadFile, u"bad.jpg", 1, ERROR_READ_FAULT);
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1, CountMessages("**** Could not copy file to desktop \"\\My Documents\\Kestrelview\\bad.jpg\" (30)."));
    EXPECT_FALSE(Exists(InternalDesktop("bad.jpg")));
    EXPECT_EQ("2", Read(InternalDesktop("good.jpg")));
    // Not recorded, so the next run tries again and succeeds.
    EXPECT_EQ(0, Run());
    EXPECT_EQ("1", Read(InternalDesktop("bad.jpg")));
}

TEST_F(SyncEngineTest, ACacheOfAnotherVersionCountsAsNone) {
    Write(InternalHandheld("a.jpg"), "a", kT0);
    ASSERT_EQ(0, Run());
    std::vector<uint8_t> cache = ReadHostFile(InternalDesktop("_LastSyncCache"));
    cache[0] = 2;
    WriteHostFile(InternalDesktop("_LastSyncCache"), cache);
    unlink(InternalDesktop("a.jpg").c_str());

    EXPECT_EQ(0, Run());
    // Without a record of the last run the desktop deletion is not seen:
    // the file comes back instead of being removed from the handheld.
    EXPECT_TRUE(Exists(InternalHandheld("a.jpg")));
    EXPECT_EQ("a", Read(InternalDesktop("a.jpg")));
}

TEST_F(SyncEngineTest, ModeMappingFollowsTheHostsNumbers) {
    struct Case {
        int mode;
        bool handheldOnlyFileSurvives;
        bool desktopOnlyFileSurvives;
    } cases[] = {
        {0, true, true}, {1, false, true}, {2, true, false}, {5, true, false}, {-1, true, false},
    };
    for (const Case& c : cases) {
        SetUp();
        unlink(InternalDesktop("_LastSyncCache").c_str());
        Write(InternalHandheld("hand.jpg"), "h", kT0);
        Write(InternalDesktop("desk.jpg"), "d", kT0);
        unlink(InternalHandheld("desk.jpg").c_str());
        unlink(InternalDesktop("hand.jpg").c_str());
        EXPECT_EQ(0, Run(c.mode)) << c.mode;
        EXPECT_EQ(c.handheldOnlyFileSurvives, Exists(InternalDesktop("hand.jpg"))) << c.mode;
        EXPECT_EQ(c.handheldOnlyFileSurvives, Exists(InternalHandheld("hand.jpg"))) << c.mode;
        EXPECT_EQ(c.desktopOnlyFileSurvives, Exists(InternalHandheld("desk.jpg"))) << c.mode;
        EXPECT_EQ(c.desktopOnlyFileSurvives, Exists(InternalDesktop("desk.jpg"))) << c.mode;
    }
}

TEST_F(SyncEngineTest, NotificationIsSentOnlyWhenTheHandheldLibraryIsThere) {
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(RapiInvokeLog().empty());
    EXPECT_TRUE(messages.empty());

    Write(Handheld("Program Files/Farrowdale/Kestrelview/KVSync.Dll"), "dll");
    EXPECT_EQ(0, Run(0, "OtherBrand"));
    std::vector<RapiInvokeRecord> log = RapiInvokeLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(u"\\Program Files\\Farrowdale\\Kestrelview\\KVSync.Dll", log[0].dll);
    EXPECT_EQ(u"RAPISyncNotify", log[0].function);
}

TEST_F(SyncEngineTest, RootPrefixComesFromThePersonalFolder) {
    // Personal folder in a root folder "Storage", itself a linked folder
    // (a temporary directory) that must not count as a card.
    AddCard("Storage");
    MakeHostDirs(Handheld("Windows"));
    Write(Handheld("Windows/KVDevice.txt"), "DeviceId=7\nPersonalFolder=\\Storage\\My Documents\n");
    Write(Handheld("Storage/My Documents/Kestrelview/p.jpg"), "p", kT0);
    Write(Handheld("Storage/Program Files/Farrowdale/Kestrelview/KVSync.Dll"), "dll");

    EXPECT_EQ(0, Run());
    EXPECT_EQ("p", Read(InternalDesktop("p.jpg")));
    EXPECT_FALSE(Exists(Desktop("Storage")));
    EXPECT_FALSE(Exists(Handheld("Storage/volID.txt")));
    ASSERT_EQ(1u, RapiInvokeLog().size());
    EXPECT_EQ(u"\\Storage\\Program Files\\Farrowdale\\Kestrelview\\KVSync.Dll", RapiInvokeLog()[0].dll);
}

TEST_F(SyncEngineTest, LockedHandheldFilesAreRetriedSixTimes) {
    Write(InternalHandheld("a.jpg"), "a", kT0);
    ASSERT_EQ(0, Run());
    unlink(InternalDesktop("a.jpg").c_str());

    std::vector<uint32_t> waits;
    FaultInjection::SetSleepHook([&](uint32_t ms) { waits.push_back(ms); });
    FaultInjection::FailPath(RapiCallKind::DeleteFile, u"a.jpg", 1, ERROR_HANDHELD_FILE_LOCKED, 6);
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::vector<uint32_t>(5, 500), waits);
    EXPECT_TRUE(Exists(InternalHandheld("a.jpg")));
    EXPECT_EQ(1, CountMessages("**** Could not remove \"\\My Documents\\Kestrelview\\a.jpg\" from handheld (74640)."));

    // Locked for three attempts only: the fourth removes it.
    waits.clear();
    FaultInjection::Reset();
    FaultInjection::SetSleepHook([&](uint32_t ms) { waits.push_back(ms); });
    Write(InternalHandheld("b.jpg"), "b", kT0);
    ASSERT_EQ(0, Run());
    unlink(InternalDesktop("b.jpg").c_str());
    FaultInjection::FailPath(RapiCallKind::DeleteFile, u"b.jpg", 1, ERROR_HANDHELD_FILE_LOCKED, 3);
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::vector<uint32_t>(3, 500), waits);
    EXPECT_FALSE(Exists(InternalHandheld("b.jpg")));
}

TEST_F(SyncEngineTest, AVanishedDeviceEndsTheRunWithAnError) {
    Write(InternalHandheld("a.jpg"), Big(3 * CSideCopy::kBlockSize, 'a'), kT0);
    Write(InternalHandheld("b.jpg"), "b", kT0);
    FaultInjection::VanishAt(RapiCallKind::ReadFile, 2);
    long result = Run();
    EXPECT_NE(0, result);
    EXPECT_FALSE(Exists(InternalDesktop("a.jpg")));
    EXPECT_FALSE(Exists(InternalDesktop("~~KvTempFile~~.~kv")));
    EXPECT_FALSE(Exists(InternalDesktop("_LastSyncCache")));
    EXPECT_EQ(1, CountMessages(">>> Unexpected error " + std::to_string(result) + "."));
}

}  // namespace
