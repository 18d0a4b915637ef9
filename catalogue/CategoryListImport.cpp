#include "catalogue/CategoryListImport.h"

#include "catalogue/CategoryDB.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/FileSystem.h"
#include "platform/base/ByteOrder.h"

namespace {
constexpr size_t kNumberSize = 2;
constexpr size_t kReservedSize = 16;
}  // namespace

const uint8_t* OldCategoryListEntry::ReadEntry(const uint8_t* data, const uint8_t* end, uint8_t) {
    if (end - data < static_cast<ptrdiff_t>(kNumberSize + kReservedSize)) return nullptr;
    number = ReadLE16(data);
    return ReadUtf16Z(data + kNumberSize + kReservedSize, end, name);
}

void OldCategoryListEntry::WriteEntry(std::vector<uint8_t>& out) const {
    out.push_back(static_cast<uint8_t>(number));
    out.push_back(static_cast<uint8_t>(number >> 8));
    out.insert(out.end(), kReservedSize, 0);
    WriteUtf16Z(out, name);
}

RecordId OldCategoryListEntry::Id() const {
    RecordId id{};
    id[0] = static_cast<uint8_t>(number);
    id[1] = static_cast<uint8_t>(number >> 8);
    return id;
}

uint32_t ImportOldCategoryList(CCategoryDB& db) {
    return ImportOldCategoryList(db, DeviceFolder::Current());
}

uint32_t ImportOldCategoryList(CCategoryDB& db, const DeviceFolder& device) {
    const std::u16string path = std::u16string(PROGRAM_FOLDER) + std::u16string(OLD_CATEGORY_LIST_NAME);
    if (!PathExists(device, path)) return 0;
    COldCategoryList list;
    const uint32_t readError = list.Read(device, path);
    if (readError == 0) {
        for (size_t i = 0; i < list.Count(); ++i) {
            const OldCategoryListEntry& entry = list.At(i);
            const RecordId id = entry.Id();
            if (id == CATEGORY_ID_UNFILED || db.Exists(id)) continue;
            db.AddWithId(entry.name, id);
        }
        const int32_t saveError = db.Save();
        // Keep the list for the next start rather than lose its categories.
        if (saveError != 0) return static_cast<uint32_t>(saveError);
    }
    DeleteFile(device, path);
    return readError;
}
