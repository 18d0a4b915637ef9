// Loads any bytes as a category database and works on it: enumeration,
// look-ups, renames, deletes, merges with other copies, a whole copy and
// purges, as the handheld and the desktop library both do.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/CategoryDB.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CCategoryDB db;
    db.SetClock([] { return Seconds1904(3'800'000'000u); });
    db.LoadFromMemory(data, size);

    size_t cursor = 0;
    CategoryRecord record;
    std::u16string name;
    while (db.NextLive(cursor, record, name)) {
        size_t index = 0;
        std::u16string found;
        db.NameAndIndexOf(record.id, found, index);
        db.FindByName(name);
    }
    const size_t count = db.Count();
    for (size_t i = 0; i < count && i < 64; ++i) {
        const CategoryRecord r = db.RecordAt(i);
        db.NameOf(r.id, name);
        db.NthLive(i);
        if (i % 3 == 0) db.Rename(r.id, name + u"x");
        if (i % 5 == 1) db.Delete(r.id);
    }

    // Merging the loaded records into a second copy and back must keep both
    // copies well formed.
    CCategoryDB other;
    other.SetClock([] { return Seconds1904(3'800'000'000u); });
    other.AddWithId(u"zzz", RecordId{1, 2, 3, 4, 5, 6, 7, 8});
    for (size_t i = 0; i < db.Count() && i < 64; ++i) other.Merge(db.RecordAt(i));
    db.MergeAll(other);
    // Into itself: records move while the merge reads them.
    db.MergeAll(db);
    db.Purge();
    other.Purge();

    // The desktop's way round: a copy taken whole, then purged.
    CCategoryDB copy;
    copy.SetClock([] { return Seconds1904(3'800'000'000u); });
    copy.CopyFrom(db);
    if (copy.Image() != db.Image()) __builtin_trap();
    copy.MergeAll(other);
    copy.Purge();

    const size_t imageSize = db.Image().size();
    if (imageSize != 0 && (imageSize - CATEGORY_DB_HEADER_SIZE) % CATEGORY_RECORD_SIZE != 0) {
        __builtin_trap();
    }
    return 0;
}
