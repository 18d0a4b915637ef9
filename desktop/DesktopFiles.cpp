#include "desktop/DesktopFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/base/File.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

uint32_t ReadDesktopFile(const std::string& path, std::vector<uint8_t>& data) {
    data.clear();
    File file;
    if (uint32_t err = file.OpenHost(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) return err;
    uint64_t size = 0;
    if (uint32_t err = file.GetSize(size)) return err;
    if (size > kMaxDesktopFileSize) return ERROR_NOT_ENOUGH_MEMORY;
    data.resize(static_cast<size_t>(size));
    uint32_t got = 0;
    if (uint32_t err = file.Read(data.data(), static_cast<uint32_t>(data.size()), got)) return err;
    data.resize(got);
    return 0;
}

uint32_t CreateDesktopFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return 0;
    int err = errno;
    struct stat st {};
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return 0;
    return err == EEXIST ? ERROR_ALREADY_EXISTS : WinErrorFromErrno(err, path);
}

uint32_t DeleteDesktopFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : WinErrorFromErrno(errno, path);
}

uint32_t RenameDesktopFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : WinErrorFromErrno(errno, to);
}

uint32_t SetDesktopFileTimes(const std::string& path, uint32_t creation, uint32_t lastWrite) {
    File file;
    if (uint32_t err = file.OpenHost(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING)) return err;
    FileTime created = LocalFileTimeToFileTime(LocalFileTimeFromSeconds1904(creation));
    FileTime written = LocalFileTimeToFileTime(LocalFileTimeFromSeconds1904(lastWrite));
    return file.SetTimes(&created, nullptr, &written);
}
