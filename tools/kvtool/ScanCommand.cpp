#include <map>
#include <ostream>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "catalogue/ImageScanner.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/Json.h"

namespace {
const std::map<std::string, uint16_t> kSortKeys = {
    {"location", SORT_LOCATION}, {"name", SORT_NAME}, {"category", SORT_CATEGORY},
    {"size", SORT_SIZE},         {"dimensions", SORT_DIMENSIONS}, {"date", SORT_DATE},
    {"note", SORT_NOTE}};

// --location takes a location's name ("Internal", "Storage Card") or a
// handheld folder path.
std::u16string LocationPath(const CFolderList& locations, const std::string& wanted) {
    const std::u16string wide = Utf8ToUtf16(wanted);
    for (const auto& item : locations.GetItems()) {
        if (EqualsNoCase(item->GetName(), wide)) return item->GetPath();
    }
    std::u16string path = wide;
    for (auto& c : path) {
        if (c == u'/') c = u'\\';
    }
    return path;
}

bool CategoryFilter(const CommandContext& ctx, const CCategoryDB& db, RecordId& category) {
    const std::string wanted = ctx.line.Value("--category").value_or("all");
    if (wanted == "all") {
        category = CATEGORY_ID_ALL;
    } else if (wanted == "unfiled") {
        category = CATEGORY_ID_UNFILED;
    } else {
        category = db.FindByName(Utf8ToUtf16(wanted));
        if (category == CATEGORY_ID_UNFILED) {
            ctx.Fail(wanted, "no such category");
            return false;
        }
    }
    return true;
}

void PrintRecord(const CommandContext& ctx, CImageItem& item, const CCategoryDB& db) {
    const std::string path = Utf16ToUtf8(item.GetPath());
    const std::string category = Utf16ToUtf8(item.GetCategoryName(db));
    const std::string date = FormatSeconds1904(item.GetDate());
    if (ctx.line.Has("--json")) {
        std::string host;
        DeviceFolder::Current().ToHost(item.GetPath(), host);
        ctx.out << "{\"path\": " << JsonString(path) << ", \"host_path\": " << JsonString(host)
                << ", \"category\": \"" << IdToHex(item.GetCategory()) << "\", \"category_name\": "
                << JsonString(category) << ", \"size\": " << item.GetSize() << ", \"width\": "
                << item.GetWidth() << ", \"height\": " << item.GetHeight()
                << ", \"date\": " << (date.empty() ? "null" : JsonString(date))
                << ", \"private\": " << (item.IsPrivate() ? "true" : "false") << "}\n";
        return;
    }
    ctx.out << path << "\t" << category << "\t" << item.GetSize() << "\t" << item.GetWidth() << "x"
            << item.GetHeight() << "\t" << (date.empty() ? "-" : date) << "\n";
}
}  // namespace

int RunScan(const CommandContext& ctx) {
    if (!ctx.words.empty()) {
        ctx.Fail("scan", "unexpected argument '" + ctx.words[0] + "'");
        return 2;
    }
    const std::string sortName = ctx.line.Value("--sort").value_or("name");
    const auto key = kSortKeys.find(sortName);
    if (key == kSortKeys.end()) {
        ctx.Fail("--sort", "unknown key '" + sortName + "'");
        return 2;
    }
    CCategoryDB db;
    if (OpenCategoryDB(ctx, db) != 0) return 1;
    RecordId category{};
    if (!CategoryFilter(ctx, db, category)) return 1;

    CImageItemList images(&db);
    CFolderList locations;
    CImageScanner scanner(images, locations, db, std::u16string(CATEGORY_DB_PATH));
    // The key is chosen before the scan, as the program does, so that equal
    // keys keep the order the scan found them.
    images.Resort(key->second, !ctx.line.Has("--descending"));
    scanner.ScanAll(ctx.line.Has("--full"));
    images.SetShowPrivate(!ctx.line.Has("--hide-private"));

    ImageFilter filter;
    filter.category = category;
    if (const auto location = ctx.line.Value("--location")) filter.location = LocationPath(locations, *location);
    const int count = images.Count(filter);
    for (int i = 0; i < count; ++i) PrintRecord(ctx, *images.Nth(filter, i), db);
    // As when the program closes: the main folders' caches are written anew.
    scanner.SaveCaches();
    return 0;
}
