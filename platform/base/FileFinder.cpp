#include "platform/base/FileFinder.h"

#include <dirent.h>

#include "platform/base/DeviceFolder.h"
#include "platform/base/FileStat.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {
// '*' matches any run, '?' one character; "*.*" matches every name, as on
// the handheld.
bool MatchPattern(std::u16string_view pattern, std::u16string_view name) {
    if (pattern == u"*.*" || pattern == u"*") return true;
    size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++, starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1, n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}
}  // namespace

struct FileFinder::Impl {
    DIR* dir = nullptr;
    std::string hostFolder;
    bool isRoot = false;
    std::u16string pattern;

    ~Impl() {
        if (dir) closedir(dir);
    }
};

FileFinder::FileFinder() = default;
FileFinder::~FileFinder() = default;

uint32_t FileFinder::First(std::u16string_view pattern, FindData& out) {
    return First(DeviceFolder::Current(), pattern, out);
}

uint32_t FileFinder::First(const DeviceFolder& dev, std::u16string_view pattern, FindData& out) {
    Close();
    const size_t slash = pattern.find_last_of(u'\\');
    const std::u16string_view folder = slash == std::u16string_view::npos ? u"" : pattern.substr(0, slash);
    auto impl = std::make_unique<Impl>();
    impl->pattern = std::u16string(slash == std::u16string_view::npos ? pattern : pattern.substr(slash + 1));
    if (const uint32_t err = dev.ToHost(folder, impl->hostFolder)) return err;
    impl->isRoot = impl->hostFolder == dev.Root();
    impl->dir = opendir(impl->hostFolder.c_str());
    if (!impl->dir) {
        const uint32_t err = WinErrorFromErrno(errno, impl->hostFolder + "/x");
        return err == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : err;
    }
    m_impl = std::move(impl);
    const uint32_t err = Next(out);
    if (err == ERROR_NO_MORE_FILES) {
        Close();
        return ERROR_FILE_NOT_FOUND;
    }
    return err;
}

uint32_t FileFinder::Next(FindData& out) {
    if (!m_impl) return ERROR_NO_MORE_FILES;
    while (struct dirent* entry = readdir(m_impl->dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::u16string wide = Utf8ToUtf16(name);
        if (!MatchPattern(m_impl->pattern, wide)) continue;
        const std::string host = m_impl->hostFolder + "/" + name;
        FileStat st;
        if (StatHost(host, st) != ERROR_SUCCESS) continue;  // dangling link or vanished entry
        out.attributes = 0;
        HostAttributes(host, m_impl->isRoot, out.attributes);
        out.creationTime = st.creationTime;
        out.lastAccessTime = st.lastAccessTime;
        out.lastWriteTime = st.lastWriteTime;
        out.size = st.isDirectory ? 0 : st.size;
        out.name = std::move(wide);
        return ERROR_SUCCESS;
    }
    return ERROR_NO_MORE_FILES;
}

void FileFinder::Close() { m_impl.reset(); }
