#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

class DeviceFolder;

// The shell's file-change events, as the catalogue reacts to them.
enum class ShellEvent { DriveAdd, DriveRemoved, Create, Delete, RenameItem };

struct ShellChange {
    ShellEvent event;
    std::u16string path1;  // handheld path; the old path of a rename
    std::u16string path2;  // the new path of a rename

    bool operator==(const ShellChange&) const = default;
};

class ShellChangeSink {
public:
    virtual ~ShellChangeSink() = default;
    virtual void OnShellChange(const ShellChange& change) = 0;
};

// Watches the whole device folder, storage cards included, with inotify.
// A new file is reported once it has been written and closed (or moved in),
// so a reader never sees it half copied; a move within the tree is one
// rename; a folder linked or mounted in the root appears as a card.
class ShellChangeWatcher {
public:
    ShellChangeWatcher() = default;
    ~ShellChangeWatcher();
    ShellChangeWatcher(const ShellChangeWatcher&) = delete;
    ShellChangeWatcher& operator=(const ShellChangeWatcher&) = delete;

    // Returns 0 or a Windows error number.
    uint32_t Start(const DeviceFolder& device);
    void Stop();
    // Readable when events wait (for a poll loop); -1 when not started.
    int Fd() const { return m_fd; }
    // Delivers every event that is waiting, or that arrives within
    // timeoutMs; returns how many were delivered.
    size_t Dispatch(ShellChangeSink& sink, int timeoutMs = 0);

private:
    // Watches a folder and every folder below it; with reportTo, reports
    // what they already hold as created.
    void WatchTree(const std::string& hostDir, ShellChangeSink* reportTo = nullptr, size_t* delivered = nullptr);
    void HandleRaw(const struct inotify_event& ev, std::map<uint32_t, std::string>& movedFrom,
                   ShellChangeSink& sink, size_t& delivered);
    size_t SyncCards(ShellChangeSink& sink);
    void DrainMountTable();
    std::set<std::string> CurrentCards() const;
    std::u16string ToDevicePath(const std::string& host) const;

    int m_fd = -1;
    int m_mountsFd = -1;
    std::string m_root;
    std::map<int, std::string> m_dirs;  // watch descriptor -> host folder
    std::set<std::string> m_pendingCreates;
    std::set<std::string> m_scannedNew;  // reported from a new folder's listing
    std::set<std::string> m_cards;
};
