#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "desktop/DesktopFaults.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"
#include "tests/desktop/SyncFixture.h"

namespace {

namespace fs = std::filesystem;
constexpr time_t kT0 = 1700000000;

// Situations a user meets where a run must lose no photo: every case
// compares all photos of both sides before and after.
class PhotoSafetyTest : public SyncFixture {
protected:
    void SetUp() override {
        SyncFixture::SetUp();
        DesktopFaults::Reset();
    }
    void TearDown() override {
        DesktopFaults::Reset();
        SyncFixture::TearDown();
    }
    void Remember() {
        m_hand = HandheldPhotos();
        m_desk = DesktopPhotos();
    }
    void ExpectNothingLost() const { ExpectNoPhotoLost(m_hand, m_desk, HandheldPhotos(), DesktopPhotos()); }
    bool SawAny(const std::string& fragment) const {
        for (const std::string& p : progress)
            if (p.find(fragment) != std::string::npos) return true;
        return false;
    }
    void ExpectQuietRun() {
        EXPECT_EQ(0, Run());
        EXPECT_FALSE(SawAny("Copying")) << "a run after a settled one copies nothing";
        EXPECT_FALSE(SawAny("Removing"));
    }

    Photos m_hand, m_desk;
};

TEST_F(PhotoSafetyTest, ACaseOnlyRenameOnEitherSideIsCarriedOverAsARename) {
    struct Case {
        bool onDesktop;
        const char* line;
    } cases[] = {
        {true, "Renaming \"IMG_0001.JPG\" to \"IMG_0001.jpg\" on Handheld"},
        {false, "Renaming \"IMG_0001.JPG\" to \"IMG_0001.jpg\" on Desktop"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.onDesktop ? "renamed on the desktop" : "renamed on the handheld");
        fs::remove_all(Handheld("My Documents"));
        fs::remove_all(Desktop("Internal"));
        Write(InternalHandheld("IMG_0001.JPG"), "the photo", kT0);
        ASSERT_EQ(0, Run());
        std::string renamed = c.onDesktop ? InternalDesktop("IMG_0001") : InternalHandheld("IMG_0001");
        fs::rename(renamed + ".JPG", renamed + ".jpg");
        Remember();

        EXPECT_EQ(0, Run());
        ExpectNothingLost();
        EXPECT_TRUE(Saw(c.line));
        EXPECT_FALSE(SawAny("Removing"));
        EXPECT_EQ("the photo", Read(InternalHandheld("IMG_0001.jpg")));
        EXPECT_EQ("the photo", Read(InternalDesktop("IMG_0001.jpg")));
        EXPECT_FALSE(Exists(InternalHandheld("IMG_0001.JPG")));
        EXPECT_FALSE(Exists(InternalDesktop("IMG_0001.JPG")));
        ExpectQuietRun();
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(PhotoSafetyTest, NamesThatDifferOnlyInCaseAreReportedAndLeftAlone) {
    struct Case {
        const char* what;
        bool onDesktop;
        bool syncedBefore;  // "a.jpg" was in step before "A.jpg" appeared
    } cases[] = {
        {"two new names on the desktop", true, false},
        {"a second name on the desktop", true, true},
        {"two new names on the handheld", false, false},
        {"a second name on the handheld", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Handheld("My Documents"));
        fs::remove_all(Desktop("Internal"));
        auto side = [&](const std::string& name) { return c.onDesktop ? InternalDesktop(name) : InternalHandheld(name); };
        Write(InternalHandheld("other.jpg"), "other", kT0);
        if (c.syncedBefore) {
            Write(side("a.jpg"), "lower", kT0);
            ASSERT_EQ(0, Run());
        } else {
            Write(side("a.jpg"), "lower", kT0);
        }
        Write(side("A.jpg"), "upper", kT0 + 10);
        Remember();

        for (int run = 0; run < 2; ++run) {
            EXPECT_EQ(0, Run());
            ExpectNothingLost();
            EXPECT_EQ(1, CountMessages("**** \"A.jpg\" and \"a.jpg\" differ only in letter case; neither is "
                                       "synchronised until one of them is renamed.") +
                             CountMessages("**** \"a.jpg\" and \"A.jpg\" differ only in letter case; neither is "
                                           "synchronised until one of them is renamed."));
            EXPECT_EQ(1u, messages.size());
            EXPECT_EQ("lower", Read(side("a.jpg")));
            EXPECT_EQ("upper", Read(side("A.jpg")));
            EXPECT_EQ("other", Read(InternalDesktop("other.jpg")));
        }
        // Once the user removes one, the other is synchronised as usual.
        unlink(side("A.jpg").c_str());
        EXPECT_EQ(0, Run());
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ("lower", Read(InternalHandheld("a.jpg")));
        EXPECT_EQ("lower", Read(InternalDesktop("a.jpg")));
    }
}

TEST_F(PhotoSafetyTest, ASecondRunAtTheSameTimeIsRefusedWithAMessage) {
    Write(InternalHandheld("a.jpg"), "a", kT0);
    struct Case {
        const char* what;
        std::string folder;
    } cases[] = {{"desktop folder taken", DesktopRoot()}, {"device taken", Handheld("")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int fd = open(c.folder.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(0, flock(fd, LOCK_EX | LOCK_NB));
        EXPECT_EQ(static_cast<long>(ERROR_BUSY), Run());
        EXPECT_EQ(1, CountMessages("Another synchronisation with this handheld or into this desktop folder is "
                                   "running; try again when it has finished."));
        EXPECT_EQ(1u, messages.size());
        EXPECT_FALSE(Exists(InternalDesktop("a.jpg")));
        close(fd);
    }
    EXPECT_EQ(0, Run());
    EXPECT_EQ("a", Read(InternalDesktop("a.jpg")));
}

TEST_F(PhotoSafetyTest, TemporaryFilesOfARunThatStoppedAreRemoved) {
    Write(InternalHandheld("~~KvTempFile~~123-4.~kv"), "half");
    Write(InternalDesktop("~~KvTempFile~~123-5.~kv"), "half");
    Write(InternalHandheld("a.jpg"), "a", kT0);
    EXPECT_EQ(0, Run());
    EXPECT_FALSE(Exists(InternalHandheld("~~KvTempFile~~123-4.~kv")));
    EXPECT_FALSE(Exists(InternalDesktop("~~KvTempFile~~123-5.~kv")));
    EXPECT_EQ("a", Read(InternalDesktop("a.jpg")));
}

TEST_F(PhotoSafetyTest, AHandheldFolderThatIsGoneOrUnreadableDeletesNothing) {
    struct Case {
        const char* what;
        bool vanish;  // else the listing fails
        int mode;
    } cases[] = {
        {"folder gone, merge", true, 0},
        {"listing fails, merge", false, 0},
        {"folder gone, handheld overwrites", true, 2},
        {"listing fails, handheld overwrites", false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Handheld("My Documents"));
        fs::remove_all(Desktop("Internal"));
        FaultInjection::Reset();
        Write(InternalHandheld("a.jpg"), "a", kT0);
        Write(InternalHandheld("b.jpg"), "b", kT0);
        ASSERT_EQ(0, Run());
        std::vector<uint8_t> record = ReadHostFile(InternalDesktop("_LastSyncCache"));
        if (c.vanish) fs::remove_all(Handheld("My Documents/Kestrelview"));
        else FaultInjection::FailPath(RapiCallKind::FindAllFiles, u"\\My Documents\\Kestrelview\\*", 1, ERROR_READ_FAULT, 10);
        Remember();

        EXPECT_NE(0, Run(c.mode));
        ExpectNothingLost();
        EXPECT_EQ("a", Read(InternalDesktop("a.jpg")));
        EXPECT_EQ("b", Read(InternalDesktop("b.jpg")));
        EXPECT_FALSE(SawAny("Removing"));
        std::string text = c.vanish ? "**** The handheld folder \"\\My Documents\\Kestrelview\" is missing; nothing "
                                      "was deleted there or on the desktop."
                                    : "**** The handheld folder \"\\My Documents\\Kestrelview\" could not be read; "
                                      "nothing was deleted there or on the desktop.";
        EXPECT_EQ(1, CountMessages(text));
        EXPECT_EQ(record, ReadHostFile(InternalDesktop("_LastSyncCache")));
    }
}

TEST_F(PhotoSafetyTest, AnUnreadablePhotoKeepsItsCopyOnTheOtherSide) {
    struct Case {
        const char* what;
        bool handheldUnreadable;
    } cases[] = {{"handheld photo unreadable", true}, {"desktop photo unreadable", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Handheld("My Documents"));
        fs::remove_all(Desktop("Internal"));
        FaultInjection::Reset();
        DesktopFaults::Reset();
        Write(InternalHandheld("a.jpg"), "first", kT0);
        ASSERT_EQ(0, Run());
        // Changed on one side, then unreadable there; a later photo is new.
        if (c.handheldUnreadable) {
            Write(InternalHandheld("a.jpg"), "second", kT0 + 100);
            Write(InternalHandheld("z.jpg"), "later", kT0);
            FaultInjection::FailPath(RapiCallKind::ReadFile, u"a.jpg", 1, ERROR_READ_FAULT, 1000);
        } else {
            Write(InternalDesktop("a.jpg"), "second", kT0 + 100);
            Write(InternalDesktop("z.jpg"), "later", kT0);
            DesktopFaults::FailCall(DesktopCall::OpenRead, 1, ERROR_ACCESS_DENIED, "a.jpg");
            DesktopFaults::FailCall(DesktopCall::OpenRead, 2, ERROR_ACCESS_DENIED, "a.jpg");
        }
        Remember();
        for (int run = 0; run < 2; ++run) {
            EXPECT_EQ(0, Run());
            ExpectNothingLost();
            EXPECT_FALSE(SawAny("Removing"));
            EXPECT_EQ("later", Read(c.handheldUnreadable ? InternalDesktop("z.jpg") : InternalHandheld("z.jpg")));
            EXPECT_EQ(1u, messages.size());
        }
        // Readable again: the changed photo reaches the other side.
        FaultInjection::Reset();
        DesktopFaults::Reset();
        EXPECT_EQ(0, Run());
        EXPECT_EQ("second", Read(InternalDesktop("a.jpg")));
        EXPECT_EQ("second", Read(InternalHandheld("a.jpg")));
    }
}

TEST_F(PhotoSafetyTest, ANewCardIsMergedWhateverTheMode) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        std::string name = "Card" + std::to_string(mode);
        std::string card = AddCard(name);
        Write(card + "/volID.txt", "00000000CAFE000" + std::to_string(mode));
        Write(card + "/DCIM/100CANON/IMG_0001.JPG", "camera " + name, kT0);
        Write(card + "/My Documents/Kestrelview/p.jpg", "photo " + name, kT0);
        Remember();
        EXPECT_EQ(0, Run(mode));
        ExpectNothingLost();
        EXPECT_EQ("camera " + name, Read(card + "/DCIM/100CANON/IMG_0001.JPG"));
        EXPECT_EQ("photo " + name, Read(card + "/My Documents/Kestrelview/p.jpg"));
        std::string desk = Desktop("00000000CAFE000" + std::to_string(mode));
        EXPECT_EQ("camera " + name, Read(desk + "/DCIM/100CANON/IMG_0001.JPG"));
        EXPECT_EQ("photo " + name, Read(desk + "/Kestrelview/p.jpg"));
        if (mode != 0) {
            EXPECT_EQ(1, CountMessages("The desktop folder \"" + desk +
                                       "/DCIM\" is new, so it was merged with the handheld instead of "
                                       "overwriting either side."));
        }
        unlink(Handheld(name).c_str());
    }
}

TEST_F(PhotoSafetyTest, AnUnreadableDesktopEntryIsReportedAndSkipped) {
    std::string card = AddCard();
    Write(card + "/volID.txt", "CAFEBABE00000009");
    Write(card + "/My Documents/Kestrelview/c.jpg", "card", kT0);
    Write(InternalDesktop("a.jpg"), "a", kT0);
    ASSERT_EQ(0, symlink("/nonexistent/target.jpg", InternalDesktop("broken.jpg").c_str()));
    Write(InternalDesktop("later.jpg"), "later", kT0);
    Remember();

    EXPECT_EQ(0, Run());
    ExpectNothingLost();
    EXPECT_EQ(1, CountMessages("**** Could not read \"" + InternalDesktop("broken.jpg") + "\" (2); it was skipped."));
    EXPECT_EQ("a", Read(InternalHandheld("a.jpg")));
    EXPECT_EQ("later", Read(InternalHandheld("later.jpg")));
    EXPECT_EQ("card", Read(Desktop("CAFEBABE00000009/Kestrelview/c.jpg")));
    EXPECT_TRUE(fs::is_symlink(InternalDesktop("broken.jpg")));
}

}  // namespace

namespace {

// Times are turned into local time with the offset in force at the file's
// own time, never today's, so photos from either side of a change of
// daylight-saving time, and one stamped inside the hour the spring change
// skips, are not sent again run after run.
TEST_F(PhotoSafetyTest, DaylightSavingChangesSendNothingAgain) {
    ScopedTimeZone zone("Europe/Berlin");
    struct Stamp {
        const char* name;
        SystemTime local;
    } stamps[] = {
        {"winter.jpg", {2024, 1, 0, 15, 12, 0, 0, 0}},
        {"summer.jpg", {2024, 7, 0, 15, 12, 0, 0, 0}},
        {"skipped.jpg", {2024, 3, 0, 31, 2, 30, 0, 0}},  // 02:30 does not exist that night
        {"twice.jpg", {2024, 10, 0, 27, 2, 30, 0, 0}},   // 02:30 comes twice that night
    };
    for (const Stamp& s : stamps) {
        // The handheld keeps local times as they are.
        FileTime local = 0;
        ASSERT_TRUE(SystemTimeToFileTime(s.local, local));
        Write(InternalHandheld(s.name), s.name);
        FileTime raw = local;
        int64_t unix = UnixSecondsFromFileTime(raw);
        SetTime(InternalHandheld(s.name), static_cast<time_t>(unix));
    }
    Remember();
    ASSERT_EQ(0, Run());
    ExpectNothingLost();
    for (int run = 0; run < 2; ++run) ExpectQuietRun();
    EXPECT_TRUE(messages.empty());
}

}  // namespace
