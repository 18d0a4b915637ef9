#pragma once
#include <cstddef>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/kvtool/Commands.h"

class ImageRenderer;
class TrailerThumbnailStore;

// `kvtool thumbnails`: every photo of the device drawn into a 96 x 96 cell,
// which stores a thumbnail in each file that has none, as browsing the grid
// does. Workers, one per core, each take the next file, open it, draw it and
// write its trailer themselves; they share only the list and the tallies.
//
// Files may be renamed or deleted while the pass runs. A file is written
// only through the handle its worker opened, so nothing is ever created at
// a path that went away; a photo gone from its listed path is passed over
// without a word, and the photos the listing did not know (a renamed one)
// are taken by a new listing when the list is done, until one finds none.
class ThumbnailPass {
public:
    struct Counts {
        size_t stored = 0, present = 0, undecodable = 0, failed = 0;
    };

    // workers 0: one per core.
    ThumbnailPass(const CommandContext& ctx, bool progress, unsigned workers = 0);
    Counts Run();

    // For tests: called on a worker just before it opens each file.
    static void SetBeforeOpen(std::function<void(const std::u16string&)> hook);

private:
    void Work();
    bool Next(std::u16string& path);
    void One(TrailerThumbnailStore& thumbnails, ImageRenderer& renderer, const std::u16string& path);
    void Fail(const std::string& subject, const std::string& reason);
    void Done(size_t Counts::*tally);
    void ShowProgress();

    const CommandContext& m_ctx;
    bool m_progress;
    unsigned m_workers;
    std::mutex m_lock;  // everything below
    std::vector<std::u16string> m_paths;
    size_t m_next = 0;
    size_t m_done = 0;
    std::set<std::u16string> m_seen;
    Counts m_counts;
};
