#include <ostream>

#include "catalogue/CategoryDB.h"
#include "catalogue/ImageItem.h"
#include "catalogue/ImageTrailer.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/ErrorText.h"
#include "tools/kvtool/ImageTarget.h"
#include "tools/kvtool/Json.h"

namespace {
struct ImageFacts {
    std::string path;
    uint32_t size = 0;
    uint16_t width = 0, height = 0;
    Seconds1904 date = 0, exifDate = 0;
    bool hasTrailer = false;
    RecordId category = CATEGORY_ID_UNFILED;
    std::optional<std::string> categoryName;
    bool isPrivate = false;
    std::string note;  // UTF-8, line feeds only
    std::optional<std::pair<int, int>> thumbnail;
    bool exifThumbnail = false;
    int headerError = 0;
    uint8_t coding = 0;  // JpegCoding
};

// Header facts and the trailer as stored, read from the file once.
void ReadFileFacts(const std::u16string& path, ImageFacts& facts) {
    File file;
    if (file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) return;
    ImageHeaderInfo header{};
    facts.headerError = ReadImageHeaderInfo(file, header);
    facts.coding = header.coding;
    if (facts.headerError == 0) {
        facts.exifDate = HeaderDate(header);
        facts.exifThumbnail = header.hasEmbeddedThumbnail != 0;
    }
    CImageTrailer trailer;
    facts.hasTrailer = trailer.Read(file) != nullptr;
    if (const auto payload = trailer.FindThumbnail(); payload && payload->size() >= 4) {
        const uint8_t* p = payload->data();
        facts.thumbnail = std::make_pair(ReadBE16(p), ReadBE16(p + 2));
    }
}

std::string DateOrNull(Seconds1904 time) {
    return time ? JsonString(FormatSeconds1904(time)) : "null";
}

void PrintJson(std::ostream& out, const ImageFacts& f) {
    out << "{\"path\": " << JsonString(f.path) << ", \"size\": " << f.size << ", \"width\": " << f.width
        << ", \"height\": " << f.height << ", \"date\": " << DateOrNull(f.date)
        << ", \"exif_date\": " << DateOrNull(f.exifDate)
        << ", \"trailer\": " << (f.hasTrailer ? "true" : "false") << ", \"category\": \""
        << IdToHex(f.category) << "\"";
    if (f.categoryName) out << ", \"category_name\": " << JsonString(*f.categoryName);
    out << ", \"private\": " << (f.isPrivate ? "true" : "false") << ", \"note\": " << JsonString(f.note)
        << ", \"thumbnail\": ";
    if (f.thumbnail) {
        out << "[" << f.thumbnail->first << ", " << f.thumbnail->second << "]";
    } else {
        out << "null";
    }
    out << ", \"exif_thumbnail\": " << (f.exifThumbnail ? "true" : "false")
        << ", \"header_error\": " << f.headerError << ", \"coding\": ";
    const char* coding = JpegCodingName(f.coding);
    out << (coding ? JsonString(coding) : "null") << "}\n";
}

void PrintLine(std::ostream& out, const ImageFacts& f) {
    out << f.path << ": " << f.width << "x" << f.height << ", " << f.size << " bytes, "
        << (f.date ? FormatSeconds1904(f.date) : "no date") << ", "
        << (f.categoryName ? *f.categoryName : IdToHex(f.category)) << (f.isPrivate ? ", private" : "");
    if (f.thumbnail) out << ", thumbnail " << f.thumbnail->first << "x" << f.thumbnail->second;
    if (f.headerError) out << ", header error " << f.headerError;
    if (!f.note.empty()) out << ", note " << JsonString(f.note);
    out << "\n";
}
}  // namespace

int RunInfo(const CommandContext& ctx) {
    if (ctx.words.empty()) {
        ctx.Fail("info", "no file given");
        return 2;
    }
    CCategoryDB db;
    const bool withNames = ctx.line.Has("--db");
    if (withNames && OpenCategoryDB(ctx, db) != 0) return 1;
    // The plain listing names categories from the device's database when it
    // can be read, and shows ids otherwise.
    const bool namesInLine = withNames || db.Load(CATEGORY_DB_PATH) == 0;
    int status = 0;
    for (const std::string& hostPath : ctx.words) {
        const ImageTarget target(hostPath);
        CImageItem item;
        if (const uint32_t err = item.InitFromFile(target.HandheldPath(), target.IsRemovable())) {
            ctx.Fail(hostPath, FileErrorText(static_cast<int>(err), hostPath));
            status = 1;
            continue;
        }
        ImageFacts facts;
        facts.path = hostPath;
        facts.size = item.GetSize();
        facts.width = item.GetWidth();
        facts.height = item.GetHeight();
        facts.date = item.GetDate();
        facts.category = item.GetCategory();
        if (withNames || (!ctx.line.Has("--json") && namesInLine)) {
            facts.categoryName = Utf16ToUtf8(item.GetCategoryName(db));
        }
        facts.isPrivate = item.IsPrivate();
        facts.note = Utf16ToUtf8(NoteWithoutReturns(item.GetNote()));
        ReadFileFacts(target.HandheldPath(), facts);
        if (ctx.line.Has("--json")) {
            PrintJson(ctx.out, facts);
        } else {
            PrintLine(ctx.out, facts);
        }
    }
    return status;
}
