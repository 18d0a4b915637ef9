#include "platform/shell/ShellChangeNotifier.h"

#include <algorithm>

#include "platform/base/DeviceFolder.h"
#include "platform/base/WinError.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

// A posted record with the paths it points to.
struct ShellChangeNotifier::Record {
    FILECHANGENOTIFY notify;
    std::u16string path1;
    std::u16string path2;
};

namespace {

uint32_t EventId(ShellEvent event) {
    switch (event) {
    case ShellEvent::DriveAdd: return SHCNE_DRIVEADD;
    case ShellEvent::DriveRemoved: return SHCNE_DRIVEREMOVED;
    case ShellEvent::Create: return SHCNE_CREATE;
    case ShellEvent::Delete: return SHCNE_DELETE;
    case ShellEvent::RenameItem: return SHCNE_RENAMEITEM;
    }
    return 0;
}

}  // namespace

ShellChangeNotifier::ShellChangeNotifier(WindowManager& manager) : m_manager(manager) {}

ShellChangeNotifier::~ShellChangeNotifier() { StopWatching(); }

uint32_t ShellChangeNotifier::Register(HWND hwnd, const SHCHANGENOTIFYENTRY& entry) {
    if (!m_manager.IsWindow(hwnd) || entry.pszWatchDir || !entry.fRecursive)
        return ERROR_INVALID_PARAMETER;
    if (m_useFileSystem && !IsWatching()) {
        if (const uint32_t error = m_watcher.Start(DeviceFolder::Current()))
            return error;
        m_manager.AddEventSource(m_watcher.Fd(), [this] { m_watcher.Dispatch(*this); });
    }
    std::erase_if(m_windows, [hwnd](const auto& w) { return w.first == hwnd; });
    m_windows.emplace_back(hwnd, entry.dwEventMask);
    return 0;
}

bool ShellChangeNotifier::Deregister(HWND hwnd) {
    const size_t before = m_windows.size();
    std::erase_if(m_windows, [hwnd](const auto& w) { return w.first == hwnd; });
    if (m_windows.empty())
        StopWatching();
    return m_windows.size() != before;
}

void ShellChangeNotifier::StopWatching() {
    if (!IsWatching())
        return;
    m_manager.RemoveEventSource(m_watcher.Fd());
    m_watcher.Stop();
}

void ShellChangeNotifier::OnShellChange(const ShellChange& change) {
    const uint32_t id = EventId(change.event);
    // Windows gone without deregistering hear nothing more.
    std::erase_if(m_windows, [this](const auto& w) { return !m_manager.IsWindow(w.first); });
    for (const auto& [hwnd, mask] : m_windows) {
        if (!(mask & id))
            continue;
        auto record = std::make_unique<Record>();
        record->path1 = change.path1;
        record->path2 = change.path2;
        record->notify.fci.wEventId = id;
        record->notify.fci.dwItem1 = record->path1.c_str();
        record->notify.fci.dwItem2 = change.event == ShellEvent::RenameItem ? record->path2.c_str() : nullptr;
        FILECHANGENOTIFY* posted = &record->notify;
        if (m_manager.PostMessage(hwnd, WM_FILECHANGEINFO, 0, reinterpret_cast<LPARAM>(posted)))
            m_records.push_back(std::move(record));
    }
}

bool ShellChangeNotifier::Free(FILECHANGENOTIFY* record) {
    const size_t before = m_records.size();
    std::erase_if(m_records, [record](const auto& r) { return &r->notify == record; });
    return m_records.size() != before;
}

bool SHChangeNotifyRegister(HWND hwnd, const SHCHANGENOTIFYENTRY& entry) {
    Shell* shell = Shell::Current();
    return shell && shell->ChangeNotifier().Register(hwnd, entry) == 0;
}

bool SHChangeNotifyDeregister(HWND hwnd) {
    Shell* shell = Shell::Current();
    return shell && shell->ChangeNotifier().Deregister(hwnd);
}

void SHChangeNotifyFree(FILECHANGENOTIFY* record) {
    if (Shell* shell = Shell::Current())
        shell->ChangeNotifier().Free(record);
}
