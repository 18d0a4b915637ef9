#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/ListFile.h"

class CCategoryDB;
class DeviceFolder;

// The older form of the category list, which once lived in the program's
// folder (PROGRAM_FOLDER).
inline constexpr std::u16string_view OLD_CATEGORY_LIST_NAME = u"\\CategoryList.kvd";

// An entry of the old category list.
//
//   offset  size  content
//   0       2     category number, unsigned
//   2       16    reserved, zero
//   18      var.  name, UTF-16LE ending in a 0 character
class OldCategoryListEntry : public CListEntry {
public:
    OldCategoryListEntry() = default;
    OldCategoryListEntry(uint16_t categoryNumber, std::u16string categoryName)
        : number(categoryNumber), name(std::move(categoryName)) {}
    const uint8_t* ReadEntry(const uint8_t* data, const uint8_t* end, uint8_t version) override;
    void WriteEntry(std::vector<uint8_t>& out) const override;

    // The category id the number stands for: its two bytes low byte first,
    // then six zeros.
    RecordId Id() const;

    uint16_t number = 0;
    std::u16string name;
};

// The old category list accepts any version.
class COldCategoryList : public TListFile<OldCategoryListEntry> {
public:
    bool AcceptVersion(uint8_t) const override { return true; }
};

// Imports the old category list of the program folder into db once: every
// entry is added with the id its number stands for, the database is saved,
// and the list file is deleted, whether it could be read or not, unless
// saving failed (the next start then tries again). Entries whose id the
// database already holds, or whose number is 0 (the Unfiled id), are
// skipped. Returns 0 when there is no list, else the reading or saving error.
uint32_t ImportOldCategoryList(CCategoryDB& db);
uint32_t ImportOldCategoryList(CCategoryDB& db, const DeviceFolder& device);
