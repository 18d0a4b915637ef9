#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <functional>
#include <map>

#include "desktop/DesktopFaults.h"
#include "desktop/LastSyncCache.h"
#include "desktop/SideCopy.h"

#include "platform/base/WinError.h"
#include "tests/desktop/SyncFixture.h"

namespace {

namespace stdfs = std::filesystem;
constexpr time_t kT0 = 1700000000;

// Every copy block of a two-file run (one file each way) is interrupted in
// turn: cancelled by the host, or failed by the handheld. Nothing partial
// may be left, and a clean run afterwards must reach the state of a run
// that was never interrupted.
class FaultSweepTest : public SyncFixture {
protected:
    using Snapshot = std::map<std::string, std::string>;

    void Prepare() {
        stdfs::remove_all(Handheld("My Documents"));
        stdfs::remove_all(Desktop("Internal"));
        Write(InternalHandheld("hand.jpg"), Big(3 * CSideCopy::kBlockSize + 100, 'h'), kT0);
        Write(InternalDesktop("desk.jpg"), Big(2 * CSideCopy::kBlockSize, 'd'), kT0 + 50);
        FaultInjection::Reset();
        cancelAtTick = 0;
    }

    Snapshot Take() const {
        Snapshot s;
        for (const std::string& root : {Handheld("My Documents"), Desktop("Internal")}) {
            for (const auto& e : stdfs::recursive_directory_iterator(root)) {
                if (!e.is_regular_file() || e.path().filename() == "_LastSyncCache") continue;
                s[e.path().string().substr(root.size())] = Read(e.path().string());
            }
        }
        return s;
    }

    static bool HasTemporaryFile(const Snapshot& s) {
        for (const auto& [path, content] : s)
            if (path.find("~~KvTempFile~~") != std::string::npos) return true;
        return false;
    }
};

TEST_F(FaultSweepTest, EveryBlockCanBeInterruptedSafely) {
    Prepare();
    ASSERT_EQ(0, Run());
    const Snapshot reference = Take();
    const int blocks = ticks;
    ASSERT_EQ(7, blocks);  // 4 blocks to the desktop, 3 to the handheld
    const std::string handContent = Big(3 * CSideCopy::kBlockSize + 100, 'h');
    const std::string deskContent = Big(2 * CSideCopy::kBlockSize, 'd');

    enum Fault { Cancel, ReadFails, WriteFails };
    for (Fault fault : {Cancel, ReadFails, WriteFails}) {
        for (int k = 1; k <= blocks; ++k) {
            SCOPED_TRACE("fault " + std::to_string(fault) + " at block " + std::to_string(k));
            Prepare();
            if (fault == Cancel) cancelAtTick = k;
            if (fault == ReadFails) FaultInjection::FailCall(RapiCallKind::ReadFile, k, ERROR_READ_FAULT);
            if (fault == WriteFails) FaultInjection::FailCall(RapiCallKind::WriteFile, k, ERROR_DISK_FULL);
            EXPECT_EQ(0, Run());

            Snapshot after = Take();
            EXPECT_FALSE(HasTemporaryFile(after));
            // Each copy is either whole or absent.
            for (const auto& [path, content] : after) {
                const std::string& whole = path.find("hand.jpg") != std::string::npos ? handContent : deskContent;
                EXPECT_EQ(whole, content) << path;
            }

            FaultInjection::Reset();
            cancelAtTick = 0;
            EXPECT_EQ(0, Run());
            EXPECT_EQ(reference, Take());
            EXPECT_EQ(0, Run());
            EXPECT_EQ(reference, Take());
        }
    }
}

}  // namespace

namespace {

// Every call a run makes on either side fails in turn, while new and
// changed photos travel both ways and both category databases change: no
// photo may be lost or hold another's bytes, no temporary file may stay,
// each database and last-run record is the old one or the new one, and a
// clean run afterwards reaches the state of a run never interrupted.
class CallSweepTest : public FaultSweepTest {
protected:
    static std::vector<uint8_t> Database(std::initializer_list<std::pair<uint8_t, const char*>> records) {
        std::vector<uint8_t> db = {0x00, 0x01, 0x00, 0x00};
        for (const auto& [id, name] : records) {
            std::vector<uint8_t> r(46, 0);
            r[7] = id;
            r[11] = 1;  // a time
            std::memcpy(r.data() + 14, name, std::strlen(name));
            db.insert(db.end(), r.begin(), r.end());
        }
        return db;
    }
    std::string HandheldDb() const { return Handheld("Program Files/Farrowdale/Kestrelview/_CategoryDB"); }
    std::string DesktopDb() const { return Desktop("_CategoryDB"); }

    void PrepareChanges() {
        stdfs::remove_all(Handheld("My Documents"));
        stdfs::remove_all(Handheld("Program Files"));
        stdfs::remove_all(Desktop("Internal"));
        stdfs::remove(DesktopDb());
        FaultInjection::Reset();
        DesktopFaults::Reset();
        Write(InternalHandheld("both.jpg"), Big(5000, 'o'), kT0);
        Write(InternalHandheld("kept.jpg"), Big(4096, 'k'), kT0);
        ASSERT_EQ(0, Run());
        Write(InternalHandheld("both.jpg"), Big(9000, 'n'), kT0 + 100);
        Write(InternalDesktop("kept.jpg"), Big(300, 'e'), kT0 + 100);
        Write(InternalHandheld("hand.jpg"), Big(4097, 'h'), kT0);
        Write(InternalDesktop("desk.jpg"), Big(8192, 'd'), kT0);
        WriteHostFile(HandheldDb(), Database({{1, "Hand"}}));
        WriteHostFile(DesktopDb(), Database({{2, "Desk"}}));
        FaultInjection::Reset();
        DesktopFaults::Reset();
    }
    std::vector<uint8_t> Record() const { return ReadHostFile(InternalDesktop("_LastSyncCache")); }
};

TEST_F(CallSweepTest, EveryCallOnEitherSideCanFailSafely) {
    PrepareChanges();
    ASSERT_EQ(0, Run());
    const Photos handReference = HandheldPhotos(), deskReference = DesktopPhotos();
    const std::vector<uint8_t> dbReference = ReadHostFile(DesktopDb());
    ASSERT_EQ(dbReference, ReadHostFile(HandheldDb()));
    std::map<RapiCallKind, uint32_t> handheldCalls;
    for (RapiCallKind k : {RapiCallKind::CreateFile, RapiCallKind::ReadFile, RapiCallKind::WriteFile,
                           RapiCallKind::MoveFile, RapiCallKind::DeleteFile, RapiCallKind::SetFileTime,
                           RapiCallKind::GetFileTime, RapiCallKind::FindAllFiles, RapiCallKind::CreateDirectory})
        handheldCalls[k] = FaultInjection::CallCount(k);
    std::map<DesktopCall, uint32_t> desktopCalls;
    for (int k = 0; k < static_cast<int>(DesktopCall::Count); ++k)
        desktopCalls[static_cast<DesktopCall>(k)] = DesktopFaults::CallCount(static_cast<DesktopCall>(k));

    auto check = [&](const std::string& what, const std::function<void()>& inject) {
        SCOPED_TRACE(what);
        PrepareChanges();
        const Photos hand = HandheldPhotos(), desk = DesktopPhotos();
        const std::vector<uint8_t> record = Record(), handDb = ReadHostFile(HandheldDb()),
                                   deskDb = ReadHostFile(DesktopDb());
        inject();
        Run();
        FaultInjection::Reset();
        DesktopFaults::Reset();
        ExpectNoPhotoLost(hand, desk, HandheldPhotos(), DesktopPhotos());
        Snapshot all = Take();
        EXPECT_FALSE(HasTemporaryFile(all));
        for (const auto& e : stdfs::directory_iterator(Handheld("Program Files/Farrowdale/Kestrelview")))
            EXPECT_EQ("_CategoryDB", e.path().filename()) << "a temporary file stayed";
        EXPECT_TRUE(ReadHostFile(HandheldDb()) == handDb || ReadHostFile(HandheldDb()) == dbReference);
        EXPECT_TRUE(ReadHostFile(DesktopDb()) == deskDb || ReadHostFile(DesktopDb()) == dbReference);
        CLastSyncCache loaded;
        EXPECT_TRUE(Record() == record || loaded.Load(InternalDesktop("_LastSyncCache")));

        EXPECT_EQ(0, Run());
        EXPECT_EQ(handReference, HandheldPhotos());
        EXPECT_EQ(deskReference, DesktopPhotos());
        EXPECT_EQ(dbReference, ReadHostFile(DesktopDb()));
        EXPECT_EQ(dbReference, ReadHostFile(HandheldDb()));
    };
    for (const auto& [kind, count] : handheldCalls) {
        for (uint32_t n = 1; n <= count; ++n) {
            check("handheld call kind " + std::to_string(int(kind)) + " #" + std::to_string(n),
                  [&] { FaultInjection::FailCall(kind, n, ERROR_GEN_FAILURE); });
        }
    }
    for (const auto& [kind, count] : desktopCalls) {
        for (uint32_t n = 1; n <= count; ++n) {
            check("desktop call kind " + std::to_string(int(kind)) + " #" + std::to_string(n),
                  [&] { DesktopFaults::FailCall(kind, n, ERROR_GEN_FAILURE); });
        }
    }
}

}  // namespace
