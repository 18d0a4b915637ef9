#include "desktop/DesktopSide.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "desktop/DesktopFaults.h"
#include "desktop/DesktopFiles.h"
#include "desktop/SyncTypes.h"
#include "platform/base/File.h"
#include "platform/base/FileStat.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

namespace {

int32_t Code(uint32_t err) { return static_cast<int32_t>(err); }
uint32_t Injected(DesktopCall kind, const std::string& path) { return DesktopFaults::Check(kind, path); }

class DesktopReader final : public ISideReader {
public:
    DesktopReader(File file, std::string path) : m_file(std::move(file)), m_path(std::move(path)) {}
    int32_t Read(void* buffer, uint32_t count, uint32_t& got) override {
        got = 0;
        if (uint32_t err = Injected(DesktopCall::Read, m_path)) return Code(err);
        return Code(m_file.Read(buffer, count, got));
    }
    int32_t ReadInto(File& to, uint32_t count, uint32_t& got) override {
        got = 0;
        if (uint32_t err = Injected(DesktopCall::Read, m_path)) return Code(err);
        return Code(m_file.CopyTo(to, count, got));
    }

private:
    File m_file;
    std::string m_path;
};

class DesktopWriter final : public ISideWriter {
public:
    DesktopWriter(File file, std::string path) : m_file(std::move(file)), m_path(std::move(path)) {}
    int32_t Write(const void* data, uint32_t count) override {
        uint32_t put = 0;
        if (uint32_t err = Injected(DesktopCall::Write, m_path)) return Code(err);
        if (uint32_t err = m_file.Write(data, count, put)) return Code(err);
        return put == count ? 0 : Code(ERROR_DISK_FULL);
    }
    int32_t WriteFrom(ISideReader& in, uint32_t count, uint32_t& got) override {
        got = 0;
        if (uint32_t err = Injected(DesktopCall::Write, m_path)) return Code(err);
        return in.ReadInto(m_file, count, got);
    }
    int32_t Finish(uint32_t time, uint32_t& kept) override {
        kept = time;
        if (uint32_t err = Injected(DesktopCall::Finish, m_path)) return Code(err);
        if (time != 0) {
            FileTime stamp = LocalFileTimeToFileTime(LocalFileTimeFromSeconds1904(time));
            if (uint32_t err = m_file.SetTimes(&stamp, nullptr, &stamp)) return Code(err);
        }
        // The disk gets on with this copy while the next ones are made;
        // the flush before the renames then waits for little more.
        m_file.StartWriteback();
        m_file.Close();
        return 0;
    }
    const std::string& Path() const override { return m_path; }

private:
    File m_file;
    std::string m_path;
};

}  // namespace

std::string CDesktopSide::Join(std::string_view folder, std::string_view name) const {
    return JoinDesktopPath(folder, name);
}

std::string CDesktopSide::NameOf(std::string_view path) const {
    size_t at = path.rfind('/');
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

int32_t CDesktopSide::List(const std::string& folder, std::vector<SideEntry>& entries) {
    entries.clear();
    if (uint32_t err = Injected(DesktopCall::List, folder)) return Code(err);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        int err = errno;
        return err == ENOENT ? Code(ERROR_PATH_NOT_FOUND) : Code(WinErrorFromErrno(err, folder));
    }
    while (dirent* d = ::readdir(dir)) {
        std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        std::string path = Join(folder, name);
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0) continue;  // gone meanwhile
        FileStat st;
        SideEntry entry{name, 0, false, 0};
        if (uint32_t err = StatHost(path, st)) {
            entry.error = err;
        } else {
            // A link to a folder is not walked into: it may lead anywhere.
            entry.isFolder = st.isDirectory && S_ISDIR(link.st_mode);
            if (st.isDirectory && !entry.isFolder) continue;
            entry.time = Seconds1904FromFileTime(st.lastWriteTime);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const SideEntry& a, const SideEntry& b) { return a.name < b.name; });
    return 0;
}

int32_t CDesktopSide::MakeFolder(const std::string& path, bool* created) {
    if (created) *created = false;
    if (uint32_t err = Injected(DesktopCall::MakeFolder, path)) return Code(err);
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        if (uint32_t err = CreateDesktopFolder(path.substr(0, at))) return Code(err);
    }
    struct stat st {};
    bool existed = ::stat(path.c_str(), &st) == 0;
    if (uint32_t err = CreateDesktopFolder(path)) return Code(err);
    if (created) *created = !existed;
    return 0;
}

int32_t CDesktopSide::OpenRead(const std::string& path, std::unique_ptr<ISideReader>& reader) {
    if (uint32_t err = Injected(DesktopCall::OpenRead, path)) return Code(err);
    File file;
    if (uint32_t err = file.OpenHost(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) return Code(err);
    reader = std::make_unique<DesktopReader>(std::move(file), path);
    return 0;
}

int32_t CDesktopSide::CreateTemporary(const std::string& folder, std::unique_ptr<ISideWriter>& writer) {
    std::string path = Join(folder, TemporaryFileName());
    if (uint32_t err = Injected(DesktopCall::Create, path)) return Code(err);
    File file;
    if (uint32_t err = file.OpenHost(path, GENERIC_WRITE, 0, CREATE_NEW)) return Code(err);
    writer = std::make_unique<DesktopWriter>(std::move(file), path);
    return 0;
}

int32_t CDesktopSide::Replace(const std::string& from, const std::string& to) {
    if (uint32_t err = Injected(DesktopCall::Replace, to)) return Code(err);
    return Code(RenameDesktopFile(from, to));
}

int32_t CDesktopSide::Rename(const std::string& from, const std::string& to) {
    if (uint32_t err = Injected(DesktopCall::Rename, to)) return Code(err);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    return errno == EEXIST ? Code(ERROR_ALREADY_EXISTS) : Code(WinErrorFromErrno(errno, from));
}

int32_t CDesktopSide::Delete(const std::string& path) {
    if (uint32_t err = Injected(DesktopCall::Delete, path)) return Code(err);
    return Code(DeleteDesktopFile(path));
}

int32_t CDesktopSide::SetTime(const std::string& path, uint32_t time) {
    if (uint32_t err = Injected(DesktopCall::SetTime, path)) return Code(err);
    return Code(SetDesktopFileTimes(path, time, time));
}

CDesktopSide::~CDesktopSide() {
    if (m_lock >= 0) ::close(m_lock);
}

int32_t CDesktopSide::Lock(const std::string& folder) {
    if (m_lock >= 0) return 0;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Code(WinErrorFromErrno(errno, folder));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? Code(ERROR_BUSY) : Code(WinErrorFromErrno(err));
    }
    m_lock = fd;
    return 0;
}

int32_t CDesktopSide::Settle(const std::string& folder) {
    if (uint32_t err = Injected(DesktopCall::Settle, folder)) return Code(err);
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Code(WinErrorFromErrno(errno, folder));
    int result = ::syncfs(fd);
    int err = errno;
    ::close(fd);
    return result == 0 ? 0 : Code(WinErrorFromErrno(err));
}
