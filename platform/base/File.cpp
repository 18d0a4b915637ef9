#include "platform/base/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <new>

#include "platform/base/DeviceFolder.h"
#include "platform/base/FileStat.h"
#include "platform/base/WinError.h"

namespace {
std::atomic<uint64_t> g_openCount{0};

int OpenFlags(uint32_t access, uint32_t disposition) {
    int flags = O_CLOEXEC;
    const bool read = access & GENERIC_READ;
    const bool write = access & GENERIC_WRITE;
    flags |= write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    default: break;
    }
    return flags;
}

bool Truncates(uint32_t disposition) {
    return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
}
}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : m_fd(other.m_fd), m_hostPath(std::move(other.m_hostPath)) {
    other.m_fd = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_hostPath = std::move(other.m_hostPath);
        other.m_fd = -1;
    }
    return *this;
}

uint32_t File::Open(std::u16string_view path, uint32_t access, uint32_t share, uint32_t disposition) {
    return Open(DeviceFolder::Current(), path, access, share, disposition);
}

uint32_t File::Open(const DeviceFolder& device, std::u16string_view path, uint32_t access,
                    uint32_t share, uint32_t disposition) {
    std::string host;
    if (const uint32_t err = device.ToHost(path, host)) return err;
    return OpenHost(host, access, share, disposition);
}

uint32_t File::OpenHost(const std::string& hostPath, uint32_t access, uint32_t share,
                        uint32_t disposition) {
    Close();
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
    // The read-only attribute is honoured here rather than left to the
    // permission bits, which do not bind the superuser.
    if ((access & GENERIC_WRITE) || Truncates(disposition)) {
        FileStat st;
        if (StatHost(hostPath, st) == ERROR_SUCCESS) {
            if (st.isDirectory) return ERROR_ACCESS_DENIED;
            if (st.readOnly) return ERROR_ACCESS_DENIED;
        }
    }
    const int fd = ::open(hostPath.c_str(), OpenFlags(access, disposition), 0644);
    if (fd < 0) {
        const int err = errno;
        return err == EEXIST ? ERROR_FILE_EXISTS : WinErrorFromErrno(err, hostPath);
    }
    struct stat st{};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;
    }
    // Share mode 0 excludes every other open; sharing opens coexist.
    if (flock(fd, (share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        return ERROR_SHARING_VIOLATION;
    }
    if (Truncates(disposition) && ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        return WinErrorFromErrno(err, hostPath);
    }
    m_fd = fd;
    m_hostPath = hostPath;
    ++g_openCount;
    return ERROR_SUCCESS;
}

void File::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

uint32_t File::Read(void* buffer, uint32_t count, uint32_t& done) {
    done = 0;
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return WinErrorFromErrno(errno);
        }
        if (n == 0) break;
        done += static_cast<uint32_t>(n);
    }
    return ERROR_SUCCESS;
}

uint32_t File::Write(const void* data, uint32_t count, uint32_t& done) {
    done = 0;
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    const auto* in = static_cast<const uint8_t*>(data);
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return WinErrorFromErrno(errno);
        }
        if (n == 0) return ERROR_WRITE_FAULT;
        done += static_cast<uint32_t>(n);
    }
    return ERROR_SUCCESS;
}

uint32_t File::CopyTo(File& to, uint32_t count, uint32_t& done) {
    done = 0;
    if (m_fd < 0 || to.m_fd < 0) return ERROR_INVALID_HANDLE;
    while (done < count) {
        const ssize_t n = ::copy_file_range(m_fd, nullptr, to.m_fd, nullptr, count - done, 0);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            continue;
        }
        if (n == 0) return ERROR_SUCCESS;
        if (errno == EINTR) continue;
        // Not offered between these files: the rest goes through a buffer.
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) break;
        return errno == ENOSPC ? ERROR_DISK_FULL : WinErrorFromErrno(errno);
    }
    constexpr uint32_t kBuffer = 64 * 1024;
    std::unique_ptr<uint8_t[]> buffer;
    while (done < count) {
        if (!buffer) buffer.reset(new (std::nothrow) uint8_t[kBuffer]);
        if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
        uint32_t got = 0, put = 0;
        if (uint32_t err = Read(buffer.get(), std::min(kBuffer, count - done), got)) return err;
        if (got == 0) break;
        if (uint32_t err = to.Write(buffer.get(), got, put)) return err;
        done += got;
    }
    return ERROR_SUCCESS;
}

uint32_t File::Seek(int64_t distance, uint32_t method, uint64_t* position) {
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    const int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    if (method > FILE_END) return ERROR_INVALID_PARAMETER;
    const off_t at = ::lseek(m_fd, static_cast<off_t>(distance), whence);
    if (at < 0) return WinErrorFromErrno(errno);
    if (position) *position = static_cast<uint64_t>(at);
    return ERROR_SUCCESS;
}

uint32_t File::GetSize(uint64_t& size) const {
    size = 0;
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    struct stat st{};
    if (fstat(m_fd, &st) != 0) return WinErrorFromErrno(errno);
    size = static_cast<uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

uint32_t File::SetEndOfFile() {
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    const off_t at = ::lseek(m_fd, 0, SEEK_CUR);
    if (at < 0 || ftruncate(m_fd, at) != 0) return WinErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

uint32_t File::Flush() {
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    if (fsync(m_fd) != 0) return WinErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

void File::StartWriteback() {
    if (m_fd >= 0) ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

uint32_t File::GetTimes(FileTime* creation, FileTime* lastAccess, FileTime* lastWrite) const {
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    FileStat st;
    if (const uint32_t err = StatFd(m_fd, st)) return err;
    if (creation) *creation = st.creationTime;
    if (lastAccess) *lastAccess = st.lastAccessTime;
    if (lastWrite) *lastWrite = st.lastWriteTime;
    return ERROR_SUCCESS;
}

uint32_t File::SetTimes(const FileTime* /*creation*/, const FileTime* lastAccess,
                        const FileTime* lastWrite) {
    // The host keeps no settable creation time; it is left as it is.
    if (m_fd < 0) return ERROR_INVALID_HANDLE;
    struct timespec times[2];
    const auto toSpec = [](const FileTime* t, struct timespec& out) {
        if (!t) {
            out.tv_sec = 0;
            out.tv_nsec = UTIME_OMIT;
            return;
        }
        const int64_t ticks = static_cast<int64_t>(*t) - static_cast<int64_t>(kFileTimeUnixEpoch);
        int64_t sec = ticks / 10000000;
        int64_t rem = ticks % 10000000;
        if (rem < 0) {
            rem += 10000000;
            --sec;
        }
        out.tv_sec = static_cast<time_t>(sec);
        out.tv_nsec = static_cast<long>(rem * 100);
    };
    toSpec(lastAccess, times[0]);
    toSpec(lastWrite, times[1]);
    if (futimens(m_fd, times) != 0) return WinErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

uint64_t File::OpenCount() { return g_openCount.load(); }
