#include "platform/base/CrossDeviceMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/WinError.h"

namespace {
std::string ParentOf(const std::string& host) {
    const size_t slash = host.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : host.substr(0, slash));
}

// A renamed or removed entry is on disk once its folder is.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// Every byte of `in` into `out`; 0 or errno.
int CopyAll(int in, int out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) return 0;
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out, buffer + written, size_t(n - written));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return w < 0 ? errno : EIO;
            written += w;
        }
    }
}

// The copy under the temporary name, flushed to disk with the original's
// times; 0 or errno.
int WriteCopy(int in, const struct stat& st, const std::string& temp) {
    Fd out{::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0777)};
    if (out.fd < 0) return errno;
    if (const int err = CopyAll(in, out.fd)) return err;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.fd, times);
    if (::fsync(out.fd) != 0) return errno;
    const int fd = out.fd;
    out.fd = -1;
    return ::close(fd) == 0 ? 0 : errno;
}
}  // namespace

uint32_t CopyThenDelete(const std::string& from, const std::string& to) {
    Fd in{::open(from.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) return WinErrorFromErrno(errno, from);
    struct stat st{};
    if (::fstat(in.fd, &st) != 0) return WinErrorFromErrno(errno, from);
    struct stat existing{};
    if (::lstat(to.c_str(), &existing) == 0) return ERROR_ALREADY_EXISTS;

    const std::string temp = to + ".kvpart";
    if (const int err = WriteCopy(in.fd, st, temp)) {
        ::unlink(temp.c_str());
        return WinErrorFromErrno(err, to);
    }
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return err == EEXIST ? ERROR_ALREADY_EXISTS : WinErrorFromErrno(err, to);
    }
    SyncFolder(ParentOf(to));
    // Only now, with the copy on disk under its name, may the original go.
    // When it cannot, the copy goes instead: a failed move leaves the file
    // where it was.
    if (::unlink(from.c_str()) != 0) {
        const int err = errno;
        ::unlink(to.c_str());
        SyncFolder(ParentOf(to));
        return WinErrorFromErrno(err, from);
    }
    SyncFolder(ParentOf(from));
    return ERROR_SUCCESS;
}
