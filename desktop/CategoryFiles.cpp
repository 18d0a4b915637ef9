#include "desktop/CategoryFiles.h"

#include <vector>

#include "catalogue/CategoryDB.h"
#include "desktop/SyncSide.h"
#include "platform/base/WinError.h"

namespace {
// Real databases are a few kilobytes.
constexpr uint32_t kMaxDatabase = 16u << 20;
}  // namespace

int32_t LoadCategories(ISyncSide& side, const std::string& path, CCategoryDB& db) {
    db.LoadFromMemory(nullptr, 0);
    std::vector<uint8_t> bytes;
    const int32_t error = ReadWholeFile(side, path, kMaxDatabase, bytes);
    if (error == static_cast<int32_t>(ERROR_FILE_NOT_FOUND) || error == static_cast<int32_t>(ERROR_PATH_NOT_FOUND))
        return 0;
    if (error != 0) return error;
    return db.LoadFromMemory(bytes.data(), bytes.size());
}

int32_t SaveCategories(ISyncSide& side, const std::string& path, CCategoryDB& db) {
    return db.SaveTo([&](const std::vector<uint8_t>& bytes) {
        return static_cast<uint32_t>(WriteWholeFile(side, path, bytes));
    });
}
