#include "dialogs/CategoryEdits.h"

#include "dialogs/BrowserServices.h"

namespace {

bool IsLive(const CCategoryDB& db, const RecordId& id) {
    CategoryRecord record;
    return db.Get(id, record) && record.IsLive();
}

// A copy of the bytes; a file of another version stays one.
bool CopyOf(const CCategoryDB& from, CCategoryDB& to) {
    return to.CopyFrom(from) == 0;
}

}  // namespace

CategoryEdits::CategoryEdits(const CCategoryDB& start) { CopyOf(start, m_working); }

int32_t CategoryEdits::Add(std::u16string_view name, RecordId& id) {
    if (const int32_t error = m_working.Add(name, id))
        return error;
    m_edits.push_back({Edit::Kind::Added, id, std::u16string(name)});
    return 0;
}

bool CategoryEdits::Rename(const RecordId& id, std::u16string_view name) {
    if (!m_working.Rename(id, name))
        return false;
    m_edits.push_back({Edit::Kind::Renamed, id, std::u16string(name)});
    return true;
}

bool CategoryEdits::Delete(const RecordId& id) {
    if (!m_working.Delete(id))
        return false;
    m_edits.push_back({Edit::Kind::Deleted, id, {}});
    return true;
}

int32_t CategoryEdits::Commit(BrowserServices& view) const {
    CCategoryDB& db = view.Categories();
    if (m_edits.empty())
        return db.Save();
    CCategoryDB before, after;
    if (!CopyOf(db, before) || !CopyOf(db, after))
        return -1;
    for (const Edit& edit : m_edits)
        Apply(after, edit);
    if (!CopyOf(after, db))
        return -1;
    if (const int32_t error = db.Save()) {
        CopyOf(before, db);
        return error;
    }
    CopyOf(before, db);
    for (const Edit& edit : m_edits)
        ApplyTellingView(db, view, edit);
    // The same names and flags as just written; a modified time may be a
    // second later. Should this write fail, the change stays pending.
    db.Save();
    return 0;
}

void CategoryEdits::Apply(CCategoryDB& db, const Edit& edit) {
    switch (edit.kind) {
    case Edit::Kind::Added:
        db.AddWithId(edit.name, edit.id);
        break;
    case Edit::Kind::Renamed:
        db.Rename(edit.id, edit.name);
        break;
    case Edit::Kind::Deleted:
        db.Delete(edit.id);
        break;
    }
}

void CategoryEdits::ApplyTellingView(CCategoryDB& db, BrowserServices& view, const Edit& edit) {
    switch (edit.kind) {
    case Edit::Kind::Added:
        if (db.AddWithId(edit.name, edit.id) == 0)
            view.OnCategoryCreated(edit.id);
        break;
    case Edit::Kind::Renamed:
        if (!IsLive(db, edit.id))
            break;
        view.OnCategoryRemoved(edit.id, true);
        db.Rename(edit.id, edit.name);
        view.OnCategoryCreated(edit.id);
        break;
    case Edit::Kind::Deleted:
        if (!IsLive(db, edit.id))
            break;
        view.OnCategoryRemoved(edit.id, false);
        db.Delete(edit.id);
        view.RepaintView();
        break;
    }
}
