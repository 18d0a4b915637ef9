// Reads arbitrary bytes as the category database image the desktop library
// holds, then merges it with itself and with a small database and purges,
// as a synchronisation run does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "desktop/CategoryDatabaseImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CCategoryDatabaseImage image;
    if (image.LoadImage(data, size) != 0) return 0;
    if (image.RecordCount() * CCategoryDatabaseImage::kRecordSize + CCategoryDatabaseImage::kHeaderSize >
        image.Data().size() + CCategoryDatabaseImage::kHeaderSize)
        std::abort();
    CCategoryDatabaseImage other;
    std::vector<uint8_t> seed = {0x00, 0x01, 0x00, 0x00};
    seed.resize(4 + 46, 0);
    seed[7] = 1;
    seed[14] = 'M';
    other.LoadImage(seed.data(), seed.size());
    size_t before = image.RecordCount();
    image.MergeAll(other);
    other.MergeAll(image);
    image.MergeAll(image);
    if (image.RecordCount() < before) std::abort();
    image.Purge(size > 4 ? data[size - 1] * 100000000u : 0);
    other.Purge(0xFFFFFFFFu);
    return 0;
}
