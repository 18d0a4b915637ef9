#include "platform/base/DeviceFolder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "platform/base/XdgFolders.h"

namespace {
std::mutex g_currentMutex;
// Every device folder made current stays alive, so a reference handed out by
// Current() never dangles when another folder is made current.
std::vector<std::unique_ptr<DeviceFolder>> g_folders;
DeviceFolder* g_current = nullptr;

bool Exists(const std::string& host) {
    struct stat st{};
    return lstat(host.c_str(), &st) == 0;
}

// The entry of folder whose name equals name ignoring case, if any.
bool FindNoCase(const std::string& folder, const std::u16string& name, std::string& found) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool hit = false;
    while (struct dirent* entry = readdir(dir)) {
        if (EqualsNoCase(Utf8ToUtf16(entry->d_name), name)) {
            found = entry->d_name;
            hit = true;
            break;
        }
    }
    closedir(dir);
    return hit;
}

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}
}  // namespace

DeviceFolder::DeviceFolder(std::string hostRoot) : m_root(StripTrailingSlashes(std::move(hostRoot))) {}

uint32_t DeviceFolder::ToHost(std::u16string_view path, std::string& host) const {
    host = m_root;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        const std::u16string part(path.substr(start, end - start));
        start = end + 1;
        if (part.empty() || part == u".") continue;
        if (part == u".." || part.find(u'/') != std::u16string::npos ||
            part.find(u'\0') != std::u16string::npos) {
            return ERROR_INVALID_NAME;
        }
        const std::string exact = host + "/" + Utf16ToUtf8(part);
        std::string found;
        if (Exists(exact) || !(m_lookup ? m_lookup(host, part, found) : FindNoCase(host, part, found))) {
            host = exact;
        } else {
            host += "/" + found;
        }
    }
    return ERROR_SUCCESS;
}

bool DeviceFolder::ToDevice(std::string_view host, std::u16string& path) const {
    if (host.substr(0, m_root.size()) != m_root) return false;
    std::string_view rest = host.substr(m_root.size());
    if (!rest.empty() && rest.front() != '/') return false;
    path = Utf8ToUtf16(rest);
    for (auto& c : path) {
        if (c == u'/') c = u'\\';
    }
    if (path.empty()) path.assign(1, u'\\');
    return true;
}

const DeviceFolder& DeviceFolder::Current() {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    if (!g_current) {
        g_folders.push_back(std::make_unique<DeviceFolder>(DefaultRoot()));
        g_current = g_folders.back().get();
    }
    return *g_current;
}

void DeviceFolder::SetCurrent(const std::string& hostRoot) {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    g_folders.push_back(std::make_unique<DeviceFolder>(hostRoot));
    g_current = g_folders.back().get();
}

std::string DeviceFolder::DefaultRoot() {
    if (const char* root = std::getenv("KESTRELVIEW_ROOT"); root && *root) return root;
    return XdgDataHome() + "/kestrelview/device";
}
