#pragma once
#include <cstdint>
#include <string>

// Keeps the writers of a hive file apart across processes (the program and
// kvtool, or two copies of the program): a writer holds the lock while it
// reads the hive again, applies its own change and renames the result over
// the file, so no writer overwrites a change it has not read. The lock is
// taken on the hive's folder, which the rename leaves in place and which
// leaves no lock file behind. Readers need none: a rename replaces the file
// whole. Released when the object goes.
class HiveLock {
public:
    HiveLock() = default;
    ~HiveLock();
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

    // Waits for the lock of the hive at hivePath, making its folder when
    // missing. 0 or the Windows error of making or opening the folder; a
    // file system without locks is written unlocked, as before.
    uint32_t Acquire(const std::string& hivePath);

private:
    int m_fd = -1;
};
