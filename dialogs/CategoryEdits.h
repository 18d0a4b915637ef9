#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "catalogue/CategoryDB.h"

class BrowserServices;

// The edits made in Edit Categories, held apart from the view's database
// until the dialog's OK: Cancel then drops them all, and the file, the
// database in memory and the category popup never disagree.
class CategoryEdits {
public:
    // Starts from a copy of `start`.
    explicit CategoryEdits(const CCategoryDB& start);

    // The database as the edits so far leave it.
    const CCategoryDB& Working() const { return m_working; }
    bool IsEmpty() const { return m_edits.empty(); }

    // As the database's operations, on the working copy. Add: 0 or -1.
    int32_t Add(std::u16string_view name, RecordId& id);
    bool Rename(const RecordId& id, std::u16string_view name);
    bool Delete(const RecordId& id);

    // Carries the edits over to the view's database, which is saved with
    // them before the view hears of any: when the save fails, the database
    // is left as it was and the error (non-zero) returned. Then each edit is
    // made in turn with the view's callbacks around it, in the order the
    // view expects (removed before a rename or deletion, created after an
    // addition or rename). A database the view reloaded meanwhile keeps what
    // the reload brought; the edits go by id.
    int32_t Commit(BrowserServices& view) const;

private:
    struct Edit {
        enum class Kind { Added, Renamed, Deleted } kind;
        RecordId id;
        std::u16string name;
    };

    static void Apply(CCategoryDB& db, const Edit& edit);
    static void ApplyTellingView(CCategoryDB& db, BrowserServices& view, const Edit& edit);

    CCategoryDB m_working;
    std::vector<Edit> m_edits;
};
