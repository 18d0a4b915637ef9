#include "platform/base/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/CrossDeviceMove.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/FileStat.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {
std::string ParentOf(const std::string& host) { return host.substr(0, host.find_last_of('/')); }

bool SameEntry(const std::string& a, const std::string& b) {
    struct stat sa{}, sb{};
    return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

uint32_t GetFileAttributes(std::u16string_view path, uint32_t& attributes) {
    return GetFileAttributes(DeviceFolder::Current(), path, attributes);
}

uint32_t GetFileAttributes(const DeviceFolder& dev, std::u16string_view path, uint32_t& attributes) {
    attributes = INVALID_FILE_ATTRIBUTES;
    std::string host;
    if (const uint32_t err = dev.ToHost(path, host)) return err;
    return HostAttributes(host, ParentOf(host) == dev.Root(), attributes);
}

uint32_t SetFileAttributes(std::u16string_view path, uint32_t attributes) {
    return SetFileAttributes(DeviceFolder::Current(), path, attributes);
}

uint32_t SetFileAttributes(const DeviceFolder& dev, std::u16string_view path, uint32_t attributes) {
    std::string host;
    if (const uint32_t err = dev.ToHost(path, host)) return err;
    struct stat st{};
    if (stat(host.c_str(), &st) != 0) return WinErrorFromErrno(errno, host);
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else {
        mode |= S_IWUSR;
    }
    if (chmod(host.c_str(), mode) != 0) return WinErrorFromErrno(errno, host);
    return ERROR_SUCCESS;
}

uint32_t CreateDirectory(std::u16string_view path) { return CreateDirectory(DeviceFolder::Current(), path); }

uint32_t CreateDirectory(const DeviceFolder& dev, std::u16string_view path) {
    std::string host;
    if (const uint32_t err = dev.ToHost(path, host)) return err;
    if (mkdir(host.c_str(), 0755) != 0) return WinErrorFromErrno(errno, host);
    return ERROR_SUCCESS;
}

uint32_t RemoveDirectory(std::u16string_view path) { return RemoveDirectory(DeviceFolder::Current(), path); }

uint32_t RemoveDirectory(const DeviceFolder& dev, std::u16string_view path) {
    std::string host;
    if (const uint32_t err = dev.ToHost(path, host)) return err;
    if (host == dev.Root()) return ERROR_ACCESS_DENIED;
    if (rmdir(host.c_str()) != 0) return WinErrorFromErrno(errno, host);
    return ERROR_SUCCESS;
}

uint32_t DeleteFile(std::u16string_view path) { return DeleteFile(DeviceFolder::Current(), path); }

uint32_t DeleteFile(const DeviceFolder& dev, std::u16string_view path) {
    std::string host;
    if (const uint32_t err = dev.ToHost(path, host)) return err;
    FileStat st;
    if (const uint32_t err = StatHost(host, st)) return err;
    // A read-only file is not deleted, whoever asks.
    if (st.isDirectory || st.readOnly) return ERROR_ACCESS_DENIED;
    if (unlink(host.c_str()) != 0) return WinErrorFromErrno(errno, host);
    return ERROR_SUCCESS;
}

uint32_t MoveFile(std::u16string_view from, std::u16string_view to) {
    return MoveFile(DeviceFolder::Current(), from, to);
}

uint32_t MoveFile(const DeviceFolder& dev, std::u16string_view from, std::u16string_view to) {
    std::string hostFrom, hostTo;
    if (const uint32_t err = dev.ToHost(from, hostFrom)) return err;
    if (const uint32_t err = dev.ToHost(to, hostTo)) return err;
    struct stat st{};
    if (lstat(hostFrom.c_str(), &st) != 0) return WinErrorFromErrno(errno, hostFrom);
    // The target keeps the letter case it was given; an existing entry that
    // matches it ignoring case is a clash unless it is the source itself.
    const size_t nameAt = to.find_last_of(u'\\');
    const std::u16string_view name = nameAt == std::u16string_view::npos ? to : to.substr(nameAt + 1);
    const std::string target = ParentOf(hostTo) + "/" + Utf16ToUtf8(name);
    struct stat existing{};
    if (lstat(hostTo.c_str(), &existing) == 0 && !SameEntry(hostFrom, hostTo)) return ERROR_ALREADY_EXISTS;
    if (renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, target.c_str(),
                  SameEntry(hostFrom, hostTo) ? 0 : RENAME_NOREPLACE) == 0) {
        return ERROR_SUCCESS;
    }
    const int err = errno;
    if (err == EEXIST) return ERROR_ALREADY_EXISTS;
    if (err == EXDEV && S_ISREG(st.st_mode)) return CopyThenDelete(hostFrom, target);
    return WinErrorFromErrno(err, err == ENOENT ? target : hostFrom);
}

uint32_t MoveFileReplacing(std::u16string_view from, std::u16string_view to) {
    return MoveFileReplacing(DeviceFolder::Current(), from, to);
}

uint32_t MoveFileReplacing(const DeviceFolder& dev, std::u16string_view from, std::u16string_view to) {
    std::string hostFrom, hostTo;
    if (const uint32_t err = dev.ToHost(from, hostFrom)) return err;
    if (const uint32_t err = dev.ToHost(to, hostTo)) return err;
    FileStat target;
    if (StatHost(hostTo, target) == ERROR_SUCCESS && (target.isDirectory || target.readOnly)) {
        return ERROR_ACCESS_DENIED;
    }
    if (rename(hostFrom.c_str(), hostTo.c_str()) != 0) return WinErrorFromErrno(errno, hostFrom);
    return ERROR_SUCCESS;
}

bool PathExists(std::u16string_view path) { return PathExists(DeviceFolder::Current(), path); }

bool PathExists(const DeviceFolder& dev, std::u16string_view path) {
    uint32_t attributes = 0;
    return GetFileAttributes(dev, path, attributes) == ERROR_SUCCESS;
}

uint32_t ListFileNamesFolded(std::u16string_view folder, std::vector<std::u16string>& names) {
    std::string host;
    if (const uint32_t error = DeviceFolder::Current().ToHost(folder, host))
        return error;
    DIR* dir = opendir(host.c_str());
    if (!dir)
        return WinErrorFromErrno(errno);
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type == DT_DIR)
            continue;
        // A link counts as what it leads to; a link to nothing is no file.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st{};
            if (stat((host + "/" + entry->d_name).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
                continue;
        }
        std::u16string name = Utf8ToUtf16(entry->d_name);
        for (char16_t& c : name)
            c = FoldCase(c);
        names.push_back(std::move(name));
    }
    closedir(dir);
    return ERROR_SUCCESS;
}
