#include <gtest/gtest.h>

#include <filesystem>
#include <map>

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
        Write(InternalHandheld("hand.jpg"), Big(3 * 4096 + 100, 'h'), kT0);
        Write(InternalDesktop("desk.jpg"), Big(2 * 4096, 'd'), kT0 + 50);
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
    const std::string handContent = Big(3 * 4096 + 100, 'h');
    const std::string deskContent = Big(2 * 4096, 'd');

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
