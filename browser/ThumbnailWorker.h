#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/gdi/Bitmap.h"

// A thumbnail the worker finished: the picture fitted into 96 x 96, or
// none with the error that prevented it.
struct ThumbnailResult {
    std::u16string path;
    std::unique_ptr<Bitmap> bitmap;
    int error = 0;
};

// Makes the thumbnails of photos that have none stored, on threads of its
// own (one per processor core, at most MAX_THREADS), so that the grid never
// waits for a decode. It takes the stored
// thumbnail when the file has one; otherwise it decodes (the EXIF thumbnail
// or the main picture at the smallest scale that serves 96 x 96) and stores
// the result in the file's trailer.
//
// The grid says, after each paint, which photos it wants, most urgent
// first; anything else is dropped from the queue, and a decode whose photo
// was dropped stops between rows. A photo is written only when its file is
// still the one that was decoded (same path, size and last-write time) and
// the grid has not said it is gone; a file that cannot be written (read
// only, a locked card) still yields its thumbnail.
//
// Everything here is called on the user-interface thread except the
// worker threads' own loop; results are collected with TakeResults.
class ThumbnailWorker {
public:
    static constexpr unsigned MAX_THREADS = 4;

    // threads 0: one per core, within 1 and MAX_THREADS.
    explicit ThumbnailWorker(unsigned threads = 0);
    ~ThumbnailWorker();
    ThumbnailWorker(const ThumbnailWorker&) = delete;
    ThumbnailWorker& operator=(const ThumbnailWorker&) = delete;

    // Replaces the queue. A path in progress that is not wanted any more is
    // abandoned; one that is wanted again goes on.
    void SetWanted(std::vector<std::u16string> paths);
    // The file at this path was deleted, renamed or replaced: nothing is
    // written to it and its result is not delivered.
    void Forget(std::u16string_view path);
    std::vector<ThumbnailResult> TakeResults();
    // Waits until a result is ready, the worker has nothing to do, or the
    // time has passed; true when a result is ready.
    bool WaitForResult(uint32_t milliseconds);
    // Queued or in progress.
    bool IsBusy() const;
    size_t QueuedCount() const;

    // Thumbnails made from now on stand as the camera's orientation tag says.
    void SetFollowCameraOrientation(bool on) { m_followOrientation = on; }

    // For tests: while held, the worker takes no new job.
    void Hold(bool hold);
    // For tests: called on the worker between decoding a photo and storing
    // its thumbnail (to change the file meanwhile).
    void SetBeforeStore(std::function<void(const std::u16string&)> hook) { m_beforeStore = std::move(hook); }

private:
    // What one thread is doing.
    struct Slot {
        std::u16string path;
        bool working = false;
        bool dropped = false;    // abandon the decode
        bool forgotten = false;  // write nothing, deliver nothing
    };
    class Cancel;
    void Run(Slot& slot);
    bool NextJob(Slot& slot, std::u16string& path);
    void Finish(Slot& slot, ThumbnailResult result);
    ThumbnailResult Make(Slot& slot, const std::u16string& path);
    void StoreIfUnchanged(Slot& slot, const std::u16string& path, const Bitmap& thumbnail,
                          uint64_t size, uint64_t lastWrite);
    bool Dropped(const Slot& slot) const;
    bool AnyWorking() const;

    mutable std::mutex m_lock;
    std::condition_variable m_wake;      // the worker waits for jobs here
    std::condition_variable m_finished;  // the interface thread waits here
    std::deque<std::u16string> m_queue;
    std::vector<ThumbnailResult> m_results;
    std::vector<Slot> m_slots;
    bool m_hold = false;
    bool m_stop = false;
    std::atomic<bool> m_followOrientation{false};
    std::function<void(const std::u16string&)> m_beforeStore;
    std::vector<std::thread> m_threads;
};
