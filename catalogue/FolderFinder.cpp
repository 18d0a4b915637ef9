#include "catalogue/FolderFinder.h"

#include "catalogue/CatalogueTypes.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/FileStat.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"

namespace {
std::u16string PatternOf(const std::u16string& folder) {
    return JoinPath(folder, u"*.*");
}
}  // namespace

bool CFolderFinder::Push(const std::u16string& folder) {
    std::string host;
    FileStat st;
    if (DeviceFolder::Current().ToHost(folder, host) == ERROR_SUCCESS && StatHost(host, st) == ERROR_SUCCESS &&
        !m_walked.insert({st.volume, st.fileIndex}).second) {
        return false;
    }
    auto finder = std::make_unique<FileFinder>();
    // The finder leaves out "." and "..".
    if (finder->First(PatternOf(folder), m_current) != ERROR_SUCCESS) return false;
    m_stack.push_back({folder, std::move(finder)});
    return true;
}

bool CFolderFinder::First(std::u16string_view folder, bool recursive) {
    Close();
    m_recursive = recursive;
    m_more = Push(std::u16string(folder));
    return m_more;
}

bool CFolderFinder::Next(std::u16string& path, uint32_t& attributes) {
    if (!m_more || m_stack.empty()) return false;
    path = JoinPath(m_stack.back().folder, m_current.name);
    attributes = m_current.attributes;
    Advance(m_recursive && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    return true;
}

void CFolderFinder::Advance(bool descend) {
    if (descend) {
        const std::u16string sub = JoinPath(m_stack.back().folder, m_current.name);
        if (Push(sub)) return;
    }
    while (!m_stack.empty()) {
        if (m_stack.back().finder->Next(m_current) == ERROR_SUCCESS) return;
        m_stack.pop_back();
    }
    m_more = false;
}

void CFolderFinder::Close() {
    m_stack.clear();
    m_walked.clear();
    m_more = false;
}
