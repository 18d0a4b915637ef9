// Reads any bytes as each kind of list file, and checks that what was read
// writes back to bytes that read the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/CategoryListImport.h"
#include "catalogue/FileListCache.h"

namespace {

template <class List>
void RoundTrip(const uint8_t* data, size_t size) {
    List list;
    if (list.ReadFromMemory(data, size) != 0) return;
    const std::vector<uint8_t> written = list.Serialize();
    List again;
    if (again.ReadFromMemory(written.data(), written.size()) != 0) __builtin_trap();
    if (again.Count() != list.Count() || again.Serialize() != written) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RoundTrip<COldCategoryList>(data, size);
    RoundTrip<CFileListCache>(data, size);
    return 0;
}
