// Reads arbitrary bytes as a last-synchronisation record, then looks up,
// adds and writes entries as a run would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "desktop/LastSyncCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CLastSyncCache cache;
    if (!cache.LoadImage(data, size)) return 0;
    size_t count = cache.Entries().size();
    if (count != (size - CLastSyncCache::kHeaderSize) / CLastSyncCache::kEntrySize) std::abort();
    for (const CLastSyncCache::Entry& e : cache.Entries()) {
        if (e.name.size() > CLastSyncCache::kFieldSize || e.folder.size() > CLastSyncCache::kFieldSize)
            std::abort();
        if (!cache.Find(e.name, e.folder)) std::abort();
    }
    CLastSyncCache fresh;
    for (const CLastSyncCache::Entry& e : cache.Entries()) fresh.Put(e.folder, e.time, e.name);
    std::vector<uint8_t> image = fresh.Image("Internal", 0, 0, 1);
    CLastSyncCache again;
    if (!again.LoadImage(image.data(), image.size())) std::abort();
    if (again.Entries().size() != fresh.Entries().size()) std::abort();
    return 0;
}
