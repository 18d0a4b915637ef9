#include "browser/ThumbnailWorker.h"

#include <algorithm>
#include <chrono>

#include "catalogue/TrailerThumbnailStore.h"
#include "imaging/CancelCheck.h"
#include "imaging/ImageRenderer.h"
#include "imaging/OrientedRender.h"
#include "platform/base/File.h"

// Asked by the renderer between rows: the photo being decoded is no longer
// wanted, or the worker is stopping.
class ThumbnailWorker::Cancel : public CancelCheck {
public:
    Cancel(const ThumbnailWorker& worker, const Slot& slot) : m_worker(worker), m_slot(slot) {}
    bool ShouldCancel() override { return m_worker.Dropped(m_slot); }

private:
    const ThumbnailWorker& m_worker;
    const Slot& m_slot;
};

ThumbnailWorker::ThumbnailWorker(unsigned threads) {
    if (threads == 0)
        threads = std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, MAX_THREADS);
    m_slots.resize(threads);
    for (Slot& slot : m_slots)
        m_threads.emplace_back([this, &slot] { Run(slot); });
}

ThumbnailWorker::~ThumbnailWorker() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void ThumbnailWorker::SetWanted(std::vector<std::u16string> paths) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_queue.clear();
        for (std::u16string& path : paths) {
            const bool inProgress = std::any_of(m_slots.begin(), m_slots.end(), [&](const Slot& s) {
                return s.working && s.path == path;
            });
            if (!inProgress && std::find(m_queue.begin(), m_queue.end(), path) == m_queue.end())
                m_queue.push_back(std::move(path));
        }
        for (Slot& slot : m_slots)
            if (slot.working && std::find(paths.begin(), paths.end(), slot.path) == paths.end() &&
                std::find(m_queue.begin(), m_queue.end(), slot.path) == m_queue.end())
                slot.dropped = true;
    }
    m_wake.notify_all();
}

void ThumbnailWorker::Forget(std::u16string_view path) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), path), m_queue.end());
    for (Slot& slot : m_slots)
        if (slot.working && slot.path == path) {
            slot.dropped = true;
            slot.forgotten = true;
        }
    std::erase_if(m_results, [&](const ThumbnailResult& r) { return r.path == path; });
}

std::vector<ThumbnailResult> ThumbnailWorker::TakeResults() {
    std::lock_guard<std::mutex> lock(m_lock);
    return std::move(m_results);
}

bool ThumbnailWorker::AnyWorking() const {
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.working; });
}

bool ThumbnailWorker::WaitForResult(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_finished.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] {
        return !m_results.empty() || (!AnyWorking() && (m_queue.empty() || m_hold));
    });
    return !m_results.empty();
}

bool ThumbnailWorker::IsBusy() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return AnyWorking() || !m_queue.empty();
}

size_t ThumbnailWorker::QueuedCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_queue.size();
}

void ThumbnailWorker::Hold(bool hold) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_hold = hold;
    }
    m_wake.notify_all();
    m_finished.notify_all();
}

bool ThumbnailWorker::Dropped(const Slot& slot) const {
    std::lock_guard<std::mutex> lock(m_lock);
    return slot.dropped || m_stop;
}

void ThumbnailWorker::Run(Slot& slot) {
    std::u16string path;
    while (NextJob(slot, path))
        Finish(slot, Make(slot, path));
}

bool ThumbnailWorker::NextJob(Slot& slot, std::u16string& path) {
    std::unique_lock<std::mutex> lock(m_lock);
    slot.working = false;
    m_finished.notify_all();
    m_wake.wait(lock, [this] { return m_stop || (!m_hold && !m_queue.empty()); });
    if (m_stop)
        return false;
    path = std::move(m_queue.front());
    m_queue.pop_front();
    slot.path = path;
    slot.working = true;
    slot.dropped = false;
    slot.forgotten = false;
    return true;
}

void ThumbnailWorker::Finish(Slot& slot, ThumbnailResult result) {
    std::lock_guard<std::mutex> lock(m_lock);
    // An abandoned decode has no result; the photo is asked for again when
    // it comes back into view.
    if (slot.forgotten || (slot.dropped && !result.bitmap))
        return;
    m_results.push_back(std::move(result));
    m_finished.notify_all();
}

// The file is read shared, so the grid can read stored thumbnails of it
// meanwhile, and closed before anything is written.
ThumbnailResult ThumbnailWorker::Make(Slot& slot, const std::u16string& path) {
    ThumbnailResult result;
    result.path = path;
    File file;
    if (uint32_t err = file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) {
        result.error = int(err);
        return result;
    }
    uint64_t size = 0;
    FileTime lastWrite = 0;
    file.GetSize(size);
    file.GetTimes(nullptr, nullptr, &lastWrite);
    TrailerThumbnailStore store;
    if ((result.bitmap = store.Load(file)))
        return result;
    file.Seek(0, FILE_BEGIN);
    Cancel cancel(*this, slot);
    ImageRenderer renderer(nullptr, &cancel);
    Rect target{0, 0, 96, 96};
    result.error = m_followOrientation
                       ? RenderOrientedToBitmap(renderer, file, target, RENDER_NO_ROTATE, result.bitmap)
                       : renderer.RenderToBitmap(nullptr, file, target, RENDER_NO_ROTATE, result.bitmap);
    file.Close();
    if (m_beforeStore)
        m_beforeStore(path);
    if (result.error == 0 && result.bitmap)
        StoreIfUnchanged(slot, path, *result.bitmap, size, lastWrite);
    return result;
}

// Writes only into the file that was decoded: a file deleted meanwhile
// cannot be opened, one renamed away leaves nothing (or another file) at
// the path, and one rewritten has another size or time.
void ThumbnailWorker::StoreIfUnchanged(Slot& slot, const std::u16string& path,
                                       const Bitmap& thumbnail, uint64_t size, uint64_t lastWrite) {
    File file;
    if (file.Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING) != 0)
        return;
    uint64_t nowSize = 0;
    FileTime nowWrite = 0;
    if (file.GetSize(nowSize) != 0 || file.GetTimes(nullptr, nullptr, &nowWrite) != 0 ||
        nowSize != size || nowWrite != lastWrite)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (slot.forgotten || m_stop)
            return;
    }
    TrailerThumbnailStore store;
    store.Store(file, thumbnail);
}
