#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/Time.h"

class DeviceFolder;

struct FindData {
    uint32_t attributes = 0;
    FileTime creationTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastWriteTime = 0;
    uint64_t size = 0;
    std::u16string name;  // without folder
};

// FindFirstFile / FindNextFile over one folder, entries in the order the
// file system returns them, "." and ".." left out. The pattern is a folder,
// a backslash and a name pattern with '*' and '?' matched without regard to
// case ("*.*" matches every name).
class FileFinder {
public:
    FileFinder();
    ~FileFinder();
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND when
    // the folder does not exist.
    uint32_t First(std::u16string_view pattern, FindData& out);
    uint32_t First(const DeviceFolder& dev, std::u16string_view pattern, FindData& out);
    uint32_t Next(FindData& out);  // ERROR_NO_MORE_FILES at the end
    void Close();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
