#pragma once
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "browser/ThumbnailWorker.h"
#include "platform/gdi/Bitmap.h"

// The grid's thumbnails by photo path, on the interface thread. A lookup
// answers at once: the picture when it is known, else whether it is still
// being made. A photo seen for the first time has its stored thumbnail
// read from the file's trailer (a small read, no decode); a photo without
// one is handed to the worker and shows the placeholder meanwhile.
class ThumbnailCache {
public:
    enum class State { Ready, Waiting, Failed };
    // Pictures kept; the least recently used go first.
    static constexpr size_t CAPACITY = 256;

    // The picture, or nullptr with `state` saying whether one may come.
    const Bitmap* Lookup(const std::u16string& path, State& state);
    // Hands the worker what it should make, most urgent first; paths
    // already known are left out. Photos not named are dropped from its queue.
    void Want(const std::vector<std::u16string>& visible, const std::vector<std::u16string>& ahead);
    // Takes finished thumbnails in; returns their paths.
    std::vector<std::u16string> Collect();
    // Waits for the worker up to the time; true when something finished.
    bool WaitForWorker(uint32_t milliseconds) { return m_worker.WaitForResult(milliseconds); }
    bool IsWorking() const { return m_worker.IsBusy(); }
    // The photo's file is gone or changed: its picture and any work on it.
    void Forget(std::u16string_view path);
    void Clear();

    ThumbnailWorker& Worker() { return m_worker; }
    size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        State state = State::Waiting;
        std::unique_ptr<Bitmap> picture;
        std::list<std::u16string>::iterator use;
    };

    Entry& Touch(const std::u16string& path);
    bool ReadStored(const std::u16string& path, Entry& entry);
    void Trim();

    std::unordered_map<std::u16string, Entry> m_entries;
    std::list<std::u16string> m_uses;  // most recent first
    ThumbnailWorker m_worker;
};
