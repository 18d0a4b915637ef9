#include "browser/ThumbnailCache.h"

#include "catalogue/TrailerThumbnailStore.h"
#include "platform/base/File.h"

const Bitmap* ThumbnailCache::Lookup(const std::u16string& path, State& state) {
    const bool known = m_entries.count(path) != 0;
    Entry& entry = Touch(path);
    if (!known && !ReadStored(path, entry))
        entry.state = State::Waiting;
    state = entry.state;
    return entry.picture.get();
}

bool ThumbnailCache::ReadStored(const std::u16string& path, Entry& entry) {
    File file;
    if (file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0)
        return false;  // the worker says why, or retries while it is locked
    TrailerThumbnailStore store;
    entry.picture = store.Load(file);
    if (!entry.picture)
        return false;
    entry.state = State::Ready;
    Trim();
    return true;
}

ThumbnailCache::Entry& ThumbnailCache::Touch(const std::u16string& path) {
    auto [it, added] = m_entries.try_emplace(path);
    if (!added)
        m_uses.erase(it->second.use);
    m_uses.push_front(path);
    it->second.use = m_uses.begin();
    return it->second;
}

void ThumbnailCache::Want(const std::vector<std::u16string>& visible,
                          const std::vector<std::u16string>& ahead) {
    std::vector<std::u16string> wanted;
    auto add = [&](const std::u16string& path) {
        auto it = m_entries.find(path);
        if (it == m_entries.end() || it->second.state == State::Waiting)
            wanted.push_back(path);
    };
    for (const std::u16string& path : visible)
        add(path);
    for (const std::u16string& path : ahead)
        add(path);
    m_worker.SetWanted(std::move(wanted));
}

std::vector<std::u16string> ThumbnailCache::Collect() {
    std::vector<std::u16string> paths;
    for (ThumbnailResult& result : m_worker.TakeResults()) {
        Entry& entry = Touch(result.path);
        entry.state = result.bitmap ? State::Ready : State::Failed;
        entry.picture = std::move(result.bitmap);
        paths.push_back(std::move(result.path));
    }
    Trim();
    return paths;
}

void ThumbnailCache::Forget(std::u16string_view path) {
    m_worker.Forget(path);
    auto it = m_entries.find(std::u16string(path));
    if (it == m_entries.end())
        return;
    m_uses.erase(it->second.use);
    m_entries.erase(it);
}

void ThumbnailCache::Clear() {
    m_worker.SetWanted({});
    m_entries.clear();
    m_uses.clear();
}

void ThumbnailCache::Trim() {
    while (m_entries.size() > CAPACITY) {
        m_entries.erase(m_uses.back());
        m_uses.pop_back();
    }
}
