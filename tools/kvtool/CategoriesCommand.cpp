#include <ostream>

#include "catalogue/CategoryDB.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/ErrorText.h"
#include "tools/kvtool/LossCheck.h"

namespace {
// The category dialog's own refusals.
constexpr const char* kNameExists = "A category with that name already exists.";
constexpr const char* kNameTooLong = "The category name cannot be greater than 31 characters.";
constexpr size_t kMaxNameBytes = 31;

// The program's folder holds the database; a new device folder lacks it.
void CreateProgramFolder() {
    for (const auto* folder : {u"\\Program Files", u"\\Program Files\\Farrowdale",
                               u"\\Program Files\\Farrowdale\\Kestrelview"}) {
        CreateDirectory(folder);
    }
}

bool ValidNewName(const CommandContext& ctx, const CCategoryDB& db, const std::string& name) {
    const std::u16string wide = Utf8ToUtf16(name);
    if (name.empty()) {
        ctx.Fail(name, "the category name is empty");
        return false;
    }
    if (Utf16ToAnsi(wide).size() > kMaxNameBytes) {
        ctx.Fail(name, kNameTooLong);
        return false;
    }
    if (db.FindByName(wide) != CATEGORY_ID_UNFILED) {
        ctx.Fail(name, kNameExists);
        return false;
    }
    if (const std::string loss = NameLoss(wide); !loss.empty() && !ctx.line.Has("--force")) {
        ctx.Fail(name, loss + " (--force stores it anyway)");
        return false;
    }
    return true;
}

bool FindLive(const CommandContext& ctx, const CCategoryDB& db, const std::string& name, RecordId& id) {
    id = db.FindByName(Utf8ToUtf16(name));
    if (id != CATEGORY_ID_UNFILED) return true;
    ctx.Fail(name, "no such category");
    return false;
}

void List(const CommandContext& ctx, const CCategoryDB& db) {
    size_t cursor = 0;
    CategoryRecord record;
    std::u16string name;
    while (db.NextLive(cursor, record, name)) {
        ctx.out << IdToHex(record.id) << "  " << Utf16ToUtf8(name) << "\n";
    }
}

int Save(const CommandContext& ctx, CCategoryDB& db) {
    if (!ctx.line.Has("--db")) CreateProgramFolder();
    const int result = db.Save();
    if (result != 0) ctx.Fail("category database", FileErrorText(result, CategoryDBHostPath(ctx)));
    return result == 0 ? 0 : 1;
}
}  // namespace

int RunCategories(const CommandContext& ctx) {
    CCategoryDB db;
    if (OpenCategoryDB(ctx, db) != 0) return 1;
    const std::vector<std::string>& w = ctx.words;
    const std::string action = w.empty() ? "list" : w[0];
    const auto expect = [&](size_t count) {
        if (w.size() == count) return true;
        ctx.Fail("categories " + action, "wrong number of arguments");
        return false;
    };
    RecordId id{};
    if (action == "list") {
        if (w.size() > 1) return expect(1) ? 0 : 2;
        List(ctx, db);
        return 0;
    }
    if (action == "add") {
        if (!expect(2)) return 2;
        if (!ValidNewName(ctx, db, w[1])) return 1;
        if (const int result = db.Add(Utf8ToUtf16(w[1]), id)) {
            ctx.Fail(w[1], ErrorText(result));
            return 1;
        }
        ctx.out << IdToHex(id) << "\n";
        return Save(ctx, db);
    }
    if (action == "rename") {
        if (!expect(3)) return 2;
        if (!FindLive(ctx, db, w[1], id)) return 1;
        if (!EqualsNoCase(Utf8ToUtf16(w[1]), Utf8ToUtf16(w[2])) && !ValidNewName(ctx, db, w[2])) return 1;
        db.Rename(id, Utf8ToUtf16(w[2]));
        return Save(ctx, db);
    }
    if (action == "delete") {
        if (!expect(2)) return 2;
        if (!FindLive(ctx, db, w[1], id)) return 1;
        db.Delete(id);
        return Save(ctx, db);
    }
    ctx.Fail("categories", "unknown action '" + action + "' (list, add, rename, delete)");
    return 2;
}
