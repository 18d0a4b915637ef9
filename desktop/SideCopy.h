#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "desktop/SyncSide.h"

// The one copy loop of a run, for both directions: a file of one side goes
// into a folder of the other in blocks, through a temporary file that takes
// the target's place in one step only when whole and stamped with the
// time; on any failure the target is as it was and the temporary file is
// gone. tick is called after every block and stops the copy with its
// non-zero result (a cancellation). kept receives the time the target's
// side kept.
class CSideCopy {
public:
    // Large enough that a photo takes a handful of calls; where both files
    // are desktop files the kernel copies each block without this process
    // touching the bytes.
    static constexpr uint32_t kBlockSize = 64 * 1024;

    explicit CSideCopy(std::function<int32_t()> tick) : m_tick(std::move(tick)) {}
    int32_t Copy(ISyncSide& from, const std::string& fromPath, ISyncSide& to, const std::string& toFolder,
                 const std::string& name, uint32_t time, uint32_t& kept);
    // The first half of Copy: the whole file, stamped and closed, under the
    // temporary name given back in temp (removed again on failure). Putting
    // it in place is the caller's, once the data is safe on the disk.
    int32_t CopyToTemporary(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                            const std::string& toFolder, uint32_t time, uint32_t& kept, std::string& temp);

private:
    int32_t Blocks(ISideReader& in, ISideWriter& out);

    std::function<int32_t()> m_tick;
};
