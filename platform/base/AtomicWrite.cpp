#include "platform/base/AtomicWrite.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/WinError.h"

namespace {

int OpenUniqueTemporary(const std::string& path, int mode, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".~" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            mode >= 0 ? mode : 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

uint32_t ErrorOf(int err) { return err == ENOSPC ? ERROR_DISK_FULL : WinErrorFromErrno(err); }

// The rename itself is made durable by flushing the folder that holds it.
void FlushFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

uint32_t ReplaceHostFile(const std::string& path, const std::function<bool(FILE*)>& write, int mode) {
    std::string temp;
    const int fd = OpenUniqueTemporary(path, mode, temp);
    if (fd < 0) return WinErrorFromErrno(errno, path);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        const int err = errno;
        close(fd);
        unlink(temp.c_str());
        return WinErrorFromErrno(err);
    }
    uint32_t result = 0;
    errno = 0;
    if (!write(file) || fflush(file) != 0 || ferror(file))
        result = errno ? ErrorOf(errno) : ERROR_WRITE_FAULT;
    if (result == 0 && mode >= 0 && fchmod(fd, mode) != 0) result = ErrorOf(errno);
    if (result == 0 && fsync(fd) != 0) result = ErrorOf(errno);
    if (fclose(file) != 0 && result == 0) result = ErrorOf(errno);
    if (result == 0 && rename(temp.c_str(), path.c_str()) != 0) result = WinErrorFromErrno(errno, path);
    if (result != 0) {
        unlink(temp.c_str());
        return result;
    }
    FlushFolderOf(path);
    return 0;
}

uint32_t ReplaceHostFile(const std::string& path, std::string_view bytes, int mode) {
    return ReplaceHostFile(
        path, [&](FILE* file) { return fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(); },
        mode);
}
