#include <filesystem>
#include <map>
#include <ostream>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "catalogue/ImageScanner.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/Json.h"

namespace {
const std::map<std::string, uint16_t> kSortKeys = {
    {"location", SORT_LOCATION}, {"name", SORT_NAME}, {"category", SORT_CATEGORY},
    {"size", SORT_SIZE},         {"dimensions", SORT_DIMENSIONS}, {"date", SORT_DATE},
    {"note", SORT_NOTE}};

// --location takes a location's name ("Internal", "Storage Card"), a
// handheld folder path or a host path to a folder of the device folder, with
// or without a trailing separator. The folder must lie in a location.
bool LocationPath(const CommandContext& ctx, const CFolderList& locations, const std::string& wanted,
                  std::u16string& path) {
    const std::u16string wide = Utf8ToUtf16(wanted);
    for (const auto& item : locations.GetItems()) {
        if (EqualsNoCase(item->GetName(), wide)) {
            path = item->GetPath();
            return true;
        }
    }
    std::error_code ec;
    const std::string host = std::filesystem::absolute(wanted, ec).lexically_normal().string();
    const std::string root = std::filesystem::absolute(DeviceFolder::Current().Root(), ec).lexically_normal().string();
    if (!DeviceFolder(root).ToDevice(host, path) || !std::filesystem::exists(host, ec)) {
        path = wide;
        for (auto& c : path) {
            if (c == u'/') c = u'\\';
        }
    }
    while (path.size() > 1 && path.back() == u'\\') path.pop_back();
    uint32_t attributes = 0;
    if (locations.Contains(path) && GetFileAttributes(path, attributes) == 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return true;
    }
    std::string names;
    for (const auto& item : locations.GetItems()) names += (names.empty() ? "" : ", ") + Utf16ToUtf8(item->GetName());
    ctx.Fail(wanted, "no such location (the locations are: " + names + ")");
    return false;
}

// --category takes the names scan prints ("All", "Unfiled", any case) or a
// category's name; --id chooses a category by its id, also one that is
// named like the first two.
bool CategoryFilter(const CommandContext& ctx, const CCategoryDB& db, RecordId& category) {
    if (const auto hex = ctx.line.Value("--id")) {
        if (!HexToId(*hex, category)) {
            ctx.Fail(*hex, "not a category id (16 hex digits)");
            return false;
        }
        return true;
    }
    const std::u16string wanted = Utf8ToUtf16(ctx.line.Value("--category").value_or("All"));
    if (EqualsNoCase(wanted, STRING_ALL)) {
        category = CATEGORY_ID_ALL;
    } else if (EqualsNoCase(wanted, STRING_UNFILED)) {
        category = CATEGORY_ID_UNFILED;
    } else {
        category = db.FindByName(wanted);
        if (category == CATEGORY_ID_UNFILED) {
            ctx.Fail(Utf16ToUtf8(wanted), "no such category");
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
                << ", \"private\": " << (item.IsPrivate() ? "true" : "false")
                << ", \"note\": " << JsonString(Utf16ToUtf8(NoteWithoutReturns(item.GetNote()))) << "}\n";
        return;
    }
    ctx.out << path << "\t" << category << "\t" << item.GetSize() << "\t" << item.GetWidth() << "x"
            << item.GetHeight() << "\t" << (date.empty() ? "-" : date) << "\t" << (item.HasNote() ? "note" : "-")
            << "\t" << (item.IsPrivate() ? "private" : "-") << "\n";
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
    if (const auto location = ctx.line.Value("--location")) {
        if (!LocationPath(ctx, locations, *location, filter.location)) return 1;
    }
    const int count = images.Count(filter);
    for (int i = 0; i < count; ++i) PrintRecord(ctx, *images.Nth(filter, i), db);
    // As when the program closes: the main folders' caches are written anew.
    scanner.SaveCaches();
    return 0;
}
