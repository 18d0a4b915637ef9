#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/Time.h"

class DeviceFolder;

constexpr uint32_t GENERIC_READ = 0x80000000u;
constexpr uint32_t GENERIC_WRITE = 0x40000000u;
constexpr uint32_t FILE_SHARE_READ = 1;
constexpr uint32_t FILE_SHARE_WRITE = 2;
constexpr uint32_t CREATE_NEW = 1;
constexpr uint32_t CREATE_ALWAYS = 2;
constexpr uint32_t OPEN_EXISTING = 3;
constexpr uint32_t OPEN_ALWAYS = 4;
constexpr uint32_t TRUNCATE_EXISTING = 5;
constexpr uint32_t FILE_BEGIN = 0;
constexpr uint32_t FILE_CURRENT = 1;
constexpr uint32_t FILE_END = 2;

// An open file; the destructor closes it. Every call returns 0 or a Windows
// error number. Sharing: a file opened with share mode 0 cannot be opened
// again, by this or another process, until it is closed (ERROR_SHARING_
// VIOLATION); opens that share coexist with each other.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Handheld path on the current device folder, or on the given one.
    uint32_t Open(std::u16string_view path, uint32_t access, uint32_t share, uint32_t disposition);
    uint32_t Open(const DeviceFolder& device, std::u16string_view path, uint32_t access,
                  uint32_t share, uint32_t disposition);
    // A host path (desktop files, tests).
    uint32_t OpenHost(const std::string& hostPath, uint32_t access, uint32_t share,
                      uint32_t disposition);

    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    uint32_t Read(void* buffer, uint32_t count, uint32_t& done);
    uint32_t Write(const void* data, uint32_t count, uint32_t& done);
    // Copies up to `count` bytes from this file's position to `to`'s, both
    // positions moving on; done < count only at the end of this file. The
    // kernel copies (copy_file_range) where the file systems allow it, so
    // the bytes never pass through this process; else through a buffer.
    uint32_t CopyTo(File& to, uint32_t count, uint32_t& done);
    uint32_t Seek(int64_t distance, uint32_t method, uint64_t* position = nullptr);
    uint32_t GetSize(uint64_t& size) const;
    uint32_t SetEndOfFile();  // at the current position
    // Makes what was written reach the disk before, say, a rename relies on it.
    uint32_t Flush();
    // Starts writing the file's data out without waiting for it, so that a
    // later flush has less left to wait for. A hint: nothing is reported.
    void StartWriteback();
    uint32_t GetTimes(FileTime* creation, FileTime* lastAccess, FileTime* lastWrite) const;
    uint32_t SetTimes(const FileTime* creation, const FileTime* lastAccess,
                      const FileTime* lastWrite);

    // Files opened through this layer since the process started (tests count
    // which operations touch image files).
    static uint64_t OpenCount();

private:
    int m_fd = -1;
    std::string m_hostPath;
};
