#include "platform/rapi/NameListings.h"

#include <dirent.h>

#include <algorithm>

#include "platform/base/Text.h"

namespace {

void Split(const std::string& hostPath, std::string& folder, std::string& name) {
    size_t at = hostPath.find_last_of('/');
    folder = at == std::string::npos ? std::string() : hostPath.substr(0, at);
    name = at == std::string::npos ? hostPath : hostPath.substr(at + 1);
}

}  // namespace

std::u16string CNameListings::Key(std::u16string name) {
    for (char16_t& c : name) c = FoldCase(c);
    return name;
}

CNameListings::Listing& CNameListings::ListingOf(const std::string& hostFolder) {
    auto it = m_folders.find(hostFolder);
    if (it != m_folders.end()) return it->second;
    Listing& listing = m_folders[hostFolder];
    if (DIR* dir = opendir(hostFolder.c_str())) {
        while (dirent* d = readdir(dir)) listing[Key(Utf8ToUtf16(d->d_name))].push_back(d->d_name);
        closedir(dir);
    }
    return listing;
}

bool CNameListings::Lookup(const std::string& hostFolder, const std::u16string& name, std::string& found) {
    std::lock_guard guard(m_lock);
    Listing& listing = ListingOf(hostFolder);
    auto it = listing.find(Key(name));
    if (it == listing.end() || it->second.empty()) return false;
    found = it->second.front();
    return true;
}

void CNameListings::Learn(const std::string& hostPath) {
    std::string folder, name;
    Split(hostPath, folder, name);
    std::lock_guard guard(m_lock);
    auto it = m_folders.find(folder);
    if (it == m_folders.end()) return;  // not read yet: it will be when asked
    std::vector<std::string>& names = it->second[Key(Utf8ToUtf16(name))];
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

void CNameListings::Forget(const std::string& hostPath) {
    std::string folder, name;
    Split(hostPath, folder, name);
    std::lock_guard guard(m_lock);
    m_folders.erase(hostPath);  // a folder removed or renamed takes its listing along
    auto it = m_folders.find(folder);
    if (it == m_folders.end()) return;
    auto entry = it->second.find(Key(Utf8ToUtf16(name)));
    if (entry == it->second.end()) return;
    std::vector<std::string>& names = entry->second;
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

void CNameListings::Clear() {
    std::lock_guard guard(m_lock);
    m_folders.clear();
}
