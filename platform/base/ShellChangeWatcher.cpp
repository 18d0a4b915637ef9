#include "platform/base/ShellChangeWatcher.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/DeviceFolder.h"
#include "platform/base/FileStat.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"

namespace {
constexpr uint32_t kWatchMask = IN_CREATE | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                IN_DELETE_SELF | IN_ONLYDIR;

bool IsDirectory(const std::string& host) {
    struct stat st{};
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

ShellChangeWatcher::~ShellChangeWatcher() { Stop(); }

uint32_t ShellChangeWatcher::Start(const DeviceFolder& device) {
    Stop();
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) return WinErrorFromErrno(errno);
    m_root = device.Root();
    // Mounting a card changes the mount table, which inotify does not see.
    m_mountsFd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    WatchTree(m_root);
    if (m_mountsFd >= 0) DrainMountTable();
    m_cards = CurrentCards();
    return ERROR_SUCCESS;
}

void ShellChangeWatcher::Stop() {
    if (m_fd >= 0) close(m_fd);
    if (m_mountsFd >= 0) close(m_mountsFd);
    m_fd = m_mountsFd = -1;
    m_dirs.clear();
    m_pendingCreates.clear();
    m_cards.clear();
}

void ShellChangeWatcher::WatchTree(const std::string& hostDir, ShellChangeSink* reportTo, size_t* delivered) {
    const int wd = inotify_add_watch(m_fd, hostDir.c_str(), kWatchMask);
    if (wd < 0) return;
    m_dirs[wd] = hostDir;
    DIR* dir = opendir(hostDir.c_str());
    if (!dir) return;
    while (struct dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string child = hostDir + "/" + name;
        if (reportTo) {
            // What was made in a new folder before its watch began raised no
            // event: report it from the listing, and skip its creation event
            // if that arrives after all.
            m_scannedNew.insert(child);
            reportTo->OnShellChange({ShellEvent::Create, ToDevicePath(child), {}});
            ++*delivered;
        }
        // The entry's type from the listing spares a look-up per file in
        // a folder of thousands of photos; links and unknowns are followed.
        const bool directory = entry->d_type == DT_DIR ||
                               ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) && IsDirectory(child));
        if (directory) WatchTree(child, reportTo, delivered);
    }
    closedir(dir);
}

void ShellChangeWatcher::DrainMountTable() {
    // The change flag stays raised until the table is read again from the start.
    char buffer[4096];
    lseek(m_mountsFd, 0, SEEK_SET);
    while (read(m_mountsFd, buffer, sizeof buffer) > 0) {
    }
}

std::set<std::string> ShellChangeWatcher::CurrentCards() const {
    std::set<std::string> cards;
    DIR* dir = opendir(m_root.c_str());
    if (!dir) return cards;
    while (struct dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        uint32_t attributes = 0;
        if (HostAttributes(m_root + "/" + name, true, attributes) == ERROR_SUCCESS &&
            (attributes & FILE_ATTRIBUTE_TEMPORARY)) {
            cards.insert(name);
        }
    }
    closedir(dir);
    return cards;
}

std::u16string ShellChangeWatcher::ToDevicePath(const std::string& host) const {
    std::u16string path;
    DeviceFolder(m_root).ToDevice(host, path);
    return path;
}

size_t ShellChangeWatcher::SyncCards(ShellChangeSink& sink) {
    const std::set<std::string> now = CurrentCards();
    size_t delivered = 0;
    for (const auto& name : m_cards) {
        if (!now.count(name)) {
            sink.OnShellChange({ShellEvent::DriveRemoved, ToDevicePath(m_root + "/" + name), {}});
            ++delivered;
        }
    }
    for (const auto& name : now) {
        if (!m_cards.count(name)) {
            WatchTree(m_root + "/" + name);
            sink.OnShellChange({ShellEvent::DriveAdd, ToDevicePath(m_root + "/" + name), {}});
            ++delivered;
        }
    }
    m_cards = now;
    // A link made in the root is a card, not a file waiting to be written.
    for (const auto& name : now) m_pendingCreates.erase(m_root + "/" + name);
    return delivered;
}

void ShellChangeWatcher::HandleRaw(const struct inotify_event& ev, std::map<uint32_t, std::string>& movedFrom,
                                   ShellChangeSink& sink, size_t& delivered) {
    const auto dir = m_dirs.find(ev.wd);
    if (dir == m_dirs.end()) return;
    if (ev.mask & (IN_DELETE_SELF | IN_IGNORED)) {
        m_dirs.erase(dir);
        return;
    }
    if (ev.len == 0) return;
    const std::string host = dir->second + "/" + ev.name;
    const bool isDir = ev.mask & IN_ISDIR;
    const auto report = [&](ShellEvent event, const std::string& a, const std::string& b = {}) {
        sink.OnShellChange({event, ToDevicePath(a), b.empty() ? std::u16string() : ToDevicePath(b)});
        ++delivered;
    };
    // Cards come and go through the card events alone.
    if (dir->second == m_root && m_cards.count(ev.name)) return;
    if (ev.mask & IN_CREATE) {
        if (m_scannedNew.erase(host)) return;
        if (isDir) {
            report(ShellEvent::Create, host);
            WatchTree(host, &sink, &delivered);
        } else {
            m_pendingCreates.insert(host);
        }
    } else if (ev.mask & IN_CLOSE_WRITE) {
        if (m_pendingCreates.erase(host)) report(ShellEvent::Create, host);
    } else if (ev.mask & IN_DELETE) {
        // A file that vanished before it was ever complete was never reported.
        if (!m_pendingCreates.erase(host)) report(ShellEvent::Delete, host);
    } else if (ev.mask & IN_MOVED_FROM) {
        movedFrom[ev.cookie] = host;
    } else if (ev.mask & IN_MOVED_TO) {
        if (isDir) WatchTree(host);
        const auto from = movedFrom.find(ev.cookie);
        if (from != movedFrom.end()) {
            m_pendingCreates.erase(from->second);
            report(ShellEvent::RenameItem, from->second, host);
            movedFrom.erase(from);
        } else {
            report(ShellEvent::Create, host);
        }
    }
}

size_t ShellChangeWatcher::Dispatch(ShellChangeSink& sink, int timeoutMs) {
    if (m_fd < 0) return 0;
    struct pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_mountsFd, POLLPRI, 0}};
    if (poll(fds, m_mountsFd >= 0 ? 2 : 1, timeoutMs) <= 0) return 0;
    if (fds[1].revents & (POLLPRI | POLLERR)) DrainMountTable();
    size_t delivered = 0;
    std::map<uint32_t, std::string> movedFrom;
    alignas(struct inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* ev = reinterpret_cast<const struct inotify_event*>(buffer + at);
            HandleRaw(*ev, movedFrom, sink, delivered);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + ev->len);
        }
    }
    m_scannedNew.clear();
    // A move out of the tree has no arriving half: the file is gone.
    for (const auto& [cookie, host] : movedFrom) {
        if (!m_pendingCreates.erase(host)) {
            sink.OnShellChange({ShellEvent::Delete, ToDevicePath(host), {}});
            ++delivered;
        }
    }
    return delivered + SyncCards(sink);
}
