#include "platform/base/FileStat.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"

namespace {
FileTime FromStatx(const struct statx_timestamp& ts) { return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec); }

uint32_t FromStatxResult(const struct statx& sx, FileStat& out) {
    out.isDirectory = S_ISDIR(sx.stx_mode);
    out.readOnly = !(sx.stx_mode & S_IWUSR);
    out.size = sx.stx_size;
    out.lastAccessTime = FromStatx(sx.stx_atime);
    out.lastWriteTime = FromStatx(sx.stx_mtime);
    out.creationTime = (sx.stx_mask & STATX_BTIME) ? FromStatx(sx.stx_btime) : out.lastWriteTime;
    out.volume = uint64_t(sx.stx_dev_major) << 32 | sx.stx_dev_minor;
    out.fileIndex = sx.stx_ino;
    return ERROR_SUCCESS;
}

constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;
}  // namespace

uint32_t StatHost(const std::string& hostPath, FileStat& out) {
    struct statx sx{};
    if (statx(AT_FDCWD, hostPath.c_str(), 0, kStatxMask, &sx) != 0) {
        return WinErrorFromErrno(errno, hostPath);
    }
    return FromStatxResult(sx, out);
}

uint32_t StatFd(int fd, FileStat& out) {
    struct statx sx{};
    if (statx(fd, "", AT_EMPTY_PATH, kStatxMask, &sx) != 0) return WinErrorFromErrno(errno);
    return FromStatxResult(sx, out);
}

uint32_t HostAttributes(const std::string& hostPath, bool isRootEntry, uint32_t& attributes) {
    FileStat st;
    if (const uint32_t err = StatHost(hostPath, st)) return err;
    attributes = 0;
    if (st.readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
    if (st.isDirectory) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (isRootEntry) {
            struct stat self{}, parent{}, link{};
            const std::string parentPath = hostPath.substr(0, hostPath.find_last_of('/'));
            const bool isLink = lstat(hostPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
            const bool isMount = stat(hostPath.c_str(), &self) == 0 &&
                                 stat(parentPath.c_str(), &parent) == 0 && self.st_dev != parent.st_dev;
            if (isLink || isMount) attributes |= FILE_ATTRIBUTE_TEMPORARY;
        }
    } else {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    }
    return ERROR_SUCCESS;
}

uint32_t SetHostWriteTime(const std::string& hostPath, FileTime lastWrite) {
    const FileTime since1970 = lastWrite - kFileTimeUnixEpoch;
    struct timespec times[2] = {{0, UTIME_OMIT},
                                {static_cast<time_t>(since1970 / kFileTimeTicksPerSecond),
                                 static_cast<long>(since1970 % kFileTimeTicksPerSecond) * 100}};
    if (utimensat(AT_FDCWD, hostPath.c_str(), times, 0) != 0) return WinErrorFromErrno(errno, hostPath);
    return ERROR_SUCCESS;
}
