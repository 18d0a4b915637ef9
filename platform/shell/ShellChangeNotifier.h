#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/ShellChangeWatcher.h"
#include "platform/window/WindowMessages.h"

class WindowManager;

// Shell change notifications, as the handheld's shell delivers them: a
// window registers for a mask of events over the whole file system and is
// posted WM_FILECHANGEINFO with lParam a FILECHANGENOTIFY* for each change,
// which it hands back to SHChangeNotifyFree once read.
constexpr UINT WM_FILECHANGEINFO = WM_APP + 0x0101;

constexpr uint32_t SHCNE_RENAMEITEM = 0x00000001;
constexpr uint32_t SHCNE_CREATE = 0x00000002;
constexpr uint32_t SHCNE_DELETE = 0x00000004;
constexpr uint32_t SHCNE_DRIVEREMOVED = 0x00000080;
constexpr uint32_t SHCNE_DRIVEADD = 0x00000100;
// dwItem1 and dwItem2 are paths.
constexpr uint32_t SHCNF_PATH = 0x0001;

// What a window asks for. Only the whole tree can be watched: a watch
// folder must be null and `fRecursive` true.
struct SHCHANGENOTIFYENTRY {
    uint32_t dwEventMask = 0;
    const char16_t* pszWatchDir = nullptr;
    bool fRecursive = true;
};

// One change. `cbSize` is the size of the record on the handheld (36),
// which receivers check; the paths stay valid until the record is freed.
struct FILECHANGEINFO {
    uint32_t cbSize = 36;
    uint32_t wEventId = 0;
    uint32_t uFlags = SHCNF_PATH;
    const char16_t* dwItem1 = nullptr;  // the path; the old path of a rename
    const char16_t* dwItem2 = nullptr;  // the new path of a rename
    uint32_t dwAttributes = 0;
    uint64_t ftModified = 0;
    uint32_t nFileSize = 0;
};

struct FILECHANGENOTIFY {
    uint32_t dwRefCount = 1;
    FILECHANGEINFO fci;
};

// The shell's side: watches the device folder (inotify, through
// ShellChangeWatcher) while any window is registered, inside the window
// manager's message loop, and posts each change to every window whose mask
// holds it. Tests inject changes without a file system.
class ShellChangeNotifier : private ShellChangeSink {
public:
    explicit ShellChangeNotifier(WindowManager& manager);
    ~ShellChangeNotifier() override;
    ShellChangeNotifier(const ShellChangeNotifier&) = delete;
    ShellChangeNotifier& operator=(const ShellChangeNotifier&) = delete;

    // Off: registrations only hear injected changes.
    void UseFileSystem(bool on) { m_useFileSystem = on; }
    // Registers (or re-registers) a window; the first one starts watching
    // the current device folder. 0 or a Windows error number.
    uint32_t Register(HWND hwnd, const SHCHANGENOTIFYENTRY& entry);
    bool Deregister(HWND hwnd);
    bool IsWatching() const { return m_watcher.Fd() >= 0; }
    // Delivers a change as if the file system had reported it.
    void Inject(const ShellChange& change) { OnShellChange(change); }
    // Frees a record posted earlier; false when it is not one.
    bool Free(FILECHANGENOTIFY* record);
    size_t OutstandingRecords() const { return m_records.size(); }

private:
    struct Record;
    void OnShellChange(const ShellChange& change) override;
    void StopWatching();

    WindowManager& m_manager;
    ShellChangeWatcher m_watcher;
    bool m_useFileSystem = true;
    std::vector<std::pair<HWND, uint32_t>> m_windows;  // window, event mask
    std::vector<std::unique_ptr<Record>> m_records;
};

// The same on the current shell; without one they fail.
bool SHChangeNotifyRegister(HWND hwnd, const SHCHANGENOTIFYENTRY& entry);
bool SHChangeNotifyDeregister(HWND hwnd);
void SHChangeNotifyFree(FILECHANGENOTIFY* record);
