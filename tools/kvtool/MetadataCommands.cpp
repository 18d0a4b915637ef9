#include <ostream>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/ImageItem.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/ErrorText.h"
#include "tools/kvtool/ImageTarget.h"
#include "tools/kvtool/LossCheck.h"

namespace {
// Reads the record of the one FILE a metadata command names; reports and
// returns false when the file cannot be opened.
bool LoadItem(const CommandContext& ctx, const ImageTarget& target, CImageItem& item) {
    if (const uint32_t err = item.InitFromFile(target.HandheldPath(), target.IsRemovable())) {
        ctx.Fail(ctx.words[0], FileErrorText(static_cast<int>(err), ctx.words[0]));
        return false;
    }
    return true;
}

bool CheckWordCount(const CommandContext& ctx, const char* name, size_t most) {
    if (ctx.words.empty() || ctx.words.size() > most) {
        ctx.Fail(name, ctx.words.empty() ? "no file given" : "too many arguments");
        return false;
    }
    return true;
}

int Report(const CommandContext& ctx, const ImageTarget& target, int result) {
    if (result == 0) {
        target.Changed();
        return 0;
    }
    ctx.Fail(ctx.words[0], FileErrorText(result, ctx.words[0]));
    return 1;
}

std::string CategoryDescription(const CImageItem& item, const CCategoryDB& db) {
    const std::string name = Utf16ToUtf8(item.GetCategoryName(db));
    if (item.GetCategory() == CATEGORY_ID_UNFILED) return name;
    return name + " (" + IdToHex(item.GetCategory()) + ")";
}

// The category a command line asks for: --unfiled, --id HEX or a NAME of a
// live category. Reports and returns false when there is none.
bool WantedCategory(const CommandContext& ctx, const CCategoryDB& db, RecordId& id) {
    if (ctx.line.Has("--unfiled")) {
        id = CATEGORY_ID_UNFILED;
        return true;
    }
    if (const auto hex = ctx.line.Value("--id")) {
        if (!HexToId(*hex, id) || id == CATEGORY_ID_ALL) {
            ctx.Fail(*hex, "not a category id (16 hex digits)");
            return false;
        }
        return true;
    }
    const std::u16string name = Utf8ToUtf16(ctx.words[1]);
    id = db.FindByName(name);
    if (id == CATEGORY_ID_UNFILED && !EqualsNoCase(name, STRING_UNFILED)) {
        ctx.Fail(ctx.words[1], "no such category (add it with: kvtool categories add NAME)");
        return false;
    }
    return true;
}
}  // namespace

int RunNote(const CommandContext& ctx) {
    if (!CheckWordCount(ctx, "note", 2)) return 2;
    const ImageTarget target(ctx.words[0]);
    CImageItem item;
    if (!LoadItem(ctx, target, item)) return 1;
    if (ctx.words.size() == 1) {
        ctx.out << Utf16ToUtf8(NoteWithoutReturns(item.GetNote())) << "\n";
        return 0;
    }
    const std::u16string note = Utf8ToUtf16(ctx.words[1]);
    if (const std::string loss = NoteLoss(note); !loss.empty() && !ctx.line.Has("--force")) {
        ctx.Fail(ctx.words[0], loss + " (--force stores it anyway)");
        return 1;
    }
    return Report(ctx, target, item.SetNote(note));
}

int RunPrivate(const CommandContext& ctx) {
    if (!CheckWordCount(ctx, "private", 2)) return 2;
    const ImageTarget target(ctx.words[0]);
    CImageItem item;
    if (!LoadItem(ctx, target, item)) return 1;
    if (ctx.words.size() == 1) {
        ctx.out << (item.IsPrivate() ? "on" : "off") << "\n";
        return 0;
    }
    const std::string& value = ctx.words[1];
    if (value != "on" && value != "off") {
        ctx.Fail(value, "expected on or off");
        return 2;
    }
    return Report(ctx, target, item.SetPrivate(value == "on"));
}

int RunCategory(const CommandContext& ctx) {
    if (!CheckWordCount(ctx, "category", 2)) return 2;
    CCategoryDB db;
    if (OpenCategoryDB(ctx, db) != 0) return 1;
    const ImageTarget target(ctx.words[0]);
    CImageItem item;
    if (!LoadItem(ctx, target, item)) return 1;
    const bool setting = ctx.words.size() == 2 || ctx.line.Has("--unfiled") || ctx.line.Has("--id");
    if (!setting) {
        ctx.out << CategoryDescription(item, db) << "\n";
        return 0;
    }
    RecordId id{};
    if (!WantedCategory(ctx, db, id)) return 1;
    return Report(ctx, target, item.SetCategory(id));
}
