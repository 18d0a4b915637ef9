#pragma once
#include <cstdint>
#include <string>

#include "platform/base/Time.h"

// What the layer needs to know of a host file, in the handheld's terms.
struct FileStat {
    bool isDirectory = false;
    bool readOnly = false;  // no owner write permission
    uint64_t size = 0;
    FileTime creationTime = 0;  // birth time where kept, else last write
    FileTime lastAccessTime = 0;
    FileTime lastWriteTime = 0;
    // Which file this is, whatever path reached it (device and inode).
    uint64_t volume = 0;
    uint64_t fileIndex = 0;
};

uint32_t StatHost(const std::string& hostPath, FileStat& out);  // follows links
uint32_t StatFd(int fd, FileStat& out);
// Attributes of a host entry; isRootEntry makes mount points and links to
// folders storage cards.
uint32_t HostAttributes(const std::string& hostPath, bool isRootEntry, uint32_t& attributes);
// Gives a host file or folder that last-write time (the access time stays).
uint32_t SetHostWriteTime(const std::string& hostPath, FileTime lastWrite);
